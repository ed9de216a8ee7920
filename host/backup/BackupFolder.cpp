#include "BackupFolder.h"

#include <windows.h>

#include "ComFailure.h"
#include "ComTypes.h"
#include "Sha256.h"
#include "WholeFile.h"

namespace kelvra::host {

namespace {

bool Exists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring LastError()
{
    return std::to_wstring(GetLastError());
}

}  // namespace

std::wstring PcPathUnder(const std::wstring& folder, const std::string& relative)
{
    std::wstring path = folder;
    for (wchar_t c : WidenUtf8(relative))
        path += c == L'/' ? L'\\' : c;
    return path.insert(folder.size(), L"\\");
}

bool RemovePcTree(const std::wstring& folder)
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
                RemovePcTree(path);
            else
                DeleteFileW(path.c_str());
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    return RemoveDirectoryW(folder.c_str()) != 0;
}

BackupFolder::BackupFolder(const std::wstring& target) : m_target(FullPcPath(target))
{
    while (m_target.size() > 3 && (m_target.back() == L'\\' || m_target.back() == L'/'))
        m_target.pop_back();
    if (Exists(m_target))
        throw BadValue(NarrowUtf8(target) + " exists already; a backup goes into a new folder");
    m_partial = m_target + L".partial-" + std::to_wstring(GetCurrentProcessId());
    if (Exists(m_partial))
        RemovePcTree(m_partial);  // left by a killed run of a process that had this number
    if (!CreateDirectoryW(m_partial.c_str(), nullptr))
        throw InputError("cannot make the folder " + NarrowUtf8(m_partial) + " (error " + NarrowUtf8(LastError()) + ")");
}

BackupFolder::~BackupFolder()
{
    if (!m_complete)
        RemovePcTree(m_partial);
}

void BackupFolder::MakeFolder(const std::string& relative)
{
    std::wstring path = m_partial;
    std::wstring rest = WidenUtf8(relative);
    for (size_t start = 0; start <= rest.size();) {
        size_t slash = rest.find(L'/', start);
        if (slash == std::wstring::npos)
            slash = rest.size();
        path += L"\\" + rest.substr(start, slash - start);
        if (!CreateDirectoryW(path.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
            throw InputError("cannot make the folder " + NarrowUtf8(path) + " (error " + NarrowUtf8(LastError()) + ")");
        start = slash + 1;
    }
}

std::wstring BackupFolder::PathFor(const std::string& relative)
{
    size_t slash = relative.rfind('/');
    if (slash != std::string::npos)
        MakeFolder(relative.substr(0, slash));
    return PcPathUnder(m_partial, relative);
}

void BackupFolder::Write(const std::string& relative, const std::string& bytes)
{
    WriteWhole(PathFor(relative), bytes);
    m_files.push_back({relative, bytes.size(), Sha256Hex(bytes)});
}

void BackupFolder::Record(const std::string& relative)
{
    ManifestFile file{relative, 0, {}};
    file.sha256 = Sha256OfFile(PcPathUnder(m_partial, relative), file.size);
    m_files.push_back(std::move(file));
}

void BackupFolder::Complete(BackupManifest manifest)
{
    manifest.files = m_files;
    WriteBackupManifest(m_partial, manifest);
    if (!MoveFileW(m_partial.c_str(), m_target.c_str()))
        throw InputError("cannot name the backup " + NarrowUtf8(m_target) + " (error " + NarrowUtf8(LastError()) + ")");
    m_complete = true;
}

}  // namespace kelvra::host
