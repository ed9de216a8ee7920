// The device agent behind a connection: the device data object and every table ask the
// connection for it in the same way.
#pragma once

#include "ComTypes.h"
#include "Errors.h"
#include "TAMAgent.h"

namespace kelvra {

// Queries an interface of an object handed to the component; E_NOINTERFACE leaves the
// result empty, any other failure throws.
template <class Interface>
ComPtr<Interface> QueryOrEmpty(IUnknown* object)
{
    ComPtr<Interface> result;
    if (!object)
        return result;
    HRESULT hr = object->QueryInterface(__uuidof(Interface), reinterpret_cast<void**>(result.GetAddressOf()));
    if (FAILED(hr) && hr != E_NOINTERFACE)
        ThrowComError(hr, L"The object handed to the component could not be queried");
    return result;
}

// The agent the connection serves; empty when the connection serves none.
ComPtr<ITAMAgent> GetAgentService(ITAMConnection* connection);

}  // namespace kelvra
