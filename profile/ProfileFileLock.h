// Keeps the profile file to one load at a time. Its path is the same for every process
// of the user, so another program's load between this one's write and its last key
// would give this connection another model's record layouts.
#pragma once

#include <windows.h>

#include <string>

namespace kelvra {

class ProfileFileLock {
public:
    // Waits for any other load to finish. Where no lock can be taken (a folder that
    // holds no files) the load goes on unguarded, as it would fail anyway on writing.
    explicit ProfileFileLock(const std::wstring& profilePath);
    ~ProfileFileLock();
    ProfileFileLock(const ProfileFileLock&) = delete;
    ProfileFileLock& operator=(const ProfileFileLock&) = delete;

    // The file beside the profile whose first byte is locked; other programs that read
    // the profile may take the same lock.
    static std::wstring LockPath(const std::wstring& profilePath) { return profilePath + L".lock"; }

private:
    HANDLE m_file = INVALID_HANDLE_VALUE;
    OVERLAPPED m_firstByte = {};
};

}  // namespace kelvra
