// The host's error reporter: it keeps what the component reports and answers as the
// thread's error information.
#pragma once

#include <string>
#include <vector>

#include "ComObject.h"
#include "ErrorReporter.h"

namespace kelvra::sim {

// One failure as the reporter received it.
struct ReportedError {
    HRESULT attachedResult = S_OK;
    bool attachedInfo = false;  // whether the attach call carried error information
    std::wstring attachedDescription;
    HRESULT hr = S_OK;
    std::wstring description;
    GUID clsid = {};
    GUID iid = {};
    long reserved = 0;
    std::wstring function;
    std::wstring file;
    long line = 0;
};

// Every failure reported in this process, oldest first.
std::vector<ReportedError>& ReportedErrors();

class SimErrorReporter : public ComObject<SimErrorReporter, NoDispatchImpl<IKelvraErrorReporter>, IErrorInfo> {
public:
    SimErrorReporter();

    STDMETHODIMP Reserved7() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved8() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved9() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved10() override { return E_NOTIMPL; }
    STDMETHODIMP RecordError(KELVRA_ERROR_RECORD record) override;
    STDMETHODIMP Reserved12() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved13() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved14() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved15() override { return E_NOTIMPL; }
    STDMETHODIMP AttachErrorInfo(HRESULT hr, IErrorInfo* info) override;

    STDMETHODIMP GetGUID(GUID* guid) override;
    STDMETHODIMP GetSource(BSTR* source) override;
    STDMETHODIMP GetDescription(BSTR* description) override;
    STDMETHODIMP GetHelpFile(BSTR* helpFile) override;
    STDMETHODIMP GetHelpContext(DWORD* helpContext) override;

private:
    ReportedError m_report;
};

}  // namespace kelvra::sim
