// DllRegisterServer and DllUnregisterServer over an object map: the registry scripts run
// through the system's registrar, and the embedded type library.
#pragma once

#include <windows.h>

#include "ComModule.h"

namespace kelvra {

struct ServerDescription {
    const ClassEntry* classes;
    size_t classCount;
    UINT appIdScript;         // 0 when the server has no application entry
    const wchar_t* appId;     // the "APPID" replacement of that script
    const GUID* typeLibrary;  // the embedded library's identifier
    WORD typeLibraryMajor;
    WORD typeLibraryMinor;
    int typeLibraryResource;
};

class ServerRegistration {
public:
    static HRESULT Register(const ServerDescription& server);
    static HRESULT Unregister(const ServerDescription& server);

    // When on, everything goes under the current user's classes instead of the machine's.
    static void SetPerUser(bool perUser);
    static bool PerUser();
};

}  // namespace kelvra
