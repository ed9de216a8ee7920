#include "ModelProfile.h"

#include <climits>
#include <cwctype>

namespace kelvra {

LONG ParseDecimal(std::wstring_view text)
{
    size_t position = 0;
    while (position < text.size() && std::iswspace(text[position]))
        ++position;
    bool negative = false;
    if (position < text.size() && (text[position] == L'-' || text[position] == L'+'))
        negative = text[position++] == L'-';
    long long value = 0;
    for (; position < text.size() && text[position] >= L'0' && text[position] <= L'9'; ++position) {
        value = value * 10 + (text[position] - L'0');
        if (value > static_cast<long long>(INT_MAX) + 1)
            value = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative)
        value = -value;
    if (value > INT_MAX)
        value = INT_MAX;
    return static_cast<LONG>(value);
}

std::wstring ModelProfile::Text(const std::wstring& key) const
{
    auto found = texts.find(key);
    if (found == texts.end())
        return {};
    const VARIANT& value = found->second.Get();
    if (value.vt != VT_BSTR || !value.bstrVal)
        return {};
    return std::wstring(value.bstrVal, SysStringLen(value.bstrVal));
}

FieldLength ModelProfile::Length(const std::wstring& key) const
{
    auto found = lengths.find(key);
    return found == lengths.end() ? FieldLength(0, 0) : found->second;
}

bool ModelProfile::HasTable(int number) const
{
    return number >= 1 && number <= kTablePresenceCount && presence[static_cast<size_t>(number - 1)] != 0;
}

}  // namespace kelvra
