#include "SimModelDatabase.h"

#include "ComTypes.h"

namespace kelvra::sim {

STDMETHODIMP SimModelDatabase::GetValue(BSTR key, BSTR* value)
{
    if (!value)
        return E_POINTER;
    std::wstring name = key ? key : L"";
    m_asked.push_back(name);
    auto found = m_values.find(name);
    // An unknown key answers the empty text, as the host's database does.
    return ReturnText(found == m_values.end() ? std::wstring() : found->second, value);
}

STDMETHODIMP SimModelDatabase::SetValue(BSTR key, BSTR value)
{
    m_values[key ? key : L""] = value ? value : L"";
    return S_OK;
}

STDMETHODIMP SimModelDatabase::get_Questions(BSTR* keys)
{
    std::wstring joined;
    for (const auto& key : m_asked)
        joined += (joined.empty() ? L"" : L"\n") + key;
    return ReturnText(joined, keys);
}

}  // namespace kelvra::sim
