// Setting an item's columns by name, as a host does.
#pragma once

#include <string>

#include "DeviceDataKELVRA.h"

namespace kelvra::bench {

// A new item of the type, made by the table.
ComPtr<IItem> NewItemOf(IDataTable* table, QELDATATYPE type);
void SetText(IItem* item, const wchar_t* column, const std::wstring& text);
// A date and time daysLater days after 2027-01-04 09:30.
void SetDate(IItem* item, const wchar_t* column, int daysLater);
QELDATATYPE TypeOf(IItem* item);
std::wstring TextOf(IItem* item, const wchar_t* column);

}  // namespace kelvra::bench
