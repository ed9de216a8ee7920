#include "ItemColumns.h"

#include <stdexcept>

#include "BenchSession.h"

namespace kelvra::bench {

namespace {

ULONG Ordinal(IItem* item, const wchar_t* column)
{
    ULONG ordinal = 0;
    LONG found = 0;
    Check(item->GetOrdinal(Bstr(column).Get(), &ordinal, &found), "Finding a column");
    if (!found)
        throw std::runtime_error("the item has no column " + NarrowUtf8(column));
    return ordinal;
}

}  // namespace

ComPtr<IItem> NewItemOf(IDataTable* table, QELDATATYPE type)
{
    ComPtr<IItem> item;
    Check(table->NewItem(type, 0, 0, item.GetAddressOf()), "Making a new item");
    if (!item)
        throw std::runtime_error("the table made no new item");
    return item;
}

void SetText(IItem* item, const wchar_t* column, const std::wstring& text)
{
    Check(item->SetValue(Ordinal(item, column), Variant::FromText(text).Get()), "Setting a column");
}

void SetDate(IItem* item, const wchar_t* column, int daysLater)
{
    SYSTEMTIME time = {};
    time.wYear = 2027;
    time.wMonth = 1;
    time.wDay = 4;
    time.wHour = 9;
    time.wMinute = 30;
    Variant date;
    date.Get().vt = VT_DATE;
    SystemTimeToVariantTime(&time, &date.Get().date);
    date.Get().date += daysLater;
    Check(item->SetValue(Ordinal(item, column), date.Get()), "Setting a date column");
}

QELDATATYPE TypeOf(IItem* item)
{
    QELDATATYPE type{};
    Check(item->getType(&type), "Asking an item's type");
    return type;
}

std::wstring TextOf(IItem* item, const wchar_t* column)
{
    Variant value;
    Check(item->GetValue(Ordinal(item, column), value.Out()), "Reading a column");
    Variant text;
    if (FAILED(VariantChangeType(&text.Get(), &value.Get(), 0, VT_BSTR)))
        return {};
    return text.Get().bstrVal ? text.Get().bstrVal : L"";
}

}  // namespace kelvra::bench
