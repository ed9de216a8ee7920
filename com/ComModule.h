// What a COM server binary keeps for itself: its instance handle, the count of live
// objects and server locks that DllCanUnloadNow reads, and its object map.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include <string>

namespace kelvra {

// One creatable class: its identifier, its creator and its "REGISTRY" script resource.
struct ClassEntry {
    const CLSID* clsid;
    HRESULT (*create)(IUnknown* outer, REFIID iid, void** object);
    UINT registryResource;
};

class ComModule {
public:
    static HINSTANCE Instance();
    static void SetInstance(HINSTANCE instance);
    static std::wstring Path();
    static std::wstring Folder();

    // What every server's DllMain and DllCanUnloadNow do.
    static BOOL OnDllMain(HINSTANCE instance, DWORD reason);
    static HRESULT CanUnloadNow() { return LockCount() == 0 ? S_OK : S_FALSE; }

    static void Lock();
    static void Unlock();
    static LONG LockCount();
};

}  // namespace kelvra
