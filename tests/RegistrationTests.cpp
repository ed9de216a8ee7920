// The built component as regsvr32 and COM see it: the keys its registration writes and
// removes, machine-wide and per user, and when it may be unloaded.
//
// These tests load the DLL itself, not the code linked into this program. The registry
// of the test prefix is shared with the script tests of the same run, which create the
// component through its machine-wide registration: every test that changes it puts it
// back as it found it.
#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>
#include <wrl/client.h>

#include <memory>
#include <optional>
#include <string>
#include <type_traits>

#include "QELKELVRA.h"

using Microsoft::WRL::ComPtr;

namespace {

const wchar_t kProgId[] = L"Orvane.Syncora.QEL.DeviceDataKELVRA";
const wchar_t kVersionedProgId[] = L"Orvane.Syncora.QEL.DeviceDataKELVRA.1";
const wchar_t kClassName[] = L"DeviceDataKELVRA Class";

std::wstring Text(REFGUID guid)
{
    wchar_t text[40] = {};
    StringFromGUID2(guid, text, 40);
    return text;
}

const std::wstring kClsid = Text(CLSID_DeviceDataKELVRA);
const std::wstring kLibId = Text(LIBID_QELKELVRALib);
const std::wstring kClassKey = L"CLSID\\" + kClsid;
const std::wstring kTypeLibKey = L"TypeLib\\" + kLibId;
// The 32-bit and the 64-bit build share the library's key, each with its platform's key.
#ifdef _WIN64
const std::wstring kPlatformTypeLibKey = kTypeLibKey + L"\\1.0\\0\\win64";
#else
const std::wstring kPlatformTypeLibKey = kTypeLibKey + L"\\1.0\\0\\win32";
#endif
const std::wstring kInterfaceKey = L"Interface\\" + Text(IID_IDeviceData);

bool SamePath(const std::wstring& a, const std::wstring& b)
{
    return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

struct KeyCloser {
    void operator()(HKEY key) const { RegCloseKey(key); }
};
using UniqueKey = std::unique_ptr<std::remove_pointer_t<HKEY>, KeyCloser>;

struct LibraryFreer {
    void operator()(HMODULE module) const { FreeLibrary(module); }
};
using UniqueLibrary = std::unique_ptr<std::remove_pointer_t<HMODULE>, LibraryFreer>;

// One classes root read directly: the machine's or the current user's "Software\Classes".
class Classes {
public:
    explicit Classes(HKEY root) : m_root(root) {}

    bool Has(const std::wstring& path) const
    {
        HKEY key = nullptr;
        if (RegOpenKeyExW(m_root, Full(path).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
            return false;
        RegCloseKey(key);
        return true;
    }

    // A text value; the key's default value when no name is given.
    std::optional<std::wstring> Value(const std::wstring& path, const wchar_t* name = nullptr) const
    {
        wchar_t value[MAX_PATH * 2] = {};
        DWORD size = sizeof(value);
        if (RegGetValueW(m_root, Full(path).c_str(), name, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS)
            return std::nullopt;
        return std::wstring(value);
    }

    // A key of someone else's, beside ours.
    UniqueKey Create(const std::wstring& path) const
    {
        HKEY key = nullptr;
        RegCreateKeyExW(m_root, Full(path).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
        return UniqueKey(key);
    }

    void Delete(const std::wstring& path) const { RegDeleteTreeW(m_root, Full(path).c_str()); }

private:
    static std::wstring Full(const std::wstring& path) { return L"Software\\Classes\\" + path; }

    HKEY m_root;
};

const Classes kMachine(HKEY_LOCAL_MACHINE);
const Classes kUser(HKEY_CURRENT_USER);

// The built DLL and its exports.
class Component {
public:
    Component() : m_module(LoadLibraryW(KELVRA_DLL_PATH)) {}

    bool Loaded() const { return m_module != nullptr; }

    std::wstring Path() const
    {
        wchar_t path[MAX_PATH] = {};
        GetModuleFileNameW(m_module.get(), path, MAX_PATH);
        return path;
    }

    std::wstring Folder() const
    {
        std::wstring path = Path();
        return path.substr(0, path.find_last_of(L'\\'));
    }

    HRESULT Register() const { return Call<HRESULT(STDAPICALLTYPE*)()>("DllRegisterServer"); }
    HRESULT Unregister() const { return Call<HRESULT(STDAPICALLTYPE*)()>("DllUnregisterServer"); }
    HRESULT CanUnloadNow() const { return Call<HRESULT(STDAPICALLTYPE*)()>("DllCanUnloadNow"); }

    HRESULT Install(BOOL install, const wchar_t* commandLine) const
    {
        return Call<HRESULT(STDAPICALLTYPE*)(BOOL, LPCWSTR)>("DllInstall", install, commandLine);
    }

    HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void** result) const
    {
        return Call<HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**)>("DllGetClassObject", clsid, iid, result);
    }

    ComPtr<IClassFactory> Factory() const
    {
        ComPtr<IClassFactory> factory;
        EXPECT_EQ(S_OK, GetClassObject(CLSID_DeviceDataKELVRA, IID_IClassFactory,
                                       reinterpret_cast<void**>(factory.GetAddressOf())));
        return factory;
    }

private:
    template <class Function, class... Args>
    HRESULT Call(const char* name, Args... args) const
    {
        auto function = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(m_module.get(), name)));
        if (!function) {
            ADD_FAILURE() << name << " is not exported";
            return E_NOTIMPL;
        }
        return function(args...);
    }

    UniqueLibrary m_module;
};

// Puts the registration back as the test found it: machine-wide if it was there before,
// none per user.
class RegistrationRestored {
public:
    explicit RegistrationRestored(const Component& component)
        : m_component(component), m_wasRegistered(kMachine.Has(kClassKey + L"\\InprocServer32"))
    {
    }
    ~RegistrationRestored()
    {
        m_component.Install(FALSE, L"user");
        EXPECT_EQ(S_OK, m_wasRegistered ? m_component.Register() : m_component.Unregister());
    }
    RegistrationRestored(const RegistrationRestored&) = delete;
    RegistrationRestored& operator=(const RegistrationRestored&) = delete;

private:
    const Component& m_component;
    bool m_wasRegistered;
};

// A class of another server, registered beside ours; removed at the end.
class Neighbour {
public:
    explicit Neighbour(const Classes& classes)
        : m_classes(classes), m_key(L"CLSID\\{0E6B1C4D-5A1F-4C3B-9D2E-7F8A9B0C1D2E}")
    {
        m_classes.Create(m_key + L"\\InprocServer32");
    }
    ~Neighbour() { m_classes.Delete(m_key); }
    bool Present() const { return m_classes.Has(m_key + L"\\InprocServer32"); }

private:
    const Classes& m_classes;
    std::wstring m_key;
};

// Everything DllRegisterServer writes, under one classes root.
void ExpectRegistered(const Classes& classes, const Component& component)
{
    SCOPED_TRACE("registered");
    EXPECT_EQ(kClassName, classes.Value(kVersionedProgId));
    EXPECT_EQ(kClsid, classes.Value(std::wstring(kVersionedProgId) + L"\\CLSID"));

    EXPECT_EQ(kClassName, classes.Value(kProgId));
    EXPECT_EQ(kClsid, classes.Value(std::wstring(kProgId) + L"\\CLSID"));
    EXPECT_EQ(kVersionedProgId, classes.Value(std::wstring(kProgId) + L"\\CurVer"));

    EXPECT_EQ(kClassName, classes.Value(kClassKey));
    EXPECT_EQ(kVersionedProgId, classes.Value(kClassKey + L"\\ProgID"));
    EXPECT_EQ(kProgId, classes.Value(kClassKey + L"\\VersionIndependentProgID"));
    EXPECT_TRUE(classes.Has(kClassKey + L"\\Programmable"));
    EXPECT_EQ(kLibId, classes.Value(kClassKey + L"\\TypeLib"));
    auto server = classes.Value(kClassKey + L"\\InprocServer32");
    ASSERT_TRUE(server.has_value());
    EXPECT_TRUE(SamePath(component.Path(), *server)) << *server;
    EXPECT_EQ(L"Apartment", classes.Value(kClassKey + L"\\InprocServer32", L"ThreadingModel"));

    // The type library embedded in the DLL, and the dual interfaces it describes.
    auto library = classes.Value(kPlatformTypeLibKey);
    ASSERT_TRUE(library.has_value());
    EXPECT_TRUE(SamePath(component.Path(), *library)) << *library;
    auto helpFolder = classes.Value(kTypeLibKey + L"\\1.0\\HELPDIR");
    ASSERT_TRUE(helpFolder.has_value());
    EXPECT_TRUE(SamePath(component.Folder(), *helpFolder)) << *helpFolder;
    EXPECT_EQ(kLibId, classes.Value(kInterfaceKey + L"\\TypeLib"));
}

// Nothing of ours under one classes root.
void ExpectUnregistered(const Classes& classes)
{
    SCOPED_TRACE("unregistered");
    EXPECT_FALSE(classes.Has(kProgId));
    EXPECT_FALSE(classes.Has(kVersionedProgId));
    EXPECT_FALSE(classes.Has(kClassKey));
    EXPECT_FALSE(classes.Has(kPlatformTypeLibKey));
    EXPECT_FALSE(classes.Has(kInterfaceKey));
}

class Registration : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(component.Loaded()) << "cannot load the built DLL"; }

