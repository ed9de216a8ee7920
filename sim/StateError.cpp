#include "StateError.h"

namespace kelvra::sim {

std::wstring SystemText(DWORD error)
{
    wchar_t* text = nullptr;
    DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                      FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, error, 0, reinterpret_cast<LPWSTR>(&text), 0, nullptr);
    std::wstring meaning = length ? std::wstring(text, length) : L"error " + std::to_wstring(error);
    LocalFree(text);
    while (!meaning.empty() && (meaning.back() == L'\n' || meaning.back() == L'\r' || meaning.back() == L'.'))
        meaning.pop_back();
    return meaning;
}

void ThrowLastError(const std::wstring& what)
{
    DWORD error = ::GetLastError();
    throw StateError(HRESULT_FROM_WIN32(error), what + L": " + SystemText(error));
}

void ThrowDamaged(const std::wstring& path, const std::wstring& reason)
{
    throw StateError(E_FAIL, L"The handset state in " + path + L" is damaged (" + reason +
                                 L"); it is left as it is, move it away to start a new handset");
}

}  // namespace kelvra::sim
