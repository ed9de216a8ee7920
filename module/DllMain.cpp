// The component's exported entry points.
#include <windows.h>

#include <cwchar>

#include "ComModule.h"
#include "LUMOQELKELVRAModule.h"
#include "ServerRegistration.h"

using kelvra::CLUMOQELKELVRAModule;
using kelvra::ComModule;
using kelvra::ServerRegistration;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    return ComModule::OnDllMain(instance, reason);
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** result)
{
    return CLUMOQELKELVRAModule::GetClassObject(clsid, iid, result);
}

STDAPI DllCanUnloadNow()
{
    return ComModule::CanUnloadNow();
}

STDAPI DllRegisterServer()
{
    return ServerRegistration::Register(CLUMOQELKELVRAModule::Server());
}

STDAPI DllUnregisterServer()
{
    return ServerRegistration::Unregister(CLUMOQELKELVRAModule::Server());
}

// "regsvr32 /n /i:user" registers for the current user only.
STDAPI DllInstall(BOOL install, LPCWSTR commandLine)
{
    ServerRegistration::SetPerUser(commandLine && _wcsicmp(commandLine, L"user") == 0);
    HRESULT hr = install ? DllRegisterServer() : DllUnregisterServer();
    ServerRegistration::SetPerUser(false);
    return hr;
}