    Component component;
    RegistrationRestored restored{component};
};

TEST_F(Registration, WritesTheProgIdsTheClassAndTheTypeLibrary)
{
    ASSERT_EQ(S_OK, component.Register());
    ExpectRegistered(kMachine, component);
}

TEST_F(Registration, ReplacesTheClassKeyWhole)
{
    ASSERT_EQ(S_OK, component.Register());
    kMachine.Create(kClassKey + L"\\LocalServer32");
    kMachine.Create(kClassKey + L"\\Programmable\\Left");

    ASSERT_EQ(S_OK, component.Register());
    EXPECT_FALSE(kMachine.Has(kClassKey + L"\\LocalServer32"));
    EXPECT_FALSE(kMachine.Has(kClassKey + L"\\Programmable\\Left"));
    ExpectRegistered(kMachine, component);
}

TEST_F(Registration, UnregisterRemovesItsKeysAndKeepsTheSharedOnes)
{
    Neighbour neighbour(kMachine);
    ASSERT_EQ(S_OK, component.Register());

    ASSERT_EQ(S_OK, component.Unregister());
    ExpectUnregistered(kMachine);
    EXPECT_TRUE(kMachine.Has(L"CLSID"));
    EXPECT_TRUE(kMachine.Has(L"AppID"));
    EXPECT_TRUE(neighbour.Present());

    // An uninstaller that runs twice finds nothing left to remove, and that is no failure.
    EXPECT_EQ(S_OK, component.Unregister());
}

