// The simulator server's object map and registration.
#pragma once

#include "ServerRegistration.h"

namespace kelvra::sim {

class SimModule {
public:
    static const ServerDescription& Server();
    static HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void** result);
    // Makes the simulator's classes creatable inside this process without registration.
    static HRESULT RegisterClassObjects();
    static void RevokeClassObjects();
};

}  // namespace kelvra::sim
