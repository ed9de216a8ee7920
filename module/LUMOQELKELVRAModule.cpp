#include "LUMOQELKELVRAModule.h"

#include "ClassFactory.h"
#include "DeviceDataKELVRA.h"
#include "QELKELVRA.h"
#include "resource.h"

namespace kelvra {

namespace {

const ClassEntry kObjectMap[] = {
    {&CLSID_DeviceDataKELVRA, &CDeviceDataKELVRA::Create, IDR_DEVICEDATAKELVRA},
};

const ServerDescription kServer = {
    kObjectMap, sizeof(kObjectMap) / sizeof(kObjectMap[0]),
    IDR_LUMOQELKELVRA, L"{959CCF22-4EC0-4AAC-B10C-2FAFB0FFDF96}",
    &LIBID_QELKELVRALib, 1, 0, 1,
};

}  // namespace

const ServerDescription& CLUMOQELKELVRAModule::Server()
{
    return kServer;
}

HRESULT CLUMOQELKELVRAModule::GetClassObject(REFCLSID clsid, REFIID iid, void** result)
{
    return ClassFactory::GetClassObject(kServer.classes, kServer.classCount, clsid, iid, result);
}

}  // namespace kelvra
