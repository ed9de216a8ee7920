#include "SimFileList.h"

#include <string>

#include "SimState.h"

namespace kelvra::sim {

STDMETHODIMP SimFileList::get_Count(long* count)
{
    if (!count)
        return E_POINTER;
    *count = static_cast<long>(m_entries.size());
    return S_OK;
}

STDMETHODIMP SimFileList::Item(long index, ITAMFileEntry** entry)
{
    if (!entry)
        return E_POINTER;
    *entry = nullptr;
    if (index < 0 || static_cast<size_t>(index) >= m_entries.size()) {
        return Fail(E_INVALIDARG, L"The listing has entries 0 to " + std::to_wstring(m_entries.size()) +
                                      L" (exclusive), not " + std::to_wstring(index));
    }
    *entry = SimFileEntry::Make(m_entries[static_cast<size_t>(index)]).Detach();
    return S_OK;
}

STDMETHODIMP SimFileList::InterfaceSupportsErrorInfo(REFIID iid)
{
    return InlineIsEqualGUID(iid, IID_ITAMFileList) ? S_OK : S_FALSE;
}

}  // namespace kelvra::sim
