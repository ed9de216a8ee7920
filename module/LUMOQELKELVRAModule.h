// The component's module object: its object map and its registration.
#pragma once

#include <windows.h>

#include "ServerRegistration.h"

namespace kelvra {

class CLUMOQELKELVRAModule {
public:
    static const ServerDescription& Server();
    static HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void** result);
};

}  // namespace kelvra
