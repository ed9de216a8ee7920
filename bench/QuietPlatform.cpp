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

uint64_t FileSize(const std::wstring& path)
{
    std::error_code failed;
    uintmax_t size = std::filesystem::file_size(std::filesystem::path(path), failed);
    return failed ? 0 : size;
}

}  // namespace kelvra::bench
