#include "MmsFiles.h"

#include <windows.h>
#include <objbase.h>

#include <memory>

#include "Errors.h"
#include "Platform.h"
#include "ProfileLoader.h"

namespace kelvra {

namespace {

struct HandleCloser {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using OwnedFile = std::unique_ptr<void, HandleCloser>;

OwnedFile OpenFile(const std::wstring& path, DWORD access, DWORD disposition)
{
    HANDLE handle = CreateFileW(path.c_str(), access, FILE_SHARE_READ, nullptr, disposition, FILE_ATTRIBUTE_NORMAL,
                                nullptr);
    return OwnedFile(handle == INVALID_HANDLE_VALUE ? nullptr : handle);
}

[[noreturn]] void ThrowFileError(DWORD error, const std::wstring& text)
{
    ThrowComError(HRESULT_FROM_WIN32(error ? error : ERROR_WRITE_FAULT), text);
}

std::wstring NewFileName()
{
    GUID guid = Platform::Current().NewGuid();
    wchar_t text[40] = {};
    StringFromGUID2(guid, text, 40);
    std::wstring name(text);
    return name.substr(1, name.size() - 2) + L".mms";  // without the braces
}

void WriteWhole(const std::wstring& path, const std::string& content)
{
    OwnedFile file = OpenFile(path, GENERIC_WRITE, CREATE_ALWAYS);
    if (!file)
        ThrowFileError(GetLastError(), L"The message file " + path + L" cannot be created");
    DWORD written = 0;
    if (!WriteFile(file.get(), content.data(), static_cast<DWORD>(content.size()), &written, nullptr) ||
        written != content.size())
        ThrowFileError(GetLastError(), L"The message file " + path + L" could not be written whole");
}

}  // namespace

std::wstring SaveMmsFile(const std::string& content)
{
    std::wstring folder = ProfileLoader::DataFolder() + L"\\MMS";
    ProfileLoader::CreateFolder(folder);
    std::wstring path = folder + L"\\" + NewFileName();
    std::wstring partial = path + L".part";
    try {
        WriteWhole(partial, content);
        if (!MoveFileExW(partial.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING))
            ThrowFileError(GetLastError(), L"The message file " + path + L" cannot be put in place");
    } catch (...) {
        DeleteFileW(partial.c_str());
        throw;
    }
    return path;
}

std::string LoadMmsFile(const std::wstring& path, size_t largest)
{
    if (path.empty())
        ThrowComError(E_INVALIDARG, L"No message file was named to send");
    OwnedFile file = OpenFile(path, GENERIC_READ, OPEN_EXISTING);
    if (!file)
        ThrowFileError(GetLastError(), L"The message file " + path + L" cannot be opened");
    LARGE_INTEGER size = {};
    if (!GetFileSizeEx(file.get(), &size))
        ThrowFileError(GetLastError(), L"The size of the message file " + path + L" is unknown");
    if (size.QuadPart == 0)
        ThrowComError(E_INVALIDARG, L"The message file " + path + L" is empty");
    if (static_cast<unsigned long long>(size.QuadPart) > largest)
        ThrowComError(E_INVALIDARG, L"The message file " + path + L" holds " + std::to_wstring(size.QuadPart) +
                                        L" bytes; a message may hold at most " + std::to_wstring(largest));
    std::string content(static_cast<size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (!ReadFile(file.get(), content.data(), static_cast<DWORD>(content.size()), &read, nullptr) ||
        read != content.size())
        ThrowFileError(GetLastError(), L"The message file " + path + L" could not be read whole");
    return content;
}

}  // namespace kelvra
