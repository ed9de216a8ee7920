#include "ClassFactory.h"

namespace kelvra {

STDMETHODIMP ClassFactory::CreateInstance(IUnknown* outer, REFIID iid, void** result)
{
    return m_entry.create(outer, iid, result);
}

STDMETHODIMP ClassFactory::LockServer(BOOL lock)
{
    if (lock)
        ComModule::Lock();
    else
        ComModule::Unlock();
    return S_OK;
}

HRESULT ClassFactory::GetClassObject(const ClassEntry* entries, size_t count, REFCLSID clsid, REFIID iid,
                                     void** result)
{
    if (!result)
        return E_POINTER;
    *result = nullptr;
    for (size_t i = 0; i < count; ++i) {
        if (InlineIsEqualGUID(clsid, *entries[i].clsid)) {
            auto factory = Make(entries[i]);
            return factory->QueryInterface(iid, result);
        }
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

}  // namespace kelvra
