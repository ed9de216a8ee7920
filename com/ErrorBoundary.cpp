#include "ErrorBoundary.h"

#include <oleauto.h>

#include <string>

#include "ComTypes.h"
#include "Errors.h"
#include "ErrorReporter.h"
#include "QELKELVRA.h"

namespace kelvra {

namespace {

ComPtr<IKelvraErrorReporter> CreateReporter()
{
    ComPtr<IUnknown> object;
    if (FAILED(CoCreateInstance(CLSID_KelvraErrorReporter, nullptr, CLSCTX_ALL, IID_IUnknown, &object)))
        return nullptr;
    if (FAILED(OleRun(object.Get())))
        return nullptr;
    ComPtr<IKelvraErrorReporter> reporter;
    object.As(&reporter);
    return reporter;
}

}  // namespace

std::wstring RelativeSourceName(const char* file)
{
    std::string path = file ? file : "";
    size_t slash = path.find_last_of("\\/");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    std::wstring wide;
    for (char c : name)
        wide += static_cast<wchar_t>(static_cast<unsigned char>(c));
    return L".\\" + wide;
}

HRESULT ReportFailure(HRESULT hr, IErrorInfo* info, const MethodSite& site) noexcept
{
    try {
        SetErrorInfo(0, info);
        ComPtr<IKelvraErrorReporter> reporter = CreateReporter();
        if (!reporter)
            return hr;

        ComPtr<IErrorInfo> current;
        if (SUCCEEDED(GetErrorInfo(0, &current)))
            reporter->AttachErrorInfo(hr, current.Get());

        Bstr description = Bstr::Attach(SysAllocString(L""));
        Bstr function{site.function ? site.function : L""};
        Bstr file{RelativeSourceName(site.file)};
        KELVRA_ERROR_RECORD record = {};
        record.hr = hr;
        record.description = description.Get();
        record.clsid = CLSID_DeviceDataKELVRA;
        record.iid = IID_IDataTable;
        record.reserved = 0;
        record.function = function.Get();
        record.file = file.Get();
        record.line = site.line;
        reporter->RecordError(record);

        ComPtr<IErrorInfo> reported;
        SetErrorInfo(0, SUCCEEDED(reporter.As(&reported)) ? reported.Get() : nullptr);
    } catch (...) {
        // Reporting is best effort: the method's own HRESULT still goes back.
    }
    return hr;
}

HRESULT ReportCurrentException(const MethodSite& site) noexcept
{
    ComPtr<IErrorInfo> info;
    HRESULT hr = ClassifyCurrentException(info);
    return ReportFailure(hr, info.Get(), site);
}

}  // namespace kelvra
