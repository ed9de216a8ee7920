#include "PhonebookTypes.h"

#include <cwctype>

namespace kelvra {

namespace {

std::wstring CleanNumber(std::wstring_view number, size_t maxChars, std::wstring_view keptSigns)
{
    std::wstring kept;
    bool plus = false;
    for (size_t i = 0; i < number.size(); ++i) {
        wchar_t c = number[i];
        if (i == 0 && c == L'+') {
            plus = true;
            kept += c;
        } else if ((c >= L'0' && c <= L'9') || keptSigns.find(c) != std::wstring_view::npos) {
            kept += c;
        }
    }
    return kept.substr(0, maxChars + (plus ? 1 : 0));
}

}  // namespace

std::wstring TypeName(uint8_t code, LONG numberTypeSetting)
{
    static const wchar_t* const kStandard[] = {L"Mobile.Private", L"Mobile.Business", L"Landline.Private",
                                               L"Landline.Business", L"Fax"};
    static const wchar_t* const kShort[] = {L"NONE", L"Mobile", L"Landline.Private", L"Fax", L"ETC"};
    if (code <= 4)
        return numberTypeSetting == 1 ? kShort[code] : kStandard[code];
    if (code == 6 || code == 8 || code == 17)
        return L"private";
    if (code == 7 || code == 9 || code == 18)
        return L"business";
    return L"ETC";
}

uint8_t NumberTypeCode(const std::wstring& name, const PhonebookSettings& settings)
{
    if (settings.UsesShortTypeTable()) {
        if (name == L"Mobile" || name == L"Mobile.Private" || name == L"Mobile.Business")
            return 1;
        return name == L"Landline.Private" ? 2 : 0;
    }
    if (settings.numberTypeSetting == 1) {
        if (name == L"Mobile")
            return 1;
        if (name == L"Landline.Private")
            return 2;
        if (name == L"Fax")
            return 3;
        return name == L"ETC" ? 4 : 5;
    }
    if (name == L"Mobile.Private" || name == L"Mobile")
        return 0;
    if (name == L"Mobile.Business")
        return 1;
    if (name == L"Landline.Private")
        return 2;
    if (name == L"Landline.Business")
        return 3;
    if (name == L"Fax")
        return 4;
    if (name == L"ETC")
        return 5;
    if (settings.model.IsOneOfIgnoringCase({L"KTM-A290", L"KTM-A180"}))
        return 2;
    if (settings.model.IsOneOfIgnoringCase({L"KTM-A140", L"KTM-A250"}))
        return 0;
    return 5;
}

std::wstring CleanContactNumber(std::wstring_view number, size_t maxChars)
{
    return CleanNumber(number, maxChars, L"*#PT");
}

std::wstring CleanCardNumber(std::wstring_view number, size_t maxChars)
{
    return CleanNumber(number, maxChars, L"*#P");
}

std::wstring UrlForHandset(const std::wstring& url)
{
    if (url.empty())
        return url;
    // "scheme:" made of letters, digits, "+", "-" and "." keeps the URL as it is.
    size_t colon = url.find(L':');
    bool hasScheme = colon != std::wstring::npos && colon > 0 && std::iswalpha(url[0]);
    for (size_t i = 0; hasScheme && i < colon; ++i) {
        wchar_t c = url[i];
        hasScheme = std::iswalnum(c) || c == L'+' || c == L'-' || c == L'.';
    }
    if (hasScheme && url.compare(colon, 3, L"://") == 0)
        return url;
    if (hasScheme && (_wcsnicmp(url.c_str(), L"mailto:", 7) == 0 || _wcsnicmp(url.c_str(), L"tel:", 4) == 0))
        return url;
    return L"http://" + url;
}

}  // namespace kelvra
