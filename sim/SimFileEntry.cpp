#include "SimFileEntry.h"

#include "ComTypes.h"

namespace kelvra::sim {

STDMETHODIMP SimFileEntry::get_Name(BSTR* name)
{
    return ReturnText(m_entry.name, name);
}

STDMETHODIMP SimFileEntry::get_IsFile(VARIANT_BOOL* isFile)
{
    if (!isFile)
        return E_POINTER;
    *isFile = m_entry.isFile ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

STDMETHODIMP SimFileEntry::get_Size(long* size)
{
    if (!size)
        return E_POINTER;
    *size = m_entry.size;
    return S_OK;
}

}  // namespace kelvra::sim
