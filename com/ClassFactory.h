// The class factory that DllGetClassObject hands out for each entry of the object map.
#pragma once

#include "ComObject.h"

namespace kelvra {

class ClassFactory : public ComObject<ClassFactory, IClassFactory> {
public:
    explicit ClassFactory(const ClassEntry& entry) : m_entry(entry) {}

    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** result) override;
    STDMETHODIMP LockServer(BOOL lock) override;

    // DllGetClassObject over an object map.
    static HRESULT GetClassObject(const ClassEntry* entries, size_t count, REFCLSID clsid, REFIID iid,
                                  void** result);

private:
    const ClassEntry& m_entry;
};

}  // namespace kelvra
