#include "PhotoNames.h"

#include <windows.h>

#include <cwctype>

#include "ComTypes.h"

namespace kelvra {

namespace {

bool IsDeviceName(const std::wstring& name)
{
    std::wstring stem = name.substr(0, name.find(L'.'));
    while (!stem.empty() && stem.back() == L' ')
        stem.pop_back();
    for (wchar_t& c : stem)
        c = static_cast<wchar_t>(std::towupper(c));
    for (const wchar_t* device : {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$", L"CLOCK$"}) {
        if (stem == device)
            return true;
    }
    // COM0 to COM9 and LPT0 to LPT9, also with superscript digits.
    if (stem.size() == 4 && (stem.compare(0, 3, L"COM") == 0 || stem.compare(0, 3, L"LPT") == 0)) {
        wchar_t digit = stem[3];
        return (digit >= L'0' && digit <= L'9') || digit == 0x00B9 || digit == 0x00B2 || digit == 0x00B3;
    }
    return false;
}

}  // namespace

std::wstring CacheFileName(const std::wstring& path)
{
    size_t slash = path.find_last_of(L"/\\");
    std::wstring name = slash == std::wstring::npos ? path : path.substr(slash + 1);
    // A drive or a stream name ("C:x", "a.jpg:hidden") is no plain file name.
    if (name.find(L':') != std::wstring::npos)
        return {};
    std::wstring safe;
    for (wchar_t c : name) {
        if (c < 0x20 || std::wstring_view(L"<>\"|?*").find(c) != std::wstring_view::npos)
            safe += L'_';
        else
            safe += c;
    }
    while (!safe.empty() && (safe.back() == L'.' || safe.back() == L' '))
        safe.pop_back();
    if (safe.empty())
        return {};
    if (IsDeviceName(safe))
        safe = L"_" + safe;
    return safe;
}

std::string HandsetPicturePath(const std::wstring& folder, const std::wstring& fileName, size_t maxBytes)
{
    size_t dot = fileName.find_last_of(L'.');
    std::wstring extension = dot == std::wstring::npos ? std::wstring() : fileName.substr(dot);
    std::string head = NarrowUtf8(folder), tail = NarrowUtf8(extension);
    if (head.size() + tail.size() >= maxBytes)
        return {};
    std::string stem = NarrowWithin(fileName.substr(0, fileName.size() - extension.size()), CP_UTF8,
                                    maxBytes - head.size() - tail.size());
    while (!stem.empty() && (stem.back() == '.' || stem.back() == ' '))
        stem.pop_back();
    return stem.empty() ? std::string() : head + stem + tail;
}

}  // namespace kelvra
