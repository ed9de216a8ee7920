#include "QuietPlatform.h"

namespace kelvra::bench {

QuietPlatform::QuietPlatform()
{
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    m_folder = std::wstring(temp) + L"kelvra-bench-" + std::to_wstring(GetCurrentProcessId());
    RemoveTree(m_folder);
    CreateDirectoryW(m_folder.c_str(), nullptr);
}

QuietPlatform::~QuietPlatform()
{
    RemoveTree(m_folder);
}

std::wstring QuietPlatform::NewFolder()
{
    std::wstring folder = m_folder + L"\\" + std::to_wstring(++m_made);
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

void RemoveTree(const std::wstring& folder)
{
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = found.cFileName;
            if (name == L"." || name == L"..")
                continue;
            std::wstring path = folder + L"\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(path);
            else
                DeleteFileW(path.c_str());
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(folder.c_str());
}

}  // namespace kelvra::bench
