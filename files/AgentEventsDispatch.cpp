#include "AgentEventsDispatch.h"

#include "ComTypes.h"

namespace kelvra {

namespace {

// An argument as a 32-bit number; false when it is none.
bool NumberOf(const VARIANT& argument, long& number)
{
    Variant converted;
    if (FAILED(VariantChangeType(converted.Out(), const_cast<VARIANT*>(&argument), 0, VT_I4)))
        return false;
    number = converted.Get().lVal;
    return true;
}

}  // namespace

STDMETHODIMP AgentEventsDispatch::GetTypeInfoCount(UINT* count)
{
    if (!count)
        return E_POINTER;
    *count = 0;
    return S_OK;
}

STDMETHODIMP AgentEventsDispatch::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                                         UINT* argumentError)
{
    if (!params)
        return E_POINTER;
    if (params->cNamedArgs > 0)
        return DISP_E_NONAMEDARGS;
    // Arguments arrive last first.
    const VARIANT* arguments = params->rgvarg;
    long done = 0, total = 0, result = 0;
    switch (id) {
    case kProgressId: {
        if (params->cArgs != 3)
            return DISP_E_BADPARAMCOUNT;
        const VARIANT& flag = arguments[0];
        if (flag.vt != (VT_I4 | VT_BYREF) || !flag.plVal || !NumberOf(arguments[1], total) ||
            !NumberOf(arguments[2], done)) {
            if (argumentError)
                *argumentError = 0;
            return DISP_E_TYPEMISMATCH;
        }
        return OnTransferProgress(done, total, flag.plVal);
    }
    case kCompleteId:
        if (params->cArgs != 1)
            return DISP_E_BADPARAMCOUNT;
        if (!NumberOf(arguments[0], result))
            return DISP_E_TYPEMISMATCH;
        return OnTransferComplete(result);
    default:
        return DISP_E_MEMBERNOTFOUND;
    }
}

}  // namespace kelvra
