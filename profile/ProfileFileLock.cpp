#include "ProfileFileLock.h"

namespace kelvra {

ProfileFileLock::ProfileFileLock(const std::wstring& profilePath)
{
    // A byte-range lock, unlike a share mode, is seen by every process on the machine.
    m_file = CreateFileW(LockPath(profilePath).c_str(), GENERIC_READ | GENERIC_WRITE,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
    if (m_file == INVALID_HANDLE_VALUE)
        return;
    if (!LockFileEx(m_file, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &m_firstByte)) {
        CloseHandle(m_file);
        m_file = INVALID_HANDLE_VALUE;
    }
}

ProfileFileLock::~ProfileFileLock()
{
    if (m_file == INVALID_HANDLE_VALUE)
        return;
    UnlockFileEx(m_file, 0, 1, 0, &m_firstByte);
    CloseHandle(m_file);
}

}  // namespace kelvra
