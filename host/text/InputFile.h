// A file read whole before the handset is opened, so that a file that is missing or not
// what the command needs leaves the handset untouched.
#pragma once

#include <string>

#include "ComFailure.h"
#include "ComTypes.h"
#include "WholeFile.h"

namespace kelvra::host {

// The largest vCard or iCalendar file read: a whole phonebook with a picture for every
// contact fits many times over, and reading one costs a few times its size in memory.
constexpr uint64_t kMostInputFileBytes = 64ull << 20;

// The reader's complaint is given the file's name.
template <class Reader>
auto ReadFileWith(const std::wstring& path, Reader read)
{
    std::string bytes = ReadWhole(path, kMostInputFileBytes);
    try {
        return read(bytes);
    } catch (const InputError& e) {
        throw InputError(NarrowUtf8(path) + ": " + e.what());
    }
}

}  // namespace kelvra::host
