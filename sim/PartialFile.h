// A file copied to the handset arrives under a temporary name beside its target and takes
// the target's place only when whole: a handset discards an incomplete transfer, and an
// older file of the same name survives one.
#pragma once

#include <windows.h>

#include <string>

#include "FileHandle.h"

namespace kelvra::sim {

class PartialFile {
public:
    PartialFile() = default;
    PartialFile(const PartialFile&) = delete;
    PartialFile& operator=(const PartialFile&) = delete;
    ~PartialFile() { Discard(); }

    // Makes an empty file in the target's folder; false with the Win32 error left.
    bool Make(const std::wstring& target);
    HANDLE Handle() const { return m_file.Get(); }
    // Puts the file in the target's place; false with the Win32 error left.
    bool Finish(const std::wstring& target);
    // Removes what has not been finished.
    void Discard();

private:
    std::wstring m_path;
    FileHandle m_file;
};

}  // namespace kelvra::sim
