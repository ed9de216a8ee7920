#include "ColumnsKelvra.h"

namespace kelvra {

void CColumnsKelvra::SetColumnList(const ColumnDefinition* columns, size_t count)
{
    m_columns.clear();
    m_index.clear();
    for (size_t i = 0; i < count; ++i) {
        m_columns.push_back({columns[i].name, columns[i].type});
        m_index[columns[i].name] = static_cast<ULONG>(i);
    }
}

bool CColumnsKelvra::Find(const std::wstring& name, ULONG& ordinal) const
{
    auto found = m_index.find(name);
    if (found == m_index.end())
        return false;
    ordinal = found->second;
    return true;
}

}  // namespace kelvra
