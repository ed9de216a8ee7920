#include "TestEnvironment.h"

#include <gtest/gtest.h>
#include <objbase.h>

#include "SimModule.h"

namespace kelvra::testing {

namespace {

TestPlatform g_services;

class KelvraEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        ASSERT_HRESULT_SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
        ASSERT_HRESULT_SUCCEEDED(sim::SimModule::RegisterClassObjects());
        Platform::Install(&g_services);
    }
    void TearDown() override
    {
        Platform::Install(nullptr);
        sim::SimModule::RevokeClassObjects();
        CoUninitialize();
    }
};

class ResetServices : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override { g_services.Reset(); }
};

[[maybe_unused]] ::testing::Environment* const g_environment =
    ::testing::AddGlobalTestEnvironment(new KelvraEnvironment);

[[maybe_unused]] const bool g_listening = [] {
    ::testing::UnitTest::GetInstance()->listeners().Append(new ResetServices);
    return true;
}();

}  // namespace

void TestPlatform::Reset()
{
    pauses.clear();
    logLines.clear();
    messageBoxes.clear();
    appData = MakeTempFolder(L"appdata");
    timeZoneBias = 0;
}

TestPlatform& Services()
{
    return g_services;
}

std::wstring MakeTempFolder(const wchar_t* name)
{
    // A new GUID each time: process ids come round again, folders of earlier runs stay.
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    GUID guid = {};
    CoCreateGuid(&guid);
    wchar_t unique[40];
    StringFromGUID2(guid, unique, 40);
    std::wstring folder = std::wstring(temp) + L"kelvra-" + unique + L"-" + name;
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

std::wstring ThreadErrorDescription()
{
    ComPtr<IErrorInfo> info;
    if (GetErrorInfo(0, &info) != S_OK || !info)
        return {};
    Bstr description;
    info->GetDescription(description.Out());
    return description.Str();
}

}  // namespace kelvra::testing

namespace kelvra::testing {

std::string Bytes(const char* hex)
{
    std::string bytes;
    int high = -1;
    for (const char* c = hex; *c; ++c) {
        int value = *c >= '0' && *c <= '9' ? *c - '0' : *c >= 'A' && *c <= 'F' ? *c - 'A' + 10
                  : *c >= 'a' && *c <= 'f' ? *c - 'a' + 10 : -1;
        if (value < 0)
            continue;
        if (high < 0) {
            high = value;
        } else {
            bytes += static_cast<char>(high << 4 | value);
            high = -1;
        }
    }
    return bytes;
}

}  // namespace kelvra::testing

#include "QELKELVRA.h"

namespace kelvra::testing {

void SetColumn(IItem* item, const wchar_t* name, const VARIANT& value)
{
    ULONG ordinal = 0;
    LONG found = 0;
    ASSERT_EQ(S_OK, item->GetOrdinal(Bstr(name).Get(), &ordinal, &found));
    ASSERT_EQ(1, found) << NarrowUtf8(name);
    ASSERT_EQ(S_OK, item->SetValue(ordinal, value));
}

void SetColumn(IItem* item, const wchar_t* name, const wchar_t* text)
{
    SetColumn(item, name, Variant::FromText(text).Get());
}

Variant Column(IItem* item, const wchar_t* name)
{
    ULONG ordinal = 0;
    LONG found = 0;
    Variant value;
    if (SUCCEEDED(item->GetOrdinal(Bstr(name).Get(), &ordinal, &found)) && found)
        item->GetValue(ordinal, value.Out());
    return value;
}

std::wstring ColumnText(IItem* item, const wchar_t* name)
{
    Variant value = Column(item, name);
    if (value.Type() == VT_EMPTY || value.Type() == VT_NULL)
        return {};
    Variant text;
    if (FAILED(VariantChangeType(text.Out(), &value.Get(), 0, VT_BSTR)))
        return L"<not text>";
    return Bstr::Attach(SysAllocString(text.Get().bstrVal)).Str();
}

std::vector<ComPtr<IItem>> ListAll(IDataTable* table)
{
    std::vector<ComPtr<IItem>> items;
    EXPECT_EQ(S_OK, table->ListItemsAllBegin());
    for (int guard = 0; guard < 5000; ++guard) {
        ComPtr<IItem> item;
        HRESULT hr = table->NextItem(item.GetAddressOf());
        EXPECT_EQ(S_OK, hr);
        if (FAILED(hr) || !item)
            break;
        items.push_back(item);
    }
    EXPECT_EQ(S_OK, table->ListItemsEnd());
    return items;
}

SUID SuidOf(IItem* item)
{
    SUID suid = 0;
    item->get_SUID(&suid);
    return suid;
}

ComPtr<IItem> CopyOfItem(IDataTable* table, IItem* listed, bool withSuid)
{
    QELDATATYPE type;
    listed->getType(&type);
    ComPtr<IItem> copy;
    EXPECT_EQ(S_OK, table->NewItem(type, withSuid ? SuidOf(listed) : 0, 0, copy.GetAddressOf()));
    ULONG columns = 0;
    listed->GetColumnCount(&columns);
    for (ULONG column = withSuid ? 0 : 1; column < columns; ++column) {  // the SUID comes first
        Variant value;
        listed->GetValue(column, value.Out());
        EXPECT_EQ(S_OK, copy->SetValue(column, value.Get()));
    }
    return copy;
}

}  // namespace kelvra::testing
