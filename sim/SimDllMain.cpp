// The simulator server's exported entry points.
#include <windows.h>

#include "ComModule.h"
#include "SimModule.h"

using kelvra::ComModule;
using kelvra::ServerRegistration;
using kelvra::sim::SimModule;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    return ComModule::OnDllMain(instance, reason);
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** result)
{
    return SimModule::GetClassObject(clsid, iid, result);
}

STDAPI DllCanUnloadNow()
{
    return ComModule::CanUnloadNow();
}

STDAPI DllRegisterServer()
{
    return ServerRegistration::Register(SimModule::Server());
}

STDAPI DllUnregisterServer()
{
    return ServerRegistration::Unregister(SimModule::Server());
}
