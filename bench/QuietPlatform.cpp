#include "QuietPlatform.h"

#include <filesystem>

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
    std::error_code ignored;
    std::filesystem::remove_all(std::filesystem::path(folder), ignored);
}

}  // namespace kelvra::bench
