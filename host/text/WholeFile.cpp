#include "WholeFile.h"

#include <windows.h>

#include <fstream>

#include "ComFailure.h"
#include "ComTypes.h"

namespace kelvra::host {

std::wstring FullPcPath(const std::wstring& path)
{
    wchar_t full[MAX_PATH];
    DWORD length = GetFullPathNameW(path.c_str(), MAX_PATH, full, nullptr);
    if (!length || length >= MAX_PATH)
        throw InputError("cannot use the PC path " + NarrowUtf8(path));
    return full;
}

std::string ReadWhole(const std::wstring& path, uint64_t mostBytes)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        throw InputError("cannot read " + NarrowUtf8(path));
    uint64_t size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    if (size > mostBytes) {
        throw InputError(NarrowUtf8(path) + " is larger than the " + std::to_string(mostBytes >> 20) +
                         " MB this command reads");
    }
    std::ifstream in(path.c_str(), std::ios::binary);
    if (!in)
        throw InputError("cannot read " + NarrowUtf8(path));
    std::string bytes(static_cast<size_t>(size), '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (in.bad() || static_cast<uint64_t>(in.gcount()) != size)
        throw InputError("cannot read " + NarrowUtf8(path));
    return bytes;
}

std::string ReadWhole(const std::wstring& path)
{
    return ReadWhole(path, UINT64_MAX);
}

void WriteWhole(const std::wstring& path, const std::string& bytes)
{
    std::wstring partial = path + L".part";
    {
        std::ofstream out(partial.c_str(), std::ios::binary | std::ios::trunc);
        if (!(out << bytes) || !out.flush()) {
            out.close();
            DeleteFileW(partial.c_str());
            throw InputError("cannot write " + NarrowUtf8(path));
        }
    }
    if (!MoveFileExW(partial.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileW(partial.c_str());
        throw InputError("cannot write " + NarrowUtf8(path));
    }
}

}  // namespace kelvra::host
