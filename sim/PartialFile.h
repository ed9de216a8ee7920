// A file copied to the handset arrives under a temporary name in a scratch folder beside
// the handset's file system and takes the target's place only when whole: a handset
// discards an incomplete transfer, an older file of the same name survives one, and a
// copy cut by a killed process leaves nothing that lists as one of the handset's files.
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

    // The scratch folder of a file system's root folder.
    static std::wstring ScratchOf(const std::wstring& fileRoot) { return fileRoot + L".incoming"; }
    // Removes what copies cut short left in a scratch folder.
    static void DiscardLeftOvers(const std::wstring& scratch);

    // Makes an empty file in the scratch folder for a target whose folder exists; false
    // with the Win32 error left.
    bool Make(const std::wstring& target, const std::wstring& scratch);
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
