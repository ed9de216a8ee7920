// The method boundary: every exception becomes the method's HRESULT, the reporter gets
// the failure, and the thread is left with error information.
#include <gtest/gtest.h>

#include <new>

#include "ComTypes.h"
#include "ErrorBoundary.h"
#include "Errors.h"
#include "QELKELVRA.h"
#include "SimErrorReporter.h"
#include "TestEnvironment.h"

using namespace kelvra;
using kelvra::testing::ThreadErrorDescription;

namespace {

sim::ReportedError LastReport()
{
    EXPECT_FALSE(sim::ReportedErrors().empty());
    return sim::ReportedErrors().empty() ? sim::ReportedError() : sim::ReportedErrors().back();
}

}  // namespace

TEST(ErrorBoundary, HandsetErrorWithoutInformationBecomesInterfaceError)
{
    sim::ReportedErrors().clear();
    HRESULT hr = ComBoundary(L"CDeviceDataKELVRA::GetDataTable", []() -> HRESULT { throw _tam_error(nullptr, 1); });
    EXPECT_EQ(static_cast<HRESULT>(0x80040001), hr);

    sim::ReportedError report = LastReport();
    EXPECT_EQ(static_cast<HRESULT>(0x80040001), report.attachedResult);
    EXPECT_FALSE(report.attachedInfo);
    EXPECT_EQ(static_cast<HRESULT>(0x80040001), report.hr);
    EXPECT_EQ(L"", report.description);
    EXPECT_TRUE(InlineIsEqualGUID(CLSID_DeviceDataKELVRA, report.clsid));
    EXPECT_TRUE(InlineIsEqualGUID(IID_IDataTable, report.iid));
    EXPECT_EQ(0, report.reserved);
    EXPECT_EQ(L"CDeviceDataKELVRA::GetDataTable", report.function);
    EXPECT_EQ(L".\\ErrorBoundaryTests.cpp", report.file);
    EXPECT_GT(report.line, 0);

    // The reporter itself is the thread's error information now.
    EXPECT_NE(std::wstring::npos, ThreadErrorDescription().find(L"CDeviceDataKELVRA::GetDataTable"));
}

TEST(ErrorBoundary, NegativeHandsetCodeIsTheResultItself)
{
    HRESULT hr = ComBoundary(L"T::M", []() -> HRESULT { throw _tam_error(nullptr, static_cast<LONG>(0x80070057)); });
    EXPECT_EQ(E_INVALIDARG, hr);
    EXPECT_EQ(static_cast<HRESULT>(0x8004000C), _tam_error(nullptr, 12).Result());
}

TEST(ErrorBoundary, ComErrorPassesItsInformationToTheReporter)
{
    sim::ReportedErrors().clear();
    HRESULT hr = ComBoundary(L"T::M", []() -> HRESULT { ThrowComError(E_POINTER, L"the agent is missing"); });
    EXPECT_EQ(E_POINTER, hr);
    sim::ReportedError report = LastReport();
    EXPECT_TRUE(report.attachedInfo);
    EXPECT_EQ(L"the agent is missing", report.attachedDescription);
    EXPECT_NE(std::wstring::npos, ThreadErrorDescription().find(L"the agent is missing"));
}

TEST(ErrorBoundary, NoExceptionOfAnyKindEscapes)
{
    EXPECT_EQ(E_OUTOFMEMORY, ComBoundary(L"T::M", []() -> HRESULT { throw std::bad_alloc(); }));
    EXPECT_EQ(E_FAIL, ComBoundary(L"T::M", []() -> HRESULT { throw _map_not_found_error(); }));
    EXPECT_EQ(E_FAIL, ComBoundary(L"T::M", []() -> HRESULT { throw _variant_extract_error(); }));
    EXPECT_EQ(DISP_E_TYPEMISMATCH, ComBoundary(L"T::M", []() -> HRESULT { throw CAtlException(DISP_E_TYPEMISMATCH); }));
    EXPECT_EQ(E_FAIL, ComBoundary(L"T::M", []() -> HRESULT { throw 42; }));
    EXPECT_EQ(S_FALSE, ComBoundary(L"T::M", []() -> HRESULT { return S_FALSE; }));
}

TEST(ErrorBoundary, OutsideFailureCarriesTheObjectsErrorInformation)
{
    // An object that offers error information for the failing interface.
    class Failing : public ComObject<Failing, ISupportErrorInfo> {
    public:
        STDMETHODIMP InterfaceSupportsErrorInfo(REFIID iid) override
        {
            return InlineIsEqualGUID(iid, IID_ISupportErrorInfo) ? S_OK : S_FALSE;
        }
    };
    auto object = Failing::Make();
    SetErrorInfo(0, MakeErrorInfo(L"told by the object").Get());
    try {
        Check(E_ACCESSDENIED, static_cast<ISupportErrorInfo*>(object.Get()));
        FAIL() << "no exception";
    } catch (const _com_error& e) {
        EXPECT_EQ(E_ACCESSDENIED, e.Error());
        ComPtr<IErrorInfo> info;
        *info.ReleaseAndGetAddressOf() = e.ErrorInfo();  // a reference of its own
        ASSERT_NE(nullptr, info.Get());
        Bstr description;
        info->GetDescription(description.Out());
        EXPECT_EQ(L"told by the object", description.Str());
    }
}

TEST(ErrorBoundary, AFailingCallLeavesItsErrorInformationWithOneReferencePerHolder)
{
    for (int kind = 0; kind < 2; ++kind) {
        ComPtr<IErrorInfo> info = MakeErrorInfo(L"counted");
        IErrorInfo* raw = info.Get();
        HRESULT hr = ComBoundary(L"T::M", [&]() -> HRESULT {
            if (kind == 0)
                throw _com_error(E_FAIL, raw, true);
            throw _tam_error(raw, 1);
        });
        // A handset error of code 1 reaches the host as 0x80040000 with the code.
        EXPECT_EQ(kind == 0 ? E_FAIL : static_cast<HRESULT>(0x80040001), hr);
        SetErrorInfo(0, nullptr);
        raw->AddRef();
        EXPECT_EQ(1u, raw->Release()) << "kind " << kind;  // only this test's own reference is left
    }
}
