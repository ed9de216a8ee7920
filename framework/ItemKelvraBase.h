// What every item of the component is: a record as the host sees it, named typed
// columns holding VARIANT values, and its SUID.
#pragma once

#include <windows.h>

#include <vector>

#include "ColumnMap.h"
#include "ColumnsKelvra.h"
#include "ComObject.h"
#include "QELKELVRA.h"

namespace kelvra {

class CItemKelvraBase;

// Answered only by the component's own items, so that a table can tell them from an
// item some other code made.
struct IKelvraItem : public IUnknown {
    virtual CItemKelvraBase* STDMETHODCALLTYPE Self() = 0;
};

}  // namespace kelvra

__CRT_UUID_DECL(kelvra::IKelvraItem, 0x43a7c0a2, 0x66c2, 0x41a1, 0x9c, 0x20, 0xc7, 0xc1, 0x82, 0x94, 0xde, 0x57)

namespace kelvra {

class CItemKelvraBase
    : public ComObject<CItemKelvraBase, DispatchImpl<IItem>, ISupportErrorInfo, IKelvraItem> {
public:
    // Makes an item of a concrete class with one reference for the caller.
    template <class Item>
    static ComPtr<Item> MakeItem()
    {
        ComPtr<Item> item;
        *item.GetAddressOf() = new Item();
        return item;
    }

    virtual QELDATATYPE Type() const = 0;

    // The item's own operations.
    virtual void SetColumns(CColumnsKelvra* columns);
    virtual void SetSuid(SUID suid, SUID parent);
    virtual HRESULT SchemaConvertItem2Map(ColumnMap& map);
    virtual HRESULT SchemaConvertMap2Item(const ColumnMap& map);

    SUID Suid() const { return m_suid; }
    CColumnsKelvra* Columns() const { return m_columns.Get(); }

    // IItem
    STDMETHODIMP get_SUID(SUID* value) override;
    STDMETHODIMP get_parent(SUID* value) override;
    STDMETHODIMP getType(QELDATATYPE* type) override;
    STDMETHODIMP GetColumnCount(ULONG* count) override;
    STDMETHODIMP GetColumnInfo(ULONG column, IColumnInfo** info) override;
    STDMETHODIMP GetColumnFlags(ULONG column, ULONG* flags) override;
    STDMETHODIMP GetColumnName(ULONG column, BSTR* name) override;
    STDMETHODIMP GetColumnType(ULONG column, USHORT* type) override;
    STDMETHODIMP GetLength(ULONG column, ULONG* length) override;
    STDMETHODIMP GetOrdinal(BSTR name, ULONG* ordinal, LONG* found) override;
    STDMETHODIMP GetStatus(ULONG column, ULONG* status) override;
    STDMETHODIMP SetStatus(ULONG column, ULONG status) override;
    STDMETHODIMP GetValue(ULONG column, VARIANT* value) override;
    STDMETHODIMP SetValue(ULONG column, VARIANT value) override;
    STDMETHODIMP ReadBlobTo(ULONG column, BSTR path) override;
    STDMETHODIMP WriteBlobFrom(ULONG column, BSTR path) override;

    // Scripts cannot take an [out] argument: GetOrdinal called with the column name
    // alone answers the column's ordinal, or -1 when the item has no such column.
    STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* exception, UINT* argumentError) override;

    // ISupportErrorInfo
    STDMETHODIMP InterfaceSupportsErrorInfo(REFIID iid) override;

    // IKelvraItem
    CItemKelvraBase* STDMETHODCALLTYPE Self() override { return this; }

protected:
    CItemKelvraBase() = default;
    // The copy into a map, logged under the item class's name.
    HRESULT LoggedItem2Map(const wchar_t* name, ColumnMap& map);

private:
    // The value slot of a column, by the rule that an index past the end means column 0.
    Variant& Slot(ULONG column);

    SUID m_suid = 0;
    ComPtr<CColumnsKelvra> m_columns;
    std::vector<Variant> m_values;
};

}  // namespace kelvra
