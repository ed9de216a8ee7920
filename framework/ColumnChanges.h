// What a write must change on the handset. An update starts from the record as the
// handset holds it; only the fields whose columns the item sets, to a value other than
// the record's own, are encoded again. Everything else keeps its bytes, so a record
// listed and written back unchanged reaches the handset as it was.
#pragma once

#include <initializer_list>
#include <string>
#include <vector>

#include "ColumnMap.h"

namespace kelvra {

class ColumnChanges {
public:
    // A new record: every field is encoded from the item's columns.
    static ColumnChanges ForNewRecord(const ColumnMap& item);
    // An existing record: current holds the columns its bytes read as.
    static ColumnChanges ForRecord(const ColumnMap& item, const ColumnMap& current);

    bool Creating() const { return m_creating; }
    // Whether the field of these columns must be encoded again.
    bool Changed(std::initializer_list<std::wstring> columns) const;
    bool Changed(const std::vector<std::wstring>& columns) const;
    // The record's columns with the item's set columns over them: what the encoded
    // fields are made from.
    ColumnMap& Values() { return m_values; }
    const ColumnMap& Values() const { return m_values; }

private:
    bool ChangedColumn(const std::wstring& column) const;

    bool m_creating = true;
    ColumnMap m_set;      // the columns the item sets (anything but VT_EMPTY)
    ColumnMap m_current;  // what the record holds now
    ColumnMap m_values;
};

// A value as comparable text: empty and null read as "", anything else as its text.
std::wstring ComparableText(const Variant& value);

}  // namespace kelvra
