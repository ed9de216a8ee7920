#include "SimModelDatabase.h"

namespace kelvra::sim {

STDMETHODIMP SimModelDatabase::GetValue(BSTR key, BSTR* value)
{
    if (!value)
        return E_POINTER;
    std::wstring name = key ? key : L"";
    m_asked.push_back(name);
    auto found = m_values.find(name);
    // An unknown key answers the empty text, as the host's database does.
    const std::wstring& answer = found == m_values.end() ? std::wstring() : found->second;
    *value = SysAllocStringLen(answer.data(), static_cast<UINT>(answer.size()));
    return *value ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP SimModelDatabase::SetValue(BSTR key, BSTR value)
{
    m_values[key ? key : L""] = value ? value : L"";
    return S_OK;
}

STDMETHODIMP SimModelDatabase::get_Questions(BSTR* keys)
{
    if (!keys)
        return E_POINTER;
    std::wstring joined;
    for (const auto& key : m_asked)
        joined += (joined.empty() ? L"" : L"\n") + key;
    *keys = SysAllocStringLen(joined.data(), static_cast<UINT>(joined.size()));
    return *keys ? S_OK : E_OUTOFMEMORY;
}

}  // namespace kelvra::sim
