// The column map: a record in transit between items, tables and codecs, from column
// name (exact, case-sensitive) to value.
#pragma once

#include <windows.h>

#include <string>
#include <unordered_map>

#include "ComTypes.h"

namespace kelvra {

class ColumnMap : public std::unordered_map<std::wstring, Variant> {
public:
    ColumnMap() : std::unordered_map<std::wstring, Variant>(17) {}

    bool Has(const std::wstring& name) const { return find(name) != end(); }
    // The value as text; throws _map_not_found_error or _variant_extract_error.
    std::wstring Text(const std::wstring& name) const;
    // The value as a 32-bit number, by the same rules.
    LONG Number(const std::wstring& name) const;
    // The value as text, or the fallback when the column is absent or empty.
    std::wstring TextOr(const std::wstring& name, const std::wstring& fallback) const;

    void SetText(const std::wstring& name, std::wstring_view text) { (*this)[name] = Variant::FromText(text); }
    void SetValue(const std::wstring& name, VARTYPE type, LONG value);
};

// One column of an item kind's catalogue.
struct ColumnDefinition {
    const wchar_t* name;
    VARTYPE type;
};

}  // namespace kelvra