TEST_F(Registration, PerUserInstallWritesUnderTheUsersClassesOnly)
{
    ASSERT_EQ(S_OK, component.Unregister());
    Neighbour neighbour(kUser);

    ASSERT_EQ(S_OK, component.Install(TRUE, L"user"));
    ExpectRegistered(kUser, component);
    ExpectUnregistered(kMachine);

    ASSERT_EQ(S_OK, component.Install(FALSE, L"user"));
    ExpectUnregistered(kUser);
    EXPECT_TRUE(kUser.Has(L"CLSID"));
    EXPECT_TRUE(neighbour.Present());

    // Per-user mode ends with the call: the next registration is machine-wide again.
    ASSERT_EQ(S_OK, component.Register());
    ExpectRegistered(kMachine, component);
    ExpectUnregistered(kUser);
}

TEST_F(Registration, InstallWithoutUserRegistersMachineWide)
{
    ASSERT_EQ(S_OK, component.Unregister());
    ASSERT_EQ(S_OK, component.Install(TRUE, nullptr));
    ExpectRegistered(kMachine, component);
    ExpectUnregistered(kUser);

    ASSERT_EQ(S_OK, component.Install(FALSE, nullptr));
    ExpectUnregistered(kMachine);
}

class ServerLifetime : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(component.Loaded()) << "cannot load the built DLL";
        ASSERT_EQ(S_OK, component.CanUnloadNow());
    }

    Component component;
};

TEST_F(ServerLifetime, ALiveFactoryOrObjectKeepsTheServerLoaded)
{
    ComPtr<IClassFactory> factory = component.Factory();
    ASSERT_NE(nullptr, factory);
    EXPECT_EQ(S_FALSE, component.CanUnloadNow());

    ComPtr<IDeviceData> device;
    ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IDeviceData, reinterpret_cast<void**>(device.GetAddressOf())));
    factory.Reset();
    EXPECT_EQ(S_FALSE, component.CanUnloadNow());

    device.Reset();
    EXPECT_EQ(S_OK, component.CanUnloadNow());
}

TEST_F(ServerLifetime, AServerLockOutlivesTheFactory)
{
    ComPtr<IClassFactory> factory = component.Factory();
    ASSERT_NE(nullptr, factory);
    ASSERT_EQ(S_OK, factory->LockServer(TRUE));
    factory.Reset();
    EXPECT_EQ(S_FALSE, component.CanUnloadNow());

    factory = component.Factory();
    ASSERT_NE(nullptr, factory);
    ASSERT_EQ(S_OK, factory->LockServer(FALSE));
    EXPECT_EQ(S_FALSE, component.CanUnloadNow());
    factory.Reset();
    EXPECT_EQ(S_OK, component.CanUnloadNow());
}

TEST_F(ServerLifetime, HandsOutNoFactoryForAnotherClass)
{
    void* factory = reinterpret_cast<void*>(1);
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, component.GetClassObject(IID_IDeviceData, IID_IClassFactory, &factory));
    EXPECT_EQ(nullptr, factory);
    EXPECT_EQ(S_OK, component.CanUnloadNow());
}

}  // namespace
