// A file read whole before the handset is opened, so that a file that is missing or not
// what the command needs leaves the handset untouched.
#pragma once

#include <string>

#include "ComFailure.h"
#include "WholeFile.h"

namespace kelvra::host {

// The reader's complaint is given the file's name.
template <class Reader>
auto ReadFileWith(const std::wstring& path, Reader read)
{
    std::string bytes = ReadWhole(path);
    try {
        return read(bytes);
    } catch (const InputError& e) {
        throw InputError(NarrowUtf8(path) + ": " + e.what());
    }
}

}  // namespace kelvra::host
