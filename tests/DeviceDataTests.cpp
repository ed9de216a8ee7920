// The device data object as the host sees it: its interfaces, connection, tables and
// progress events.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DeviceDataKELVRA.h"
#include "HostSinkBase.h"
#include "SimConnection.h"
#include "SimModelDatabase.h"
#include "TestEnvironment.h"

using namespace kelvra;
using kelvra::testing::Services;

namespace {

struct Connected {
    ComPtr<CDeviceDataKELVRA> device = CDeviceDataKELVRA::Make();
    ComPtr<sim::SimConnection> handset = sim::SimConnection::Make();
    ComPtr<sim::SimModelDatabase> models = sim::SimModelDatabase::Make();

    HRESULT Connect()
    {
        return device->SetConneciton(static_cast<ISimHandset*>(handset.Get()),
                                     static_cast<ISimModelDatabase*>(models.Get()));
    }
};

IUnknown* Query(IUnknown* object, REFIID iid)
{
    IUnknown* result = nullptr;
    if (FAILED(object->QueryInterface(iid, reinterpret_cast<void**>(&result))))
        return nullptr;
    result->Release();  // the object keeps its own reference
    return result;
}

}  // namespace

TEST(DeviceData, AnswersItsInterfacesAndRefusesTheLibraryDefault)
{
    auto device = CDeviceDataKELVRA::Make();
    IUnknown* deviceData = Query(device->Identity(), IID_IDeviceData);
    ASSERT_NE(nullptr, deviceData);
    EXPECT_EQ(deviceData, Query(device->Identity(), IID_IDispatch));
    EXPECT_EQ(deviceData, Query(device->Identity(), IID_IUnknown));
    EXPECT_NE(nullptr, Query(device->Identity(), IID_IDeviceDataProfile));
    EXPECT_NE(nullptr, Query(device->Identity(), IID_IConnectionPointContainer));
    EXPECT_NE(nullptr, Query(device->Identity(), IID_ISupportErrorInfo));

    void* refused = reinterpret_cast<void*>(1);
    EXPECT_EQ(E_NOINTERFACE, device->QueryInterface(IID_IDeviceDataKELVRA, &refused));
    EXPECT_EQ(nullptr, refused);
    EXPECT_EQ(E_NOINTERFACE, device->QueryInterface(IID_IDataTable, &refused));
}

TEST(DeviceData, SupportsErrorInformationForItsOwnInterfaceOnly)
{
    auto device = CDeviceDataKELVRA::Make();
    EXPECT_EQ(S_OK, device->InterfaceSupportsErrorInfo(IID_IDeviceData));
    EXPECT_EQ(S_FALSE, device->InterfaceSupportsErrorInfo(IID_IDataTable));
    EXPECT_EQ(S_FALSE, device->InterfaceSupportsErrorInfo(IID_IDeviceDataKELVRA));
}

TEST(DeviceData, ConnectsAndSetsTheSystemCodePage)
{
    Connected session;
    ASSERT_EQ(S_OK, session.Connect());
    EXPECT_EQ(0, session.handset->State().codePage);
    EXPECT_NE(nullptr, session.device->Agent());
    EXPECT_NE(nullptr, session.device->ModelDatabase());
    ASSERT_FALSE(Services().logLines.empty());
    EXPECT_EQ(L"[LUMOQELTAM]CDeviceDataKELVRA::SetConneciton\n", Services().logLines.front());
}

TEST(DeviceData, RefusesAConnectionThatIsNoAgentConnection)
{
    Connected session;
    // A model database in place of the connection.
    IUnknown* models = static_cast<ISimModelDatabase*>(session.models.Get());
    EXPECT_EQ(E_POINTER, session.device->SetConneciton(models, models));
    EXPECT_EQ(E_POINTER, session.device->SetConneciton(nullptr, models));
    // The model database was kept although the connection was refused.
    EXPECT_NE(nullptr, session.device->ModelDatabase());
    EXPECT_EQ(nullptr, session.device->Agent());
}

TEST(DeviceData, RefusesAConnectionWhoseServiceGivesNoAgent)
{
    Connected session;
    session.handset->put_AgentAvailable(VARIANT_FALSE);
    EXPECT_EQ(E_POINTER, session.Connect());
    EXPECT_EQ(nullptr, session.device->Agent());

    session.handset->State().failures[L"GetService"] = E_UNEXPECTED;
    EXPECT_EQ(E_UNEXPECTED, session.Connect());
}

