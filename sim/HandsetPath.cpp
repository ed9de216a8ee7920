#include "HandsetPath.h"

#include <windows.h>

#include <algorithm>

namespace kelvra::sim {

namespace {

bool IsSeparator(wchar_t c)
{
    return c == L'/' || c == L'\\';
}

bool SameName(const std::wstring& a, const std::wstring& b)
{
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

// CON, NUL, COM1 ... open devices whatever folder or extension they are given.
bool IsDeviceName(std::wstring_view name)
{
    std::wstring base(name.substr(0, name.find(L'.')));
    while (!base.empty() && base.back() == L' ')
        base.pop_back();
    static const wchar_t* const kDevices[] = {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"};
    for (const wchar_t* device : kDevices) {
        if (SameName(base, device))
            return true;
    }
    bool numbered = base.size() == 4 && base[3] >= L'0' && base[3] <= L'9';
    return numbered && (SameName(base.substr(0, 3), L"COM") || SameName(base.substr(0, 3), L"LPT"));
}

// A name Windows takes literally inside a folder. Trailing dots and blanks are dropped by
// Windows, so "..." or "a." would stand for another name.
bool IsPlainName(std::wstring_view name)
{
    if (name.back() == L'.' || name.back() == L' ')
        return false;
    for (wchar_t c : name) {
        if (c < 32 || wcschr(L":*?\"<>|", c))
            return false;
    }
    return !IsDeviceName(name);
}

}  // namespace

std::optional<HandsetPath> HandsetPath::Parse(std::wstring_view text)
{
    // Two leading separators make a UNC or device path ("\\server\share", "\\?\C:").
    if (text.size() >= 2 && IsSeparator(text[0]) && IsSeparator(text[1]))
        return std::nullopt;
    HandsetPath path;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = std::find_if(text.begin() + start, text.end(), IsSeparator) - text.begin();
        std::wstring_view name = text.substr(start, end - start);
        start = end + 1;
        if (name.empty() || name == L".")
            continue;
        if (name == L".." || !IsPlainName(name))
            return std::nullopt;
        path.m_names.emplace_back(name);
    }
    if (path.m_names.empty())
        return std::nullopt;
    return path;
}

std::wstring HandsetPath::Under(const std::wstring& folder) const
{
    std::wstring local = folder;
    for (const std::wstring& name : m_names)
        local += L"\\" + name;
    return local;
}

bool HandsetPath::IsWithin(const HandsetPath& other) const
{
    if (other.m_names.size() > m_names.size())
        return false;
    return std::equal(other.m_names.begin(), other.m_names.end(), m_names.begin(), SameName);
}

bool HandsetPath::operator==(const HandsetPath& other) const
{
    return m_names.size() == other.m_names.size() && IsWithin(other);
}

}  // namespace kelvra::sim
