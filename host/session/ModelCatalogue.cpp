#include "ModelCatalogue.h"

#include <windows.h>
#include <objbase.h>

#include <algorithm>

#include "ComFailure.h"
#include "ComTypes.h"

namespace kelvra::host {

namespace {

const wchar_t kComponent[] = L"Orvane.Syncora.QEL.DeviceDataKELVRA";
const wchar_t kProfileType[] = L"INI";

struct ModuleOwner {
    HMODULE module;
    ~ModuleOwner() { if (module) FreeLibrary(module); }
};

BOOL CALLBACK CollectId(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR ids)
{
    if (IS_INTRESOURCE(name))
        reinterpret_cast<std::vector<int>*>(ids)->push_back(static_cast<int>(reinterpret_cast<ULONG_PTR>(name)));
    return TRUE;
}

}  // namespace

std::wstring ModelCatalogue::ComponentPath()
{
    CLSID clsid;
    CheckCall(CLSIDFromProgID(kComponent, &clsid), "Finding the component (is it registered?)");
    wchar_t text[64] = {};
    StringFromGUID2(clsid, text, 64);
    std::wstring key = std::wstring(L"CLSID\\") + text + L"\\InprocServer32";
    wchar_t path[MAX_PATH] = {};
    DWORD size = sizeof(path);
    LONG status = RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr,
                               path, &size);
    CheckCall(HRESULT_FROM_WIN32(status), "Finding the component's DLL");
    return path;
}

std::wstring ModelCatalogue::ModelNameIn(const std::string& profile)
{
    // "PhoneModel = KTM-A280" in the profile's [Phone Base Info].
    size_t key = profile.find("PhoneModel");
    if (key == std::string::npos)
        return {};
    size_t equals = profile.find('=', key);
    size_t end = profile.find_first_of("\r\n", key);
    if (equals == std::string::npos || (end != std::string::npos && equals > end))
        return {};
    std::string name = profile.substr(equals + 1, end == std::string::npos ? std::string::npos : end - equals - 1);
    name.erase(0, name.find_first_not_of(" \t"));
    name.erase(name.find_last_not_of(" \t") + 1);
    return WidenUtf8(name);
}

std::vector<BuiltInModel> ModelCatalogue::Load()
{
    std::wstring path = ComponentPath();
    ModuleOwner owner{LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE)};
    if (!owner.module)
        CheckCall(HRESULT_FROM_WIN32(GetLastError()), "Reading the component's built-in profiles");
    std::vector<int> ids;
    EnumResourceNamesW(owner.module, kProfileType, CollectId, reinterpret_cast<LONG_PTR>(&ids));
    std::sort(ids.begin(), ids.end());
    std::vector<BuiltInModel> models;
    for (int id : ids) {
        HRSRC resource = FindResourceW(owner.module, MAKEINTRESOURCEW(id), kProfileType);
        HGLOBAL loaded = resource ? LoadResource(owner.module, resource) : nullptr;
        const char* bytes = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
        if (!bytes)
            continue;
        std::string profile(bytes, SizeofResource(owner.module, resource));
        std::wstring name = ModelNameIn(profile);
        if (!name.empty())
            models.push_back({id, name, std::move(profile)});
    }
    return models;
}

}  // namespace kelvra::host
