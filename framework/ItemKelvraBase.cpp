#include "ItemKelvraBase.h"

#include "DebugLog.h"
#include "ErrorBoundary.h"
#include "Errors.h"

namespace kelvra {

namespace {

constexpr DISPID kGetOrdinalDispid = 10;

}  // namespace

void CItemKelvraBase::SetColumns(CColumnsKelvra* columns)
{
    m_columns = columns;
    m_values.clear();
}

void CItemKelvraBase::SetSuid(SUID suid, SUID)
{
    m_suid = suid;
}

Variant& CItemKelvraBase::Slot(ULONG column)
{
    ULONG count = m_columns->Count();
    if (m_values.size() != count)
        m_values.resize(count);
    if (count == 0)
        ThrowComError(E_FAIL, L"The item has no columns");
    return m_values[column < count ? column : 0];
}

HRESULT CItemKelvraBase::SchemaConvertItem2Map(ColumnMap& map)
{
    if (!m_columns || m_columns->Count() == 0)
        return S_OK;
    for (ULONG ordinal = 0; ordinal < m_columns->Count(); ++ordinal) {
        Variant& value = Slot(ordinal);
        VARTYPE type = m_columns->Type(ordinal);
        if (value.Type() != VT_EMPTY && value.Type() != type) {
            // A value that cannot take the column's type goes on as it is; the codec decides.
            VariantChangeType(&value.Get(), &value.Get(), 0, type);
        }
        map[m_columns->Name(ordinal)] = value;
    }
    return S_OK;
}

HRESULT CItemKelvraBase::LoggedItem2Map(const wchar_t* name, ColumnMap& map)
{
    DebugLog(L"%ls", name);
    HRESULT hr = CItemKelvraBase::SchemaConvertItem2Map(map);
    return SUCCEEDED(hr) ? S_OK : hr;
}

HRESULT CItemKelvraBase::SchemaConvertMap2Item(const ColumnMap& map)
{
    if (!m_columns)
        ThrowComError(E_POINTER, L"The item has no column catalogue");
    m_values.assign(m_columns->Count(), Variant());
    for (ULONG ordinal = 0; ordinal < m_columns->Count(); ++ordinal) {
        auto found = map.find(m_columns->Name(ordinal));
        if (found != map.end())
            m_values[ordinal] = found->second;
    }
    auto suid = map.find(L"SUID");
    if (suid != map.end()) {
        Variant converted;
        HRESULT hr = VariantChangeType(converted.Out(), const_cast<VARIANT*>(&suid->second.Get()), 0, VT_I4);
        if (FAILED(hr))
            ThrowComError(hr, L"The record's SUID is not a number");
        SetSuid(converted.Get().lVal, 0);
    }
    return S_OK;
}

STDMETHODIMP CItemKelvraBase::get_SUID(SUID* value)
{
    if (!value)
        return E_POINTER;
    *value = m_suid;
    return S_OK;
}

STDMETHODIMP CItemKelvraBase::get_parent(SUID*)
{
    return E_NOTIMPL;
}

STDMETHODIMP CItemKelvraBase::getType(QELDATATYPE* type)
{
    if (!type)
        return E_POINTER;
    *type = Type();
    return S_OK;
}

STDMETHODIMP CItemKelvraBase::GetColumnCount(ULONG* count)
{
    return ComBoundary(L"CItemKelvraBase::GetColumnCount", [&] {
        if (!m_columns || !count)
            return E_POINTER;
        *count = m_columns->Count();
        return S_OK;
    });
}

STDMETHODIMP CItemKelvraBase::GetColumnInfo(ULONG, IColumnInfo**)
{
    return E_NOTIMPL;
}

STDMETHODIMP CItemKelvraBase::GetColumnFlags(ULONG, ULONG*)
{
    return E_NOTIMPL;
}

STDMETHODIMP CItemKelvraBase::GetColumnName(ULONG column, BSTR* name)
{
    return ComBoundary(L"CItemKelvraBase::GetColumnName", [&] {
        if (!m_columns || !name)
            return E_POINTER;
        if (column >= m_columns->Count())
            return E_FAIL;
        return ReturnText(m_columns->Name(column), name);
    });
}

STDMETHODIMP CItemKelvraBase::GetColumnType(ULONG column, USHORT* type)
{
    return ComBoundary(L"CItemKelvraBase::GetColumnType", [&] {
        if (!m_columns || !type)
            return E_POINTER;
        if (column >= m_columns->Count())
            return E_FAIL;
        *type = m_columns->Type(column);
        return S_OK;
    });
}

STDMETHODIMP CItemKelvraBase::GetLength(ULONG, ULONG*)
{
    return E_NOTIMPL;
}

STDMETHODIMP CItemKelvraBase::GetOrdinal(BSTR name, ULONG* ordinal, LONG* found)
{
    return ComBoundary(L"CItemKelvraBase::GetOrdinal", [&] {
        if (!m_columns || !ordinal || !found)
            return E_POINTER;
        ULONG position = 0;
        bool known = m_columns->Find(name ? std::wstring(name, SysStringLen(name)) : std::wstring(), position);
        *ordinal = known ? position : 0;
        *found = known ? 1 : 0;
        return S_OK;
    });
}

STDMETHODIMP CItemKelvraBase::GetStatus(ULONG, ULONG*)
{
    return E_NOTIMPL;
}

STDMETHODIMP CItemKelvraBase::SetStatus(ULONG, ULONG)
{
    return E_NOTIMPL;
}

STDMETHODIMP CItemKelvraBase::GetValue(ULONG column, VARIANT* value)
{
    return ComBoundary(L"CItemKelvraBase::GetValue", [&] {
        if (!m_columns || !value)
            return E_POINTER;
        return Slot(column).CopyTo(value);
    });
}

STDMETHODIMP CItemKelvraBase::SetValue(ULONG column, VARIANT value)
{
    return ComBoundary(L"CItemKelvraBase::SetValue", [&] {
        if (!m_columns)
            return E_POINTER;
        Variant& slot = Slot(column);
        HRESULT hr = VariantCopy(slot.Out(), &value);
        if (FAILED(hr)) {
            slot.Get().vt = VT_ERROR;
            slot.Get().scode = hr;
        }
        return hr;
    });
}

STDMETHODIMP CItemKelvraBase::ReadBlobTo(ULONG, BSTR)
{
    return E_NOTIMPL;
}

STDMETHODIMP CItemKelvraBase::WriteBlobFrom(ULONG, BSTR)
{
    return E_NOTIMPL;
}

STDMETHODIMP CItemKelvraBase::Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* exception, UINT* argumentError)
{
    if (id == kGetOrdinalDispid && params && params->cArgs == 1 && params->cNamedArgs == 0) {
        Variant name;
        HRESULT hr = VariantChangeType(name.Out(), &params->rgvarg[0], 0, VT_BSTR);
        if (FAILED(hr))
            return DISP_E_TYPEMISMATCH;
        ULONG ordinal = 0;
        LONG found = 0;
        hr = GetOrdinal(name.Get().bstrVal, &ordinal, &found);
        if (FAILED(hr))
            return hr;
        if (result) {
            VariantInit(result);
            result->vt = VT_I4;
            result->lVal = found ? static_cast<LONG>(ordinal) : -1;
        }
        return S_OK;
    }
    return DispatchImpl<IItem>::Invoke(id, iid, locale, flags, params, result, exception, argumentError);
}

STDMETHODIMP CItemKelvraBase::InterfaceSupportsErrorInfo(REFIID iid)
{
    return InlineIsEqualGUID(iid, IID_IItem) ? S_OK : S_FALSE;
}

}  // namespace kelvra
