#include "PartialFile.h"

namespace kelvra::sim {

void PartialFile::DiscardLeftOvers(const std::wstring& scratch)
{
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((scratch + L"\\put*.tmp").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        DeleteFileW((scratch + L"\\" + found.cFileName).c_str());
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

bool PartialFile::Make(const std::wstring& target, const std::wstring& scratch)
{
    wchar_t name[MAX_PATH];
    std::wstring folder = target.substr(0, target.find_last_of(L'\\'));
    DWORD attributes = GetFileAttributesW(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return false;
    }
    if (!CreateDirectoryW(scratch.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
        return false;
    if (!GetTempFileNameW(scratch.c_str(), L"put", 0, name))
        return false;
    m_path = name;
    m_file = FileHandle(CreateFileW(name, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return static_cast<bool>(m_file);
}

bool PartialFile::Finish(const std::wstring& target)
{
    m_file.Close();
    if (!MoveFileExW(m_path.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING))
        return false;
    m_path.clear();
    return true;
}

void PartialFile::Discard()
{
    m_file.Close();
    if (!m_path.empty())
        DeleteFileW(m_path.c_str());
    m_path.clear();
}

}  // namespace kelvra::sim
