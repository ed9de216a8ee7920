// Claims a handset folder for one process: a lock file held open without sharing. The
// system closes it when the process ends, however it ends, so a killed run never leaves
// the folder claimed.
#pragma once

#include <windows.h>

#include <string>

#include "FileHandle.h"

namespace kelvra::sim {

class FolderLock {
public:
    // Waits up to waitMs for another holder to let go; throws StateError when it does
    // not, or when the lock file cannot be made.
    FolderLock(const std::wstring& folder, DWORD waitMs);

private:
    FileHandle m_file;
};

}  // namespace kelvra::sim
