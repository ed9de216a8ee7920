// A device data object whose agent connection is the in-memory handset file system,
// with a built-in model profile loaded.
#pragma once

#include <algorithm>
#include <string>

#include "DeviceDataKELVRA.h"
#include "FakeFileHandset.h"
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
