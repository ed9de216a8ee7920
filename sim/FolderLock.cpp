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
    for (;;) {
        m_file = FileHandle(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
        if (m_file)
            return;
        DWORD error = ::GetLastError();
        if (error != ERROR_SHARING_VIOLATION)
            ThrowLastError(L"Cannot make the lock file " + path);
        if (GetTickCount64() - start >= waitMs) {
            throw StateError(HRESULT_FROM_WIN32(ERROR_SHARING_VIOLATION),
                             L"The handset in " + folder + L" is in use by another program; waited " +
                                 std::to_wstring((waitMs + 999) / 1000) + L" s for it to finish");
        }
        Sleep(kRetryMs);
    }
}

}  // namespace kelvra::sim