TEST(DeviceData, ReportsAFailingCodePageWithTheAgentsErrorInformation)
{
    Connected session;
    session.handset->State().failures[L"SetCodePage"] = E_ACCESSDENIED;
    EXPECT_EQ(E_ACCESSDENIED, session.Connect());

    ComPtr<IErrorInfo> info;
    ASSERT_EQ(S_OK, GetErrorInfo(0, &info));
    Bstr description;
    info->GetDescription(description.Out());
    EXPECT_NE(std::wstring::npos, description.Str().find(L"SetCodePage was told to fail")) << description.Str();
    EXPECT_NE(std::wstring::npos, description.Str().find(L"CDeviceDataKELVRA::SetConneciton")) << description.Str();
}

TEST(DeviceData, HandsOutNoTableBeforeListing)
{
    Connected session;
    ASSERT_EQ(S_OK, session.Connect());
    IDataTable* table = reinterpret_cast<IDataTable*>(1);
    EXPECT_EQ(S_OK, session.device->GetDataTable(DTID_PHONEBOOK, &table));
    EXPECT_EQ(nullptr, table);
    EXPECT_EQ(E_POINTER, session.device->GetDataTable(DTID_PHONEBOOK, nullptr));
}

TEST(DeviceData, SetPropertyIsNotOffered)
{
    auto device = CDeviceDataKELVRA::Make();
    Bstr name(L"Name"), value(L"Value");
    EXPECT_EQ(E_NOTIMPL, device->SetProperty(name.Get(), value.Get()));
    EXPECT_EQ(E_NOTIMPL, device->SetProperty(nullptr, nullptr));
}

TEST(DeviceData, LoadProfileOnlyShowsItsMessage)
{
    auto device = CDeviceDataKELVRA::Make();
    EXPECT_EQ(0, device->LoadProfile(nullptr, nullptr));
    ASSERT_EQ(1u, Services().messageBoxes.size());
    EXPECT_EQ(L"long __stdcall CDeviceDataKELVRA::LoadProfile(wchar_t *,wchar_t *)|QEL KELVRA Get Device Profile",
              Services().messageBoxes[0]);
}

// ---- Aggregation -------------------------------------------------------------------------

namespace {

// An outer object that aggregates the device data object and counts its own references.
class Outer : public IUnknown {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** result) override
    {
        if (InlineIsEqualGUID(iid, IID_IUnknown)) {
            *result = this;
            AddRef();
            return S_OK;
        }
        return inner->QueryInterface(iid, result);
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
    STDMETHODIMP_(ULONG) Release() override { return --refs; }

    ComPtr<IUnknown> inner;
    ULONG refs = 1;
};

}  // namespace

TEST(DeviceData, CanBeAggregatedAndDelegatesToItsOuterObject)
{
    Outer outer;
    ASSERT_EQ(S_OK, CDeviceDataKELVRA::Create(&outer, IID_IUnknown, reinterpret_cast<void**>(outer.inner.GetAddressOf())));

    ComPtr<IDeviceData> deviceData;
    ASSERT_EQ(S_OK, outer.QueryInterface(IID_IDeviceData, reinterpret_cast<void**>(deviceData.GetAddressOf())));
    EXPECT_EQ(2u, outer.refs);  // the interface's reference is the outer object's

    ComPtr<IUnknown> identity;
    ASSERT_EQ(S_OK, deviceData.As(&identity));
    EXPECT_EQ(static_cast<IUnknown*>(&outer), identity.Get());
    identity.Reset();
    deviceData.Reset();
    EXPECT_EQ(1u, outer.refs);

    void* refused = nullptr;
    EXPECT_EQ(CLASS_E_NOAGGREGATION, CDeviceDataKELVRA::Create(&outer, IID_IDeviceData, &refused));
    EXPECT_EQ(nullptr, refused);
}

// ---- Progress events -----------------------------------------------------------------------

namespace {

struct ProgressCall {
    std::string sink;
    DISPID dispid;
    LONG done;
    LONG total;
};

// A sink for either connection point; it records each call and may clear the flag.
class RecordingSink : public ComObject<RecordingSink, kelvra::testing::HostSinkBase> {
public:
    RecordingSink(std::string name, std::vector<ProgressCall>& calls, bool cancel, HRESULT answer)
        : m_name(std::move(name)), m_calls(calls), m_cancel(cancel), m_answer(answer)
    {
    }

