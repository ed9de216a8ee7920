#include "ItemColumns.h"

#include <cwchar>

#include "ComFailure.h"

namespace kelvra::host {

std::vector<NamedValue> ReadColumns(IItem* item)
{
    std::vector<NamedValue> columns;
    ULONG count = 0;
    CheckCall(item->GetColumnCount(&count), "Reading an item's column count");
    for (ULONG column = 0; column < count; ++column) {
        NamedValue entry;
        Bstr name;
        CheckCall(item->GetColumnName(column, name.Out()), "Reading a column name");
        entry.name = name.Str();
        CheckCall(item->GetValue(column, entry.value.Out()), "Reading a column value");
        columns.push_back(std::move(entry));
    }
    return columns;
}

std::wstring ValueText(const Variant& value)
{
    switch (value.Type()) {
    case VT_EMPTY:
    case VT_NULL:
        return {};
    case VT_DATE: {
        // A date, with its time of day when it has one.
        SYSTEMTIME date = {};
        VariantTimeToSystemTime(value.Get().date, &date);
        wchar_t text[32];
        if (date.wSecond)
            swprintf(text, 32, L"%04u-%02u-%02u %02u:%02u:%02u", date.wYear, date.wMonth, date.wDay, date.wHour,
                     date.wMinute, date.wSecond);
        else if (date.wHour || date.wMinute)
            swprintf(text, 32, L"%04u-%02u-%02u %02u:%02u", date.wYear, date.wMonth, date.wDay, date.wHour,
                     date.wMinute);
        else
            swprintf(text, 32, L"%04u-%02u-%02u", date.wYear, date.wMonth, date.wDay);
        return text;
    }
    default: {
        Variant text;
        if (FAILED(VariantChangeType(text.Out(), const_cast<VARIANT*>(&value.Get()), 0, VT_BSTR)))
            return {};
        BSTR chars = text.Get().bstrVal;
        return chars ? std::wstring(chars, SysStringLen(chars)) : std::wstring();
    }
    }
}

std::wstring ColumnText(IItem* item, const std::wstring& name)
{
    ULONG ordinal = 0;
    LONG found = 0;
    CheckCall(item->GetOrdinal(Bstr(name).Get(), &ordinal, &found), "Looking up a column");
    if (!found)
        return {};
    Variant value;
    CheckCall(item->GetValue(ordinal, value.Out()), "Reading a column value");
    return ValueText(value);
}

void SetColumnText(IItem* item, const std::wstring& name, const std::wstring& value)
{
    ULONG ordinal = 0;
    LONG found = 0;
    CheckCall(item->GetOrdinal(Bstr(name).Get(), &ordinal, &found), "Looking up a column");
    if (!found)
        throw BadValue("the item has no column \"" + NarrowUtf8(name) + "\"");
    CheckCall(item->SetValue(ordinal, Variant::FromText(value).Get()), "Setting a column");
}

void ApplyAssignments(IItem* item, const std::vector<std::wstring>& assignments)
{
    for (const std::wstring& assignment : assignments) {
        size_t equals = assignment.find(L'=');
        if (equals == std::wstring::npos || equals == 0)
            throw BadValue("\"" + NarrowUtf8(assignment) + "\" is not COLUMN=VALUE");
        SetColumnText(item, assignment.substr(0, equals), assignment.substr(equals + 1));
    }
}

QELDATATYPE ItemType(IItem* item)
{
    QELDATATYPE type = QELDT_PHONEBOOK;
    CheckCall(item->getType(&type), "Reading an item's type");
    return type;
}

SUID ItemSuid(IItem* item)
{
    SUID suid = 0;
    CheckCall(item->get_SUID(&suid), "Reading an item's SUID");
    return suid;
}

}  // namespace kelvra::host
