#include "ItemRecord.h"

#include <cstdio>

#include "ComFailure.h"

namespace kelvra::host {

namespace {

bool IsWholeNumberType(VARTYPE type)
{
    switch (type) {
    case VT_I1: case VT_I2: case VT_I4: case VT_I8: case VT_INT:
    case VT_UI1: case VT_UI2: case VT_UI4: case VT_UI8: case VT_UINT: case VT_ERROR:
        return true;
    default:
        return false;
    }
}

// A date or a double as the shortest text strtod reads back to the same bits.
std::string ExactNumber(double value)
{
    char text[40];
    snprintf(text, sizeof(text), "%.17g", value);
    return text;
}

std::string ValueJson(const Variant& value)
{
    const VARIANT& v = value.Get();
    switch (v.vt) {
    case VT_EMPTY:
    case VT_NULL:
        return "null";
    case VT_BSTR:
        return JsonText(v.bstrVal ? std::wstring(v.bstrVal, SysStringLen(v.bstrVal)) : std::wstring());
    case VT_BOOL:
        return v.boolVal ? "true" : "false";
    case VT_DATE:
        return ExactNumber(v.date);
    case VT_R8:
        return ExactNumber(v.dblVal);
    case VT_R4:
        return ExactNumber(v.fltVal);
    default:
        break;
    }
    Variant converted;
    VARTYPE as = IsWholeNumberType(v.vt) ? VT_I8 : VT_BSTR;
    if (FAILED(VariantChangeType(converted.Out(), const_cast<VARIANT*>(&v), 0, as)))
        throw ComFailure(DISP_E_TYPEMISMATCH, "A column of VARTYPE " + std::to_string(v.vt) + " cannot be kept");
    if (as == VT_I8)
        return std::to_string(converted.Get().llVal);
    return JsonText(std::wstring(converted.Get().bstrVal, SysStringLen(converted.Get().bstrVal)));
}

Variant ValueFrom(VARTYPE type, const JsonValue& json)
{
    Variant value;
    VARIANT& v = value.Get();
    if (type == VT_EMPTY || type == VT_NULL) {
        if (!json.IsNull())
            throw InputError("a column of VARTYPE " + std::to_string(type) + " holds a value");
        v.vt = type;
        return value;
    }
    if (type == VT_BSTR)
        return Variant::FromText(json.Text());
    if (type == VT_BOOL) {
        v.vt = VT_BOOL;
        v.boolVal = json.Boolean() ? VARIANT_TRUE : VARIANT_FALSE;
        return value;
    }
    if (type == VT_DATE || type == VT_R8 || type == VT_R4) {
        v.vt = VT_R8;
        v.dblVal = json.Number();
    } else if (IsWholeNumberType(type)) {
        v.vt = VT_I8;
        v.llVal = json.Integer();
    } else {
        value = Variant::FromText(json.Text());
    }
    if (type == VT_DATE) {  // the same bits, under the date's own type
        v.vt = VT_DATE;
        return value;
    }
    Variant typed;
    if (FAILED(VariantChangeType(typed.Out(), &v, 0, type)))
        throw InputError("a value does not fit its VARTYPE " + std::to_string(type));
    return typed;
}

}  // namespace

ItemRecord ItemRecord::Of(IItem* item)
{
    ItemRecord record;
    record.suid = ItemSuid(item);
    record.type = ItemType(item);
    record.columns = ReadColumns(item);
    return record;
}

std::string ItemRecord::ToJsonLine() const
{
    std::string line = "{\"suid\": " + std::to_string(suid) + ", \"type\": " + std::to_string(type);
    if (!picture.empty())
        line += ", \"picture\": " + JsonText(Widen(picture, CP_UTF8));
    line += ", \"columns\": [";
    for (size_t i = 0; i < columns.size(); ++i) {
        line += i ? ", " : "";
        line += "{\"name\": " + JsonText(columns[i].name) + ", \"vt\": " + std::to_string(columns[i].value.Type()) +
                ", \"value\": " + ValueJson(columns[i].value) + "}";
    }
    return line + "]}";
}

ItemRecord ItemRecord::FromJson(const JsonValue& line)
{
    ItemRecord record;
    int64_t suid = line.At("suid").Integer(), type = line.At("type").Integer();
    if (suid < 0 || suid > 0x7FFFFFFF || type < 0 || type > 0xFFFF)
        throw InputError("a SUID or type out of range");
    record.suid = static_cast<SUID>(suid);
    record.type = static_cast<QELDATATYPE>(type);
    if (const JsonValue* picture = line.Find("picture"))
        record.picture = NarrowUtf8(picture->Text());
    for (const JsonValue& column : line.At("columns").Items()) {
        int64_t vt = column.At("vt").Integer();
        if (vt < 0 || vt > 0xFFF)
            throw InputError("a VARTYPE out of range");
        record.columns.push_back({column.At("name").Text(), ValueFrom(static_cast<VARTYPE>(vt), column.At("value"))});
    }
    return record;
}

const Variant* ItemRecord::Find(const std::wstring& name) const
{
    for (const NamedValue& column : columns) {
        if (column.name == name)
            return &column.value;
    }
    return nullptr;
}

std::wstring ItemRecord::Text(const std::wstring& name) const
{
    const Variant* value = Find(name);
    return value ? ValueText(*value) : std::wstring();
}

std::vector<ItemRecord> ReadItemRecords(const std::string& text)
{
    std::vector<ItemRecord> records;
    size_t number = 0;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        ++number;
        std::string line = text.substr(start, end - start);
        start = end + 1;
        if (line.find_first_not_of(" \t\r") == std::string::npos)
            continue;
        try {
            records.push_back(ItemRecord::FromJson(JsonValue::Parse(line)));
        } catch (const InputError& e) {
            throw InputError("line " + std::to_string(number) + ": " + e.what());
        }
    }
    return records;
}

}  // namespace kelvra::host
