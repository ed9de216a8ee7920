// The agent's event interface as a sink serves it. Its type information is the agent's,
// not in our type library, so calls through IDispatch are routed here by dispatch id to
// the two methods a sink implements.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include "TAMAgent.h"

namespace kelvra {

class AgentEventsDispatch : public ITAMAgentEvents {
public:
    static constexpr DISPID kProgressId = 1;
    static constexpr DISPID kCompleteId = 2;

    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* exception, UINT* argumentError) override;

protected:
    virtual ~AgentEventsDispatch() = default;
};

}  // namespace kelvra
