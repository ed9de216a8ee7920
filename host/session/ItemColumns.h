// An item's columns by name, as a person reads and writes them.
#pragma once

#include <string>
#include <vector>

#include "ComTypes.h"
#include "QELKELVRA.h"

namespace kelvra::host {

struct NamedValue {
    std::wstring name;
    Variant value;
};

// Every column of the item, in column order.
std::vector<NamedValue> ReadColumns(IItem* item);
// The value of one column as text; empty when the item has no such column.
std::wstring ColumnText(IItem* item, const std::wstring& name);
// Sets a column from text; an unknown column name is a usage error.
void SetColumnText(IItem* item, const std::wstring& name, const std::wstring& value);
// Applies "NAME=VALUE" arguments.
void ApplyAssignments(IItem* item, const std::vector<std::wstring>& assignments);

// A value as text: dates as YYYY-MM-DD (with HH:MM[:SS] when they have a time of day),
// numbers in decimal, nothing for empty values.
std::wstring ValueText(const Variant& value);

QELDATATYPE ItemType(IItem* item);
SUID ItemSuid(IItem* item);

}  // namespace kelvra::host
