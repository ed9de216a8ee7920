#include "ServerRegistration.h"

#include <objbase.h>
#include <oleauto.h>
#include <wrl/client.h>

#include <cwchar>
#include <string>

#include "TypeLibrary.h"

// The system registrar that runs "REGISTRY" scripts.
DECLARE_INTERFACE_(IRegistrar, IUnknown)
{
    STDMETHOD(AddReplacement)(LPCOLESTR key, LPCOLESTR item) PURE;
    STDMETHOD(ClearReplacements)() PURE;
    STDMETHOD(ResourceRegisterSz)(LPCOLESTR resourceFile, LPCOLESTR id, LPCOLESTR type) PURE;
    STDMETHOD(ResourceUnregisterSz)(LPCOLESTR resourceFile, LPCOLESTR id, LPCOLESTR type) PURE;
    STDMETHOD(FileRegister)(LPCOLESTR fileName) PURE;
    STDMETHOD(FileUnregister)(LPCOLESTR fileName) PURE;
    STDMETHOD(StringRegister)(LPCOLESTR data) PURE;
    STDMETHOD(StringUnregister)(LPCOLESTR data) PURE;
    STDMETHOD(ResourceRegister)(LPCOLESTR resourceFile, UINT id, LPCOLESTR type) PURE;
    STDMETHOD(ResourceUnregister)(LPCOLESTR resourceFile, UINT id, LPCOLESTR type) PURE;
};
__CRT_UUID_DECL(IRegistrar, 0x44ec053b, 0x400f, 0x11d0, 0x9d, 0xcd, 0x00, 0xa0, 0xc9, 0x03, 0x91, 0xd3)

namespace kelvra {

namespace {

const CLSID CLSID_SystemRegistrar = {0x44ec053a, 0x400f, 0x11d0, {0x9d, 0xcd, 0x00, 0xa0, 0xc9, 0x03, 0x91, 0xd3}};

bool g_perUser = false;

using Microsoft::WRL::ComPtr;

// COM and the per-user view of HKCR for the length of one registration.
class RegistrationScope {
public:
    RegistrationScope()
    {
        m_locale = GetThreadLocale();
        SetThreadLocale(LOCALE_SYSTEM_DEFAULT);
        m_initialized = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
        if (g_perUser) {
            LSTATUS status = RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Classes", 0, nullptr, 0, KEY_ALL_ACCESS,
                                             nullptr, &m_userClasses, nullptr);
            if (status == ERROR_SUCCESS)
                status = RegOverridePredefKey(HKEY_CLASSES_ROOT, m_userClasses);
            if (status != ERROR_SUCCESS)
                m_failure = HRESULT_FROM_WIN32(status);
        }
    }
    ~RegistrationScope()
    {
        if (m_userClasses) {
            RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
            RegCloseKey(m_userClasses);
        }
        if (m_initialized)
            CoUninitialize();
        SetThreadLocale(m_locale);
    }
    // Set when the user's view of the classes could not be put in place: then nothing may
    // be written, for it would land under the machine's classes.
    HRESULT Failure() const { return m_failure; }

    RegistrationScope(const RegistrationScope&) = delete;
    RegistrationScope& operator=(const RegistrationScope&) = delete;

private:
    LCID m_locale;
    bool m_initialized = false;
    HKEY m_userClasses = nullptr;
    HRESULT m_failure = S_OK;
};

HRESULT RunScript(UINT resource, bool install, const wchar_t* appId)
{
    ComPtr<IRegistrar> registrar;
    HRESULT hr = CoCreateInstance(CLSID_SystemRegistrar, nullptr, CLSCTX_INPROC_SERVER, __uuidof(IRegistrar),
                                  reinterpret_cast<void**>(registrar.GetAddressOf()));
    if (FAILED(hr))
        return hr;
    std::wstring module = ComModule::Path();
    registrar->AddReplacement(L"MODULE", module.c_str());
    if (appId)
        registrar->AddReplacement(L"APPID", appId);
    return install ? registrar->ResourceRegister(module.c_str(), resource, L"REGISTRY")
                   : registrar->ResourceUnregister(module.c_str(), resource, L"REGISTRY");
}

template <class Function>
Function OleAutomationEntry(const char* name)
{
    HMODULE oleaut = GetModuleHandleW(L"OLEAUT32.DLL");
    return oleaut ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(oleaut, name))) : nullptr;
}

