// Claims a handset folder for one process: an exclusive lock on the first byte of a lock
// file. Wine keeps such a lock as a lock on the Linux file, which every process sees,
// even one of another Wine prefix; an open without sharing is seen only within one
// prefix. The lock goes with the handle, which the system closes when the process ends,
// however it ends, so a killed run never leaves the folder claimed.
#pragma once

#include <windows.h>

#include <string>

#include "FileHandle.h"

namespace kelvra::sim {

class FolderLock {
public:
    // Waits up to waitMs for another holder to let go; throws StateError when it does
    // not, or when the lock file cannot be made or locked.
    FolderLock(const std::wstring& folder, DWORD waitMs);

private:
    // True once this process holds the lock; false while another one holds it.
    bool TryLock(const std::wstring& path);

    FileHandle m_file;
};

}  // namespace kelvra::sim
