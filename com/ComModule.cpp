#include "ComModule.h"

#include <atomic>

namespace kelvra {

namespace {

HINSTANCE g_instance = nullptr;
std::atomic<LONG> g_locks{0};

// The binary this code is linked into, whether a DLL or an executable.
HINSTANCE ContainingModule()
{
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&ContainingModule), &module);
    return module;
}

}  // namespace

HINSTANCE ComModule::Instance()
{
    return g_instance ? g_instance : ContainingModule();
}

void ComModule::SetInstance(HINSTANCE instance)
{
    g_instance = instance;
}

std::wstring ComModule::Path()
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD length = GetModuleFileNameW(Instance(), path.data(), static_cast<DWORD>(path.size()));
        if (length == 0)
            return {};
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

std::wstring ComModule::Folder()
{
    std::wstring path = Path();
    size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

BOOL ComModule::OnDllMain(HINSTANCE instance, DWORD reason)
{
    if (reason == DLL_PROCESS_ATTACH) {
        SetInstance(instance);
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

void ComModule::Lock()
{
    ++g_locks;
}

void ComModule::Unlock()
{
    --g_locks;
}

LONG ComModule::LockCount()
{
    return g_locks.load();
}

}  // namespace kelvra
