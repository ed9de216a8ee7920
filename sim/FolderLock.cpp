#include "FolderLock.h"

#include "StateError.h"

namespace kelvra::sim {

namespace {

constexpr DWORD kRetryMs = 100;

}  // namespace

FolderLock::FolderLock(const std::wstring& folder, DWORD waitMs)
{
    std::wstring path = folder + L"\\handset.lock";
    ULONGLONG start = GetTickCount64();
    while (!TryLock(path)) {
        if (GetTickCount64() - start >= waitMs) {
            throw StateError(HRESULT_FROM_WIN32(ERROR_SHARING_VIOLATION),
                             L"The handset in " + folder + L" is in use by another program; waited " +
                                 std::to_wstring((waitMs + 999) / 1000) + L" s for it to finish");
        }
        Sleep(kRetryMs);
    }
}

bool FolderLock::TryLock(const std::wstring& path)
{
    // Earlier versions claimed the folder by opening the lock file without sharing; such
    // a holder is waited for like a lock.
    m_file = FileHandle(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!m_file) {
        if (::GetLastError() == ERROR_SHARING_VIOLATION)
            return false;
        ThrowLastError(L"Cannot make the lock file " + path);
    }
    OVERLAPPED firstByte = {};
    if (LockFileEx(m_file.Get(), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &firstByte))
        return true;
    DWORD error = ::GetLastError();
    m_file.Close();
    if (error == ERROR_LOCK_VIOLATION)
        return false;
    SetLastError(error);
    ThrowLastError(L"Cannot lock " + path);
}

}  // namespace kelvra::sim
