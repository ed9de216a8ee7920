// The base of a host's progress sink for either event point of the device data object:
// a test's sink implements Invoke, through which the object calls both points.
#pragma once

#include <windows.h>

#include "QELKELVRA.h"

namespace kelvra::testing {

class HostSinkBase : public IDeviceDataEvents {
public:
    using ExposedInterface = IDeviceDataEvents;
    static constexpr bool kServesDispatch = true;
    static bool MatchesParent(REFIID) { return false; }

    STDMETHODIMP GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP TransferProgress(LONG, LONG, LONG*) override { return E_NOTIMPL; }
};

}  // namespace kelvra::testing