HRESULT RegisterTypeLibrary(const ServerDescription& server)
{
    std::wstring path = EmbeddedTypeLibraryPath(server.typeLibraryResource);
    ComPtr<ITypeLib> library;
    HRESULT hr = LoadTypeLibEx(path.c_str(), REGKIND_NONE, &library);
    if (FAILED(hr))
        return hr;
    std::wstring helpFolder = ComModule::Folder();
    using RegisterFn = HRESULT(WINAPI*)(ITypeLib*, OLECHAR*, OLECHAR*);
    RegisterFn registerFn = g_perUser ? OleAutomationEntry<RegisterFn>("RegisterTypeLibForUser") : nullptr;
    if (!registerFn)
        registerFn = RegisterTypeLib;
    return registerFn(library.Get(), path.data(), helpFolder.data());
}

// The library is registered for the platform it was built for, as RegisterTypeLib takes
// it from the library itself. The 32-bit and the 64-bit build share the library's key,
// each with a platform key of its own.
#ifdef _WIN64
constexpr SYSKIND kPlatform = SYS_WIN64;
constexpr const wchar_t* kPlatformKey = L"win64";
#else
constexpr SYSKIND kPlatform = SYS_WIN32;
constexpr const wchar_t* kPlatformKey = L"win32";
#endif

bool TypeLibraryRegisteredForPlatform(const ServerDescription& server)
{
    wchar_t library[39] = L"";
    StringFromGUID2(*server.typeLibrary, library, 39);
    wchar_t path[128];
    swprintf(path, 128, L"TypeLib\\%ls\\%x.%x\\0\\%ls", library, server.typeLibraryMajor, server.typeLibraryMinor,
             kPlatformKey);
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

HRESULT UnregisterTypeLibrary(const ServerDescription& server)
{
    // Nothing to remove is no failure. Windows answers TYPE_E_REGISTRYACCESS for a library
    // that is not registered, Wine E_INVALIDARG: ask first, for this platform, as the other
    // build's registration may be there.
    if (!TypeLibraryRegisteredForPlatform(server))
        return S_OK;
    using UnregisterFn = HRESULT(WINAPI*)(REFGUID, WORD, WORD, LCID, SYSKIND);
    UnregisterFn unregisterFn = g_perUser ? OleAutomationEntry<UnregisterFn>("UnRegisterTypeLibForUser") : nullptr;
    if (!unregisterFn)
        unregisterFn = UnRegisterTypeLib;
    HRESULT hr = unregisterFn(*server.typeLibrary, server.typeLibraryMajor, server.typeLibraryMinor, LOCALE_NEUTRAL,
                              kPlatform);
    return hr == TYPE_E_REGISTRYACCESS ? S_OK : hr;  // already gone
}

// Every step of a registration goes ahead; the first failure is the result.
class FirstFailure {
public:
    void operator()(HRESULT hr)
    {
        if (FAILED(hr) && SUCCEEDED(m_result))
            m_result = hr;
    }
    HRESULT Result() const { return m_result; }

private:
    HRESULT m_result = S_OK;
};

}  // namespace

HRESULT ServerRegistration::Register(const ServerDescription& server)
{
    RegistrationScope scope;
    if (FAILED(scope.Failure()))
        return scope.Failure();
    FirstFailure keepFirstFailure;
    if (server.appIdScript)
        keepFirstFailure(RunScript(server.appIdScript, true, server.appId));
    for (size_t i = 0; i < server.classCount; ++i)
        keepFirstFailure(RunScript(server.classes[i].registryResource, true, server.appId));
    keepFirstFailure(RegisterTypeLibrary(server));
    return keepFirstFailure.Result();
}

HRESULT ServerRegistration::Unregister(const ServerDescription& server)
{
    RegistrationScope scope;
    if (FAILED(scope.Failure()))
        return scope.Failure();
    FirstFailure keepFirstFailure;
    for (size_t i = server.classCount; i-- > 0;)
        keepFirstFailure(RunScript(server.classes[i].registryResource, false, server.appId));
    keepFirstFailure(UnregisterTypeLibrary(server));
    if (server.appIdScript)
        keepFirstFailure(RunScript(server.appIdScript, false, server.appId));
    return keepFirstFailure.Result();
}

void ServerRegistration::SetPerUser(bool perUser)
{
    g_perUser = perUser;
}

bool ServerRegistration::PerUser()
{
    return g_perUser;
}

}  // namespace kelvra
