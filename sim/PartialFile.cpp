#include "PartialFile.h"

namespace kelvra::sim {

bool PartialFile::Make(const std::wstring& target)
{
    wchar_t name[MAX_PATH];
    std::wstring folder = target.substr(0, target.find_last_of(L'\\'));
    if (!GetTempFileNameW(folder.c_str(), L"put", 0, name))
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
