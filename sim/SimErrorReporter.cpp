#include "SimErrorReporter.h"

#include <cwchar>

#include "ComTypes.h"

namespace kelvra::sim {

namespace {

std::wstring Text(BSTR text)
{
    return text ? std::wstring(text, SysStringLen(text)) : std::wstring();
}

}  // namespace

std::vector<ReportedError>& ReportedErrors()
{
    static std::vector<ReportedError> errors;
    return errors;
}

SimErrorReporter::SimErrorReporter() = default;

STDMETHODIMP SimErrorReporter::AttachErrorInfo(HRESULT hr, IErrorInfo* info)
{
    m_report.attachedResult = hr;
    m_report.attachedInfo = info != nullptr;
    if (info) {
        Bstr description;
        if (SUCCEEDED(info->GetDescription(description.Out())))
            m_report.attachedDescription = description.Str();
    }
    return S_OK;
}

STDMETHODIMP SimErrorReporter::RecordError(KELVRA_ERROR_RECORD record)
{
    m_report.hr = record.hr;
    m_report.description = Text(record.description);
    m_report.clsid = record.clsid;
    m_report.iid = record.iid;
    m_report.reserved = record.reserved;
    m_report.function = Text(record.function);
    m_report.file = Text(record.file);
    m_report.line = record.line;
    ReportedErrors().push_back(m_report);
    return S_OK;
}

STDMETHODIMP SimErrorReporter::GetGUID(GUID* guid)
{
    if (!guid)
        return E_POINTER;
    *guid = m_report.iid;
    return S_OK;
}

STDMETHODIMP SimErrorReporter::GetSource(BSTR* source)
{
    return ReturnText(m_report.function, source);
}

STDMETHODIMP SimErrorReporter::GetDescription(BSTR* description)
{
    wchar_t code[16];
    swprintf(code, 16, L"0x%08lX", static_cast<unsigned long>(m_report.hr));
    std::wstring text = m_report.function + L" failed with " + code;
    if (!m_report.attachedDescription.empty())
        text += L": " + m_report.attachedDescription;
    text += L" (" + m_report.file + L":" + std::to_wstring(m_report.line) + L")";
    return ReturnText(text, description);
}

STDMETHODIMP SimErrorReporter::GetHelpFile(BSTR* helpFile)
{
    return ReturnText(L"", helpFile);
}

STDMETHODIMP SimErrorReporter::GetHelpContext(DWORD* helpContext)
{
    if (!helpContext)
        return E_POINTER;
    *helpContext = 0;
    return S_OK;
}

}  // namespace kelvra::sim
