#include "StateFile.h"

#include <algorithm>

#include "StateError.h"

namespace kelvra::sim {

bool StateFile::Read(const std::wstring& path, std::string& bytes)
{
    bytes.clear();
    DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        DWORD error = ::GetLastError();
        if (error == ERROR_FILE_NOT_FOUND)
            return false;
        SetLastError(error);
        ThrowLastError(L"Cannot reach " + path);
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        throw StateError(HRESULT_FROM_WIN32(ERROR_DIRECTORY), path + L" is a folder, not a handset state file");
    FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        ThrowLastError(L"Cannot open " + path);
    char buffer[64 * 1024];
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file.Get(), buffer, sizeof(buffer), &got, nullptr))
            ThrowLastError(L"Cannot read " + path);
        if (got == 0)
            return true;
        bytes.append(buffer, got);
    }
}

void StateFile::WriteDurably(HANDLE file, const std::string& bytes, const std::wstring& path)
{
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 30));
        DWORD written = 0;
        if (!WriteFile(file, bytes.data() + done, chunk, &written, nullptr) || written == 0)
            ThrowLastError(L"Cannot write " + path);
        done += written;
    }
    if (!flush(file))
        ThrowLastError(L"Cannot flush " + path + L" to the disk");
}

void StateFile::Replace(const std::wstring& path, const std::string& bytes)
{
    std::wstring fresh = path + L".new";
    {
        FileHandle file(CreateFileW(fresh.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file)
            ThrowLastError(L"Cannot create " + fresh);
        WriteDurably(file.Get(), bytes, fresh);
    }
    if (!MoveFileExW(fresh.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DWORD error = ::GetLastError();
        DeleteFileW(fresh.c_str());
        SetLastError(error);
        ThrowLastError(L"Cannot replace " + path);
    }
}

}  // namespace kelvra::sim
