#include "HandsetFolder.h"

#include <algorithm>
#include <climits>

namespace kelvra::sim {

namespace {

bool IsDotEntry(const WIN32_FIND_DATAW& found)
{
    return wcscmp(found.cFileName, L".") == 0 || wcscmp(found.cFileName, L"..") == 0;
}

uint64_t SizeOf(const WIN32_FIND_DATAW& found)
{
    return (static_cast<uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
}

// Calls visit for each entry of a folder but "." and ".."; false when it cannot be read.
template <class Visit>
bool ForEachEntry(const std::wstring& folder, Visit visit)
{
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return false;
    do {
        if (!IsDotEntry(found))
            visit(found);
    } while (FindNextFileW(search, &found));
    DWORD error = ::GetLastError();
    FindClose(search);
    SetLastError(error);
    return error == ERROR_NO_MORE_FILES;
}

bool ByName(const FolderEntry& a, const FolderEntry& b)
{
    int order = CompareStringOrdinal(a.name.c_str(), static_cast<int>(a.name.size()), b.name.c_str(),
                                     static_cast<int>(b.name.size()), TRUE);
    return order == CSTR_EQUAL ? a.name < b.name : order == CSTR_LESS_THAN;
}

}  // namespace

bool ReadFolderEntries(const std::wstring& folder, std::vector<FolderEntry>& entries)
{
    entries.clear();
    DWORD attributes = GetFileAttributesW(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        SetLastError(attributes == INVALID_FILE_ATTRIBUTES ? ERROR_PATH_NOT_FOUND : ERROR_DIRECTORY);
        return false;
    }
    bool read = ForEachEntry(folder, [&](const WIN32_FIND_DATAW& found) {
        bool isFile = !(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
        long size = isFile ? static_cast<long>(std::min<uint64_t>(SizeOf(found), LONG_MAX)) : 0;
        entries.push_back(FolderEntry{found.cFileName, isFile, size});
    });
    // An empty folder on some file systems has no "." entry either.
    if (!read && ::GetLastError() != ERROR_FILE_NOT_FOUND)
        return false;
    std::sort(entries.begin(), entries.end(), ByName);
    return true;
}

uint64_t BytesUnder(const std::wstring& folder)
{
    uint64_t bytes = 0;
    ForEachEntry(folder, [&](const WIN32_FIND_DATAW& found) {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
            return;  // a link leads elsewhere; what it holds is not the handset's
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            bytes += BytesUnder(folder + L"\\" + found.cFileName);
        else
            bytes += SizeOf(found);
    });
    return bytes;
}

bool MakeFolderPath(const std::wstring& folder)
{
    if (CreateDirectoryW(folder.c_str(), nullptr))
        return true;
    DWORD error = ::GetLastError();
    if (error == ERROR_ALREADY_EXISTS) {
        DWORD attributes = GetFileAttributesW(folder.c_str());
        SetLastError(ERROR_ALREADY_EXISTS);
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    }
    size_t parentEnd = folder.find_last_of(L"\\/");
    if (error != ERROR_PATH_NOT_FOUND || parentEnd == std::wstring::npos || parentEnd == 0)
        return false;
    return MakeFolderPath(folder.substr(0, parentEnd)) && CreateDirectoryW(folder.c_str(), nullptr);
}

}  // namespace kelvra::sim
