#include "FolderListing.h"

#include <windows.h>

#include "ComFailure.h"
#include "ComTypes.h"

namespace kelvra::host {

namespace {

uint64_t Joined(DWORD high, DWORD low)
{
    return (static_cast<uint64_t>(high) << 32) | low;
}

bool EndsWith(const std::wstring& name, const std::wstring& extension)
{
    return name.size() > extension.size() &&
           _wcsicmp(name.c_str() + name.size() - extension.size(), extension.c_str()) == 0;
}

}  // namespace

std::vector<FolderFile> FolderListing::Files(const std::wstring& folder, const std::wstring& extension)
{
    DWORD attributes = GetFileAttributesW(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        throw InputError(NarrowUtf8(folder) + " is no folder");
    WIN32_FIND_DATAW found = {};
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        throw InputError("cannot list " + NarrowUtf8(folder));
    std::vector<FolderFile> files;
    do {
        std::wstring name = found.cFileName;
        if (name[0] == L'.' || (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || !EndsWith(name, extension))
            continue;
        files.push_back({name, Joined(found.ftLastWriteTime.dwHighDateTime, found.ftLastWriteTime.dwLowDateTime),
                         Joined(found.nFileSizeHigh, found.nFileSizeLow)});
    } while (FindNextFileW(search, &found));
    DWORD ended = GetLastError();
    FindClose(search);
    // A listing cut short would read as files deleted.
    if (ended != ERROR_NO_MORE_FILES)
        throw InputError("listing " + NarrowUtf8(folder) + " failed midway");
    return files;
}

bool FolderListing::Stat(const std::wstring& path, FolderFile& file)
{
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
        return false;
    file.stamp = Joined(data.ftLastWriteTime.dwHighDateTime, data.ftLastWriteTime.dwLowDateTime);
    file.size = Joined(data.nFileSizeHigh, data.nFileSizeLow);
    return true;
}

}  // namespace kelvra::host
