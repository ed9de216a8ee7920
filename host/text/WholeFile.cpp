#include "WholeFile.h"

#include <windows.h>

#include <fstream>
#include <sstream>

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

std::string ReadWhole(const std::wstring& path)
{
    std::ifstream in(path.c_str(), std::ios::binary);
    if (!in)
        throw InputError("cannot read " + NarrowUtf8(path));
    std::stringstream bytes;
    bytes << in.rdbuf();
    if (in.bad())
        throw InputError("cannot read " + NarrowUtf8(path));
    return bytes.str();
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
