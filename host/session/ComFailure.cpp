#include "ComFailure.h"

#include <oleauto.h>
#include <wrl/client.h>

#include <cstdio>

#include "ComTypes.h"

namespace kelvra::host {

namespace {

std::string SystemText(HRESULT hr)
{
    wchar_t* text = nullptr;
    DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                      FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, static_cast<DWORD>(hr), 0, reinterpret_cast<LPWSTR>(&text), 0, nullptr);
    std::wstring meaning = length ? std::wstring(text, length) : std::wstring();
    LocalFree(text);
    while (!meaning.empty() && (meaning.back() == L'\n' || meaning.back() == L'\r' || meaning.back() == L'.'))
        meaning.pop_back();
    return NarrowUtf8(meaning);
}

// The component's error information says where it failed ("Table::Method failed with
// 0x...: " before, "(File.cpp:12)" or "(File.h:12)" after the reason). That belongs in the debug log; a
// person reads the reason.
std::wstring ReasonOnly(std::wstring text)
{
    size_t source = text.rfind(L" (");
    if (source != std::wstring::npos && text.back() == L')' &&
        (text.find(L".cpp:", source) != std::wstring::npos || text.find(L".h:", source) != std::wstring::npos))
        text.erase(source);
    size_t failed = text.find(L" failed with 0x");
    size_t colon = failed == std::wstring::npos ? std::wstring::npos : text.find(L": ", failed);
    if (colon != std::wstring::npos && text.find(L"::") < failed)
        text.erase(0, colon + 2);
    return text;
}

std::string ErrorInformation()
{
    Microsoft::WRL::ComPtr<IErrorInfo> info;
    if (GetErrorInfo(0, &info) != S_OK || !info)
        return {};
    Bstr description;
    info->GetDescription(description.Out());
    std::wstring text = description.Str();
    OutputDebugStringW((L"kelvra-sync: " + text + L"\n").c_str());
    return NarrowUtf8(ReasonOnly(text));
}

}  // namespace

bool IsSystemResult(HRESULT hr)
{
    return !SystemText(hr).empty();
}

std::string MeaningOf(HRESULT hr)
{
    std::string meaning = SystemText(hr);
    if (!meaning.empty())
        return meaning;
    switch (static_cast<unsigned long>(hr)) {
    case 0x80040001: return "the handset answered with an unexpected reply";
    case 0x8004000C: return "the handset's store is full";
    case 0x8004000F: return "the device agent timed out";
    case 0x80042EF4: return "the handset refused the privacy password";
    case 0x80049E44: return "the handset did not confirm the send";
    default: return "no description";
    }
}

ComFailure::ComFailure(HRESULT hr, const std::string& what, const std::string& reason)
    : std::runtime_error(what), m_hr(hr), m_reason(reason)
{
}

void CheckCall(HRESULT hr, const char* what)
{
    if (SUCCEEDED(hr))
        return;
    char code[16];
    snprintf(code, sizeof(code), "0x%08lX", static_cast<unsigned long>(hr));
    std::string message = std::string(what) + " failed: " + code + " " + MeaningOf(hr);
    std::string details = ErrorInformation();
    if (!details.empty())
        message += "\n  " + details;
    throw ComFailure(hr, message, details);
}

}  // namespace kelvra::host
