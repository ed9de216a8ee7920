#include "ColumnMap.h"

#include "Errors.h"

namespace kelvra {

namespace {

Variant Converted(const Variant& value, VARTYPE type)
{
    Variant converted;
    if (FAILED(VariantChangeType(converted.Out(), const_cast<VARIANT*>(&value.Get()), 0, type)))
        throw _variant_extract_error();
    return converted;
}

}  // namespace

std::wstring ColumnMap::Text(const std::wstring& name) const
{
    auto found = find(name);
    if (found == end())
        throw _map_not_found_error();
    if (found->second.Type() == VT_EMPTY || found->second.Type() == VT_NULL)
        return {};
    Variant text = Converted(found->second, VT_BSTR);
    BSTR value = text.Get().bstrVal;
    return value ? std::wstring(value, SysStringLen(value)) : std::wstring();
}

LONG ColumnMap::Number(const std::wstring& name) const
{
    auto found = find(name);
    if (found == end())
        throw _map_not_found_error();
    return Converted(found->second, VT_I4).Get().lVal;
}

std::wstring ColumnMap::TextOr(const std::wstring& name, const std::wstring& fallback) const
{
    if (!Has(name))
        return fallback;
    std::wstring text = Text(name);
    return text.empty() ? fallback : text;
}

void ColumnMap::SetValue(const std::wstring& name, VARTYPE type, LONG value)
{
    Variant variant = Variant::FromInt(value);
    if (type != VT_I4) {
        Variant converted;
        HRESULT hr = VariantChangeType(converted.Out(), &variant.Get(), 0, type);
        if (FAILED(hr))
            throw CAtlException(hr);
        variant = converted;
    }
    (*this)[name] = variant;
}

}  // namespace kelvra
