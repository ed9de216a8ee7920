#include "CopyProgress.h"

#include <atomic>
#include <cstdio>
#include <string>

#include "ComFailure.h"
#include "TableWalker.h"

namespace kelvra::host {

namespace {

constexpr DISPID kProgressEvent = 17;
constexpr int kBarWidth = 30;

std::atomic<bool> g_cancelRequested{false};

BOOL WINAPI OnConsoleBreak(DWORD event)
{
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT)
        return FALSE;
    g_cancelRequested = true;
    return TRUE;  // the copy ends at its next progress step, cleanly
}

}  // namespace

STDMETHODIMP TransferProgressSink::GetTypeInfoCount(UINT* count)
{
    if (!count)
        return E_POINTER;
    *count = 0;
    return S_OK;
}

bool CopyProgress::Cancelled()
{
    return g_cancelRequested;
}

STDMETHODIMP CopyProgress::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                                      UINT*)
{
    if (id != kProgressEvent)
        return DISP_E_MEMBERNOTFOUND;
    if (!params || params->cArgs != 3 || params->rgvarg[0].vt != (VT_I4 | VT_BYREF))
        return DISP_E_BADPARAMCOUNT;
    // Arguments arrive last first: the continue flag, the total, the bytes done.
    return TransferProgress(params->rgvarg[2].lVal, params->rgvarg[1].lVal, params->rgvarg[0].plVal);
}

STDMETHODIMP CopyProgress::TransferProgress(LONG done, LONG total, LONG* continueFlag)
{
    if (ErrorStreamIsTerminal())
        Draw(done, total);
    if (continueFlag && g_cancelRequested)
        *continueFlag = 0;
    return S_OK;
}

void CopyProgress::Draw(LONG done, LONG total)
{
    size_t filled = total > 0 ? static_cast<size_t>(static_cast<double>(done) / total * kBarWidth) : 0;
    if (filled > static_cast<size_t>(kBarWidth))
        filled = kBarWidth;
    fprintf(stderr, "\r[%s%s] %ld/%ld bytes", std::string(filled, '#').c_str(),
            std::string(kBarWidth - filled, ' ').c_str(), static_cast<long>(done), static_cast<long>(total));
    fflush(stderr);
    m_drawn = true;
}

void CopyProgress::Finish()
{
    if (m_drawn)
        fputs("\n", stderr);
    m_drawn = false;
}

TransferWatch::TransferWatch(IDeviceData* device)
{
    g_cancelRequested = false;
    SetConsoleCtrlHandler(OnConsoleBreak, TRUE);
    ComPtr<IConnectionPointContainer> container;
    CheckCall(device->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(container.GetAddressOf())),
              "Finding the component's progress events");
    CheckCall(container->FindConnectionPoint(IID_IDeviceDataEvents, m_point.GetAddressOf()),
              "Finding the component's progress events");
    m_sink = CopyProgress::Make();
    CheckCall(m_point->Advise(static_cast<IDeviceDataEvents*>(m_sink.Get()), &m_cookie), "Following the copy");
}

TransferWatch::~TransferWatch()
{
    if (m_point && m_cookie)
        m_point->Unadvise(m_cookie);
    if (m_sink)
        m_sink->Finish();
    SetConsoleCtrlHandler(OnConsoleBreak, FALSE);
}

}  // namespace kelvra::host
