// A connected device data object over the simulator with a built-in model loaded.
#pragma once

#include <string>
#include <vector>

#include "DataTableKelvraCard.h"
#include "DataTableKelvraPB.h"
#include "DeviceDataKELVRA.h"
#include "SimConnection.h"
#include "SimModelDatabase.h"
#include "TestEnvironment.h"

namespace kelvra::testing {

struct Handset {
    ComPtr<CDeviceDataKELVRA> device = CDeviceDataKELVRA::Make();
    ComPtr<sim::SimConnection> connection = sim::SimConnection::Make();
    ComPtr<sim::SimModelDatabase> models = sim::SimModelDatabase::Make();

    explicit Handset(int resource, const wchar_t* photos = L"false")
    {
        Answer(L"PhoneInfo.FromRes", L"true");
        Answer(L"PhoneInfo.ResID", std::to_wstring(resource).c_str());
        Answer(L"Datastore.Phonebook.PB_GROUP", L"true");
        Answer(L"Phonebook.Photo", photos);
        EXPECT_EQ(S_OK, device->SetConneciton(static_cast<ISimHandset*>(connection.Get()),
                                              static_cast<ISimModelDatabase*>(models.Get())));
        EXPECT_EQ(S_OK, device->ListDataTable());
    }

    void Answer(const wchar_t* key, const wchar_t* value) { models->SetValue(Bstr(key).Get(), Bstr(value).Get()); }
    sim::SimHandset& Sim() { return connection->State().handset; }

    ComPtr<IDataTable> Table(DATATABLE_SUID id)
    {
        ComPtr<IDataTable> table;
        EXPECT_EQ(S_OK, device->GetDataTable(id, table.GetAddressOf()));
        return table;
    }
    CDataTableKelvraPB& Phonebook() { return *static_cast<CDataTableKelvraPB*>(Table(DTID_PHONEBOOK).Get()); }
};

// Sets a column of an item by name.
void SetColumn(IItem* item, const wchar_t* name, const VARIANT& value);
void SetColumn(IItem* item, const wchar_t* name, const wchar_t* text);
// A column's value by name; VT_EMPTY when the item has no such column.
Variant Column(IItem* item, const wchar_t* name);
std::wstring ColumnText(IItem* item, const wchar_t* name);
SUID SuidOf(IItem* item);
// Every item of a table's listing, which is then ended.
std::vector<ComPtr<IItem>> ListAll(IDataTable* table);
// What a sync suite does with a listed item: a new item of its kind, made by the table,
// filled with every column of the listed one. With its SUID it updates that record;
// without, it makes a new one.
ComPtr<IItem> CopyOfItem(IDataTable* table, IItem* listed, bool withSuid);

}  // namespace kelvra::testing
