// One item of a backup, as restore reads it back: the SUID it had, its kind, and every
// column with its VARTYPE and value, exactly as the component listed them.
#pragma once

#include <string>
#include <vector>

#include "ItemColumns.h"
#include "JsonValue.h"

namespace kelvra::host {

struct ItemRecord {
    SUID suid = 0;
    QELDATATYPE type = QELDT_PHONEBOOK;
    std::vector<NamedValue> columns;  // in the item's column order
    std::string picture;  // the contact's picture file, relative to the backup's items/ folder

    static ItemRecord Of(IItem* item);
    // One line of TABLE.jsonl, without its line end.
    std::string ToJsonLine() const;
    // InputError for a line that is no item record, or holds a value its VARTYPE cannot.
    static ItemRecord FromJson(const JsonValue& line);

    // The column's value; an empty one when the record has no such column.
    const Variant* Find(const std::wstring& name) const;
    std::wstring Text(const std::wstring& name) const;
};

// Every record of a TABLE.jsonl text; InputError naming the line for one that is not.
std::vector<ItemRecord> ReadItemRecords(const std::string& text);

}  // namespace kelvra::host
