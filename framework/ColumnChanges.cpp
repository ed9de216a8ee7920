#include "ColumnChanges.h"

namespace kelvra {

namespace {

ColumnMap SetColumnsOf(const ColumnMap& item)
{
    ColumnMap set;
    for (const auto& [name, value] : item) {
        if (value.Type() != VT_EMPTY)
            set[name] = value;
    }
    return set;
}

}  // namespace

std::wstring ComparableText(const Variant& value)
{
    if (value.Type() == VT_EMPTY || value.Type() == VT_NULL)
        return {};
    if (value.Type() == VT_BSTR)
        return value.Get().bstrVal ? std::wstring(value.Get().bstrVal, SysStringLen(value.Get().bstrVal)) : L"";
    Variant text;
    if (FAILED(VariantChangeTypeEx(text.Out(), const_cast<VARIANT*>(&value.Get()), LOCALE_INVARIANT, 0, VT_BSTR)))
        return L"\x1F<" + std::to_wstring(value.Type()) + L">";  // equal to no text a record reads as
    return text.Get().bstrVal ? std::wstring(text.Get().bstrVal, SysStringLen(text.Get().bstrVal)) : L"";
}

ColumnChanges ColumnChanges::ForNewRecord(const ColumnMap& item)
{
    ColumnChanges changes;
    changes.m_creating = true;
    changes.m_set = SetColumnsOf(item);
    changes.m_values = changes.m_set;
    return changes;
}

ColumnChanges ColumnChanges::ForRecord(const ColumnMap& item, const ColumnMap& current)
{
    ColumnChanges changes;
    changes.m_creating = false;
    changes.m_set = SetColumnsOf(item);
    changes.m_current = current;
    changes.m_values = current;
    for (const auto& [name, value] : changes.m_set)
        changes.m_values[name] = value;
    return changes;
}

bool ColumnChanges::ChangedColumn(const std::wstring& column) const
{
    auto set = m_set.find(column);
    if (set == m_set.end())
        return false;
    auto current = m_current.find(column);
    std::wstring now = current == m_current.end() ? std::wstring() : ComparableText(current->second);
    return ComparableText(set->second) != now;
}

bool ColumnChanges::Changed(std::initializer_list<std::wstring> columns) const
{
    return Changed(std::vector<std::wstring>(columns));
}

bool ColumnChanges::Changed(const std::vector<std::wstring>& columns) const
{
    if (m_creating)
        return true;
    for (const auto& column : columns) {
        if (ChangedColumn(column))
            return true;
    }
    return false;
}

}  // namespace kelvra
