// A type library embedded in this binary, loaded once, with one ITypeInfo cached per
// interface.
#pragma once

#include <windows.h>
#include <oaidl.h>
#include <wrl/client.h>

#include <map>
#include <string>

namespace kelvra {

class TypeLibrary {
public:
    // The library in the binary's "TYPELIB" resource of that number.
    static TypeLibrary& Embedded(int resource);

    HRESULT GetTypeInfo(REFIID iid, ITypeInfo** info);
    HRESULT Load(ITypeLib** library);

private:
    explicit TypeLibrary(int resource) : m_resource(resource) {}

    int m_resource;
    Microsoft::WRL::ComPtr<ITypeLib> m_library;
    std::map<GUID, Microsoft::WRL::ComPtr<ITypeInfo>, bool (*)(const GUID&, const GUID&)> m_infos{
        [](const GUID& a, const GUID& b) { return memcmp(&a, &b, sizeof(GUID)) < 0; }};
};

// Path of a resource-embedded type library, as LoadTypeLib expects it.
std::wstring EmbeddedTypeLibraryPath(int resource);

}  // namespace kelvra
