// The column catalogue of one item kind: ordered (name, VARTYPE) columns and an exact
// name index. Items and tables share it by reference.
#pragma once

#include <string>
#include <unordered_map>
#include <vector>

#include "ColumnMap.h"
#include "ComObject.h"

namespace kelvra {

class CColumnsKelvra : public ComObject<CColumnsKelvra, IUnknown> {
public:
    // Replaces the columns with the table's, in order; a later duplicate name wins the index.
    void SetColumnList(const ColumnDefinition* columns, size_t count);

    ULONG Count() const { return static_cast<ULONG>(m_columns.size()); }
    const std::wstring& Name(ULONG ordinal) const { return m_columns.at(ordinal).name; }
    VARTYPE Type(ULONG ordinal) const { return m_columns.at(ordinal).type; }
    bool Find(const std::wstring& name, ULONG& ordinal) const;

private:
    struct Column {
        std::wstring name;
        VARTYPE type;
    };
    std::vector<Column> m_columns;
    std::unordered_map<std::wstring, ULONG> m_index;
};

// A new catalogue filled from an item class's static column table.
template <size_t N>
ComPtr<CColumnsKelvra> MakeColumns(const ColumnDefinition (&columns)[N])
{
    auto catalogue = CColumnsKelvra::Make();
    catalogue->SetColumnList(columns, N);
    return catalogue;
}

}  // namespace kelvra
