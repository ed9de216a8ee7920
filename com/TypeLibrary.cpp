#include "TypeLibrary.h"

#include <memory>
#include <string>

#include "ComModule.h"

namespace kelvra {

std::wstring EmbeddedTypeLibraryPath(int resource)
{
    std::wstring path = ComModule::Path();
    if (resource != 1)
        path += L"\\" + std::to_wstring(resource);
    return path;
}

TypeLibrary& TypeLibrary::Embedded(int resource)
{
    static std::map<int, std::unique_ptr<TypeLibrary>> libraries;
    auto& library = libraries[resource];
    if (!library)
        library.reset(new TypeLibrary(resource));
    return *library;
}

HRESULT TypeLibrary::Load(ITypeLib** library)
{
    if (!m_library) {
        HRESULT hr = LoadTypeLibEx(EmbeddedTypeLibraryPath(m_resource).c_str(), REGKIND_NONE, &m_library);
        if (FAILED(hr))
            return hr;
    }
    return m_library.CopyTo(library);
}

HRESULT TypeLibrary::GetTypeInfo(REFIID iid, ITypeInfo** info)
{
    if (!info)
        return E_POINTER;
    *info = nullptr;
    auto found = m_infos.find(iid);
    if (found == m_infos.end()) {
        Microsoft::WRL::ComPtr<ITypeLib> library;
        HRESULT hr = Load(&library);
        if (SUCCEEDED(hr)) {
            Microsoft::WRL::ComPtr<ITypeInfo> typeInfo;
            hr = library->GetTypeInfoOfGuid(iid, &typeInfo);
            if (FAILED(hr))
                return hr;
            found = m_infos.emplace(iid, typeInfo).first;
        } else {
            return hr;
        }
    }
    return found->second.CopyTo(info);
}

}  // namespace kelvra