    STDMETHODIMP Invoke(DISPID dispid, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                        UINT*) override
    {
        EXPECT_EQ(DISPATCH_METHOD, flags);
        EXPECT_EQ(3u, params->cArgs);
        EXPECT_EQ(VT_I4, params->rgvarg[2].vt);
        EXPECT_EQ(VT_I4, params->rgvarg[1].vt);
        EXPECT_EQ(VT_I4 | VT_BYREF, params->rgvarg[0].vt);
        m_calls.push_back({m_name, dispid, params->rgvarg[2].lVal, params->rgvarg[1].lVal});
        if (m_cancel)
            *params->rgvarg[0].plVal = 0;
        return m_answer;
    }

private:
    std::string m_name;
    std::vector<ProgressCall>& m_calls;
    bool m_cancel;
    HRESULT m_answer;
};

DWORD Advise(CDeviceDataKELVRA* device, REFIID point, IUnknown* sink)
{
    ComPtr<IConnectionPoint> connectionPoint;
    EXPECT_EQ(S_OK, device->FindConnectionPoint(point, &connectionPoint));
    DWORD cookie = 0;
    EXPECT_EQ(S_OK, connectionPoint->Advise(sink, &cookie));
    return cookie;
}

}  // namespace

TEST(DeviceDataProgress, WithoutSinksLeavesTheFlagAndSucceeds)
{
    auto device = CDeviceDataKELVRA::Make();
    LONG flag = 1;
    EXPECT_EQ(S_OK, device->FireProgress(10, 100, &flag));
    EXPECT_EQ(1, flag);
}

TEST(DeviceDataProgress, ASinkThatClearsTheFlagAsksToCancel)
{
    auto device = CDeviceDataKELVRA::Make();
    std::vector<ProgressCall> calls;
    auto sink = RecordingSink::Make("only", calls, true, S_OK);
    Advise(device.Get(), DIID__IDeviceDataEvents, static_cast<IDispatch*>(sink.Get()));

    LONG flag = 1;
    EXPECT_EQ(S_OK, device->FireProgress(0x100000005ull, 0x200000007ull, &flag));
    EXPECT_EQ(0, flag);
    ASSERT_EQ(1u, calls.size());
    EXPECT_EQ(17, calls[0].dispid);
    EXPECT_EQ(5, calls[0].done);   // only the low 32 bits travel
    EXPECT_EQ(7, calls[0].total);
}

TEST(DeviceDataProgress, NotifiesTheInterfacePointFirstAndAnswersTheLastDispatchSink)
{
    auto device = CDeviceDataKELVRA::Make();
    std::vector<ProgressCall> calls;
    auto first = RecordingSink::Make("dispatch-1", calls, false, S_OK);
    auto second = RecordingSink::Make("dispatch-2", calls, false, S_FALSE);
    auto typed = RecordingSink::Make("interface", calls, false, E_FAIL);
    Advise(device.Get(), DIID__IDeviceDataEvents, static_cast<IDispatch*>(first.Get()));
    DWORD removed = Advise(device.Get(), DIID__IDeviceDataEvents, static_cast<IDispatch*>(typed.Get()));
    Advise(device.Get(), DIID__IDeviceDataEvents, static_cast<IDispatch*>(second.Get()));
    Advise(device.Get(), IID_IDeviceDataEvents, static_cast<IDispatch*>(typed.Get()));

    // An emptied slot in the middle is skipped.
    ComPtr<IConnectionPoint> point;
    ASSERT_EQ(S_OK, device->FindConnectionPoint(DIID__IDeviceDataEvents, &point));
    ASSERT_EQ(S_OK, point->Unadvise(removed));
    EXPECT_EQ(CONNECT_E_NOCONNECTION, point->Unadvise(removed));

    LONG flag = 1;
    EXPECT_EQ(S_FALSE, device->FireProgress(1, 2, &flag));
    ASSERT_EQ(3u, calls.size());
    EXPECT_EQ("interface", calls[0].sink);
    EXPECT_EQ("dispatch-1", calls[1].sink);
    EXPECT_EQ("dispatch-2", calls[2].sink);
    EXPECT_EQ(1, flag);
}

TEST(DeviceDataProgress, OffersExactlyTheTwoConnectionPoints)
{
    auto device = CDeviceDataKELVRA::Make();
    ComPtr<IConnectionPoint> point;
    EXPECT_EQ(CONNECT_E_NOCONNECTION, device->FindConnectionPoint(IID_IDataTable, &point));

    ComPtr<IEnumConnectionPoints> points;
    ASSERT_EQ(S_OK, device->EnumConnectionPoints(&points));
    IConnectionPoint* fetched[3] = {};
    ULONG count = 0;
    EXPECT_EQ(S_FALSE, points->Next(3, fetched, &count));
    ASSERT_EQ(2u, count);
    for (ULONG i = 0; i < count; ++i) {
        ComPtr<IConnectionPointContainer> container;
        EXPECT_EQ(S_OK, fetched[i]->GetConnectionPointContainer(&container));
        EXPECT_EQ(static_cast<IConnectionPointContainer*>(device.Get()), container.Get());
        fetched[i]->Release();
    }
}
