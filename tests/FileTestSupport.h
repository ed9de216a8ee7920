// A device data object whose agent connection is the in-memory handset file system,
// with a built-in model profile loaded.
#pragma once

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>

#include "ComObject.h"
#include "DeviceDataKELVRA.h"
#include "FakeFileHandset.h"
#include "HostSinkBase.h"
#include "PhonebookTestSupport.h"

namespace kelvra::testing {

constexpr int kA230 = 208;
constexpr int kA290 = 211;

struct FileHandset {
    ComPtr<FakeFileConnection> connection = FakeFileConnection::Make();
    ComPtr<CDeviceDataKELVRA> device = CDeviceDataKELVRA::Make();
    ComPtr<sim::SimModelDatabase> models = sim::SimModelDatabase::Make();

    // A built-in profile, with its model code replaced when one is given.
    explicit FileHandset(int resource, const wchar_t* model = nullptr)
    {
        Answer(L"PhoneInfo.FromRes", L"true");
        Answer(L"PhoneInfo.ResID", std::to_wstring(resource).c_str());
        EXPECT_EQ(S_OK, device->SetConneciton(static_cast<ITAMConnection*>(connection.Get()),
                                              static_cast<ISimModelDatabase*>(models.Get())));
        EXPECT_EQ(S_OK, device->ListDataTable());
        if (model)
            device->Model().SetText(L"PhoneBaseInfo_PhoneModel", model);
    }
    void Answer(const wchar_t* key, const wchar_t* value) { models->SetValue(Bstr(key).Get(), Bstr(value).Get()); }
    FakeFileAgent& Agent() { return *connection->agent.Get(); }
    ComPtr<IDataTable> Files()
    {
        ComPtr<IDataTable> table;
        EXPECT_EQ(S_OK, device->GetDataTable(DTID_FILE, table.GetAddressOf()));
        return table;
    }
    ComPtr<IItem> NewItem(QELDATATYPE type)
    {
        ComPtr<IItem> item;
        EXPECT_EQ(S_OK, Files()->NewItem(type, 0, 0, item.GetAddressOf()));
        return item;
    }
    bool Called(const std::wstring& call) const
    {
        const auto& calls = connection->agent->calls;
        return std::find(calls.begin(), calls.end(), call) != calls.end();
    }
};

inline void ExpectColumn(IItem* item, const wchar_t* name, VARTYPE type, const std::wstring& text)
{
    EXPECT_EQ(type, Column(item, name).Type()) << NarrowUtf8(name);
    EXPECT_EQ(text, ColumnText(item, name)) << NarrowUtf8(name);
}

struct Progress {
    std::string sink;
    LONG done;
    LONG total;
};

// A host sink on either of the device data object's points; it clears the continue flag
// on the call numbered cancelAt (counting from 1 over both sinks).
class RecordingHost : public ComObject<RecordingHost, HostSinkBase> {
public:
    RecordingHost(std::string name, std::vector<Progress>& calls, size_t& cancelAt)
        : m_name(std::move(name)), m_calls(calls), m_cancelAt(cancelAt)
    {
    }
    STDMETHODIMP Invoke(DISPID dispid, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) override
    {
        EXPECT_EQ(17, dispid);
        m_calls.push_back({m_name, params->rgvarg[2].lVal, params->rgvarg[1].lVal});
        if (m_calls.size() == m_cancelAt)
            *params->rgvarg[0].plVal = 0;
        return S_OK;
    }

private:
    std::string m_name;
    std::vector<Progress>& m_calls;
    size_t& m_cancelAt;
};

// A recording host sink on each event point of the device data object.
inline void WatchProgress(CDeviceDataKELVRA* device, std::vector<Progress>& calls, size_t& cancelAt)
{
    for (auto [name, iid] : {std::pair{"interface", IID_IDeviceDataEvents}, {"dispatch", DIID__IDeviceDataEvents}}) {
        ComPtr<IConnectionPoint> point;
        ASSERT_EQ(S_OK, device->FindConnectionPoint(iid, point.GetAddressOf()));
        DWORD cookie = 0;
        auto sink = RecordingHost::Make(name, calls, cancelAt);
        ASSERT_EQ(S_OK, point->Advise(static_cast<IDispatch*>(sink.Get()), &cookie));
    }
}

inline std::string FileBytes(const std::wstring& path)
{
    std::ifstream file(path.c_str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

inline bool Exists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The description of the error information the last failing call left.
inline std::wstring ErrorText()
{
    ComPtr<IErrorInfo> info;
    if (GetErrorInfo(0, info.GetAddressOf()) != S_OK || !info)
        return L"";
    Bstr text;
    info->GetDescription(text.Out());
    return text.Str();
}

}  // namespace kelvra::testing
