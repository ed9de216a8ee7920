#include "ItemPrinter.h"

#include <cstdio>

#include "ItemColumns.h"

namespace kelvra::host {

namespace {

// An item's columns for a listing. The component's TEL_COUNT is the number of number
// fields the model has; a person reads it as the numbers the contact holds.
std::vector<NamedValue> ListedColumns(IItem* item)
{
    std::vector<NamedValue> columns = ReadColumns(item);
    LONG present = 0;
    for (const NamedValue& column : columns)
        present += column.name.rfind(L"TEL_NUM_", 0) == 0 && !ValueText(column.value).empty() ? 1 : 0;
    for (NamedValue& column : columns) {
        if (column.name == L"TEL_COUNT")
            column.value = column.value.Type() == VT_BSTR ? Variant::FromText(std::to_wstring(present))
                                                          : Variant::FromInt(present);
    }
    return columns;
}

}  // namespace

std::string JsonString(const std::wstring& text)
{
    std::string out = "\"";
    for (unsigned char c : NarrowUtf8(text)) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char escaped[8];
            snprintf(escaped, sizeof(escaped), "\\u%04x", c);
            out += escaped;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

std::string ItemsAsText(const std::vector<ComPtr<IItem>>& items)
{
    std::string out;
    for (const auto& item : items) {
        out += "SUID " + std::to_string(ItemSuid(item.Get())) + "\n";
        for (const NamedValue& column : ListedColumns(item.Get())) {
            std::wstring text = ValueText(column.value);
            bool noGroup = column.name.rfind(L"GROUP_ID_", 0) == 0 && text == L"0";
            if (!text.empty() && !noGroup && column.name != L"SUID")
                out += "  " + NarrowUtf8(column.name) + ": " + NarrowUtf8(text) + "\n";
        }
    }
    return out;
}

std::string ItemsAsJson(const std::vector<ComPtr<IItem>>& items)
{
    std::string out = "[";
    for (size_t i = 0; i < items.size(); ++i) {
        out += i ? ",\n {" : "\n {";
        bool first = true;
        for (const NamedValue& column : ListedColumns(items[i].Get())) {
            VARTYPE type = column.value.Type();
            if (type == VT_EMPTY)
                continue;
            out += first ? "" : ", ";
            first = false;
            out += JsonString(column.name) + ": ";
            if (type == VT_NULL)
                out += "null";
            else if (type == VT_I4 || type == VT_UI2 || type == VT_UI4 || type == VT_UINT || type == VT_INT ||
                     type == VT_I2 || type == VT_UI1)
                out += NarrowUtf8(ValueText(column.value));
            else
                out += JsonString(ValueText(column.value));
        }
        out += "}";
    }
    return out + (items.empty() ? "]\n" : "\n]\n");
}

}  // namespace kelvra::host
