// Follows a file copy through the device data object's progress events: a bar on stderr
// for a person watching, and Ctrl-C turned into a cancel the component passes on.
#pragma once

#include <windows.h>

#include "ComObject.h"
#include "ComTypes.h"
#include "QELKELVRA.h"

namespace kelvra::host {

class TransferProgressSink : public IDeviceDataEvents {
public:
    using ExposedInterface = IDeviceDataEvents;
    static constexpr bool kServesDispatch = true;
    static bool MatchesParent(REFIID) { return false; }

    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
};

class CopyProgress : public ComObject<CopyProgress, TransferProgressSink> {
public:
    // The device data object fires its progress event through IDispatch.
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO*, UINT*) override;
    STDMETHODIMP TransferProgress(LONG done, LONG total, LONG* continueFlag) override;

    // True once Ctrl-C asked the running copy to stop.
    static bool Cancelled();
    // Ends the bar's line, if a bar was drawn.
    void Finish();

private:
    void Draw(LONG done, LONG total);

    bool m_drawn = false;
};

// Subscribes a progress sink to the device data object for one copy, and catches
// Ctrl-C meanwhile; both end with the scope.
class TransferWatch {
public:
    explicit TransferWatch(IDeviceData* device);
    ~TransferWatch();
    TransferWatch(const TransferWatch&) = delete;
    TransferWatch& operator=(const TransferWatch&) = delete;

private:
    ComPtr<IConnectionPoint> m_point;
    ComPtr<CopyProgress> m_sink;
    DWORD m_cookie = 0;
};

}  // namespace kelvra::host
