#include "SimModule.h"

#include <vector>

#include "ClassFactory.h"
#include "KelvraSim.h"
#include "SerialConnection.h"
#include "SimConnection.h"
#include "SimErrorReporter.h"
#include "SimModelDatabase.h"
#include "SimResource.h"

namespace kelvra::sim {

namespace {

const ClassEntry kObjectMap[] = {
    {&CLSID_SimConnection, &SimConnection::Create, IDR_SIMCONNECTION},
    {&CLSID_SimModelDatabase, &SimModelDatabase::Create, IDR_SIMMODELDATABASE},
    {&CLSID_ErrorReporter, &SimErrorReporter::Create, IDR_SIMERRORREPORTER},
    {&CLSID_SerialConnection, &serial::SerialConnection::Create, IDR_SERIALCONNECTION},
};

const ServerDescription kServer = {
    kObjectMap, sizeof(kObjectMap) / sizeof(kObjectMap[0]), 0, nullptr, &LIBID_SyncoraTAMAgentLib, 1, 0, 2,
};

std::vector<DWORD> g_cookies;

}  // namespace

const ServerDescription& SimModule::Server()
{
    return kServer;
}

HRESULT SimModule::GetClassObject(REFCLSID clsid, REFIID iid, void** result)
{
    return ClassFactory::GetClassObject(kServer.classes, kServer.classCount, clsid, iid, result);
}

HRESULT SimModule::RegisterClassObjects()
{
    for (const ClassEntry& entry : kObjectMap) {
        ComPtr<IUnknown> factory;
        HRESULT hr = GetClassObject(*entry.clsid, IID_IUnknown, &factory);
        DWORD cookie = 0;
        if (SUCCEEDED(hr))
            hr = CoRegisterClassObject(*entry.clsid, factory.Get(), CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie);
        if (FAILED(hr))
            return hr;
        g_cookies.push_back(cookie);
    }
    return S_OK;
}

void SimModule::RevokeClassObjects()
{
    for (DWORD cookie : g_cookies)
        CoRevokeClassObject(cookie);
    g_cookies.clear();
}

}  // namespace kelvra::sim
