// What every data table shares: its initialisation on the device data object and the
// agent connection, the default answer of every operation a table does not offer, and
// the listing, item-making and writing contracts.
#pragma once

#include <windows.h>

#include "ColumnsKelvra.h"
#include "ComObject.h"
#include "DeviceDataOwner.h"
#include "Errors.h"
#include "ItemKelvraBase.h"
#include "QELKELVRA.h"
#include "TAMAgent.h"

namespace kelvra {


class CDataTableKelvraBase {
public:
    virtual ~CDataTableKelvraBase();

    // The table operations; a concrete table's one implementation serves both these
    // slots and IDataTable's.
    virtual HRESULT STDMETHODCALLTYPE ListItemsAllBegin() = 0;
    virtual HRESULT STDMETHODCALLTYPE ListItemsAllBegin2() = 0;
    virtual HRESULT STDMETHODCALLTYPE ListChildItemsBegin(IItem* item) = 0;
    virtual HRESULT STDMETHODCALLTYPE NextItem(IItem** item) = 0;
    virtual HRESULT STDMETHODCALLTYPE ListItemsEnd() = 0;
    virtual HRESULT STDMETHODCALLTYPE GetItemCount(IItem* item, ULONG recursive, QELDATATYPE type, ULONG* count) = 0;
    virtual HRESULT STDMETHODCALLTYPE NewItem(QELDATATYPE type, SUID suid, SUID parent, IItem** item) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateItem(IItem* item, SUID* suid) = 0;
    virtual HRESULT STDMETHODCALLTYPE UpdateItem(IItem* item) = 0;
    virtual HRESULT STDMETHODCALLTYPE DeleteItem(IItem* item) = 0;
    virtual HRESULT STDMETHODCALLTYPE ReadItem(IItem* item) = 0;
    virtual HRESULT STDMETHODCALLTYPE MoveItem(IItem* item, IItem* parent) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetItem(BSTR param, IItem* item, IItem** result) = 0;
    virtual HRESULT STDMETHODCALLTYPE Backup_Contents(INT check, ULONG contents, BSTR* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE Restore_Contents(INT check, BSTR in, BSTR* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE Backup_Finish(BSTR* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE Backup_Cancel(BSTR* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE Restore_Start(INT check, BSTR* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE Restore_Cancel(BSTR* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE Restore_Finish(BSTR* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetCancelEvent() = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDeviceFreeSize() = 0;

    // Ties the table to its owner and the agent connection and obtains the agent.
    void Initialize(DeviceDataOwner* owner, ITAMConnection* connection);
    // The owner is going away: the table lets go of it and of the agent, and every
    // operation that needs them fails cleanly from now on.
    virtual void Detach();

    ITAMAgent* Agent() const { return m_agent.Get(); }
    CColumnsKelvra* Columns() const { return m_columns.Get(); }

protected:
    CDataTableKelvraBase() = default;

    // The listing contract. Begin: nothing when a listing is open; else packet mode,
    // then gather (counts, used slots), then the listing opens.
    template <class Gather>
    HRESULT BeginListing(Gather&& gather)
    {
        if (m_listing)
            return S_OK;
        ITAMAgent* agent = RequireAgent();
        HRESULT hr = agent->SetMode(0);
        if (FAILED(hr))
            return hr;
        gather();
        m_passed = 0;
        m_listing = true;
        return S_OK;
    }
    // Hands out an item made from a record and closes the listing after the last one.
    HRESULT HandOut(CItemKelvraBase* item, IItem** result, ULONG recordCount);
    // Counts a record that could not be read as passed, so that the listing goes on
    // past it and still ends after the last record; then rethrows its failure, naming it.
    [[noreturn]] void PassOverFailedRecord(const std::wstring& record, ULONG recordCount);
    // Rethrows the failure in flight with the record it belongs to named in its text.
    [[noreturn]] static void RethrowNamingRecord(const std::wstring& record);
    // The end of the listing: it closes, and no item is handed out.
    HRESULT NoMoreItems();
    HRESULT EndListing();
    bool Listing() const { return m_listing; }
    // The records handed out or passed over since the listing began.
    ULONG Passed() const { return m_passed; }

    // The item-making contract: an item of a kind the table stores, tied to its catalogue.
    template <class Item>
    static HRESULT HandOutNewItem(CColumnsKelvra* columns, SUID suid, SUID parent, IItem** result)
    {
        if (!result)
            return E_POINTER;
        *result = nullptr;
        ComPtr<Item> item = CItemKelvraBase::MakeItem<Item>();
        item->SetColumns(columns);
        item->SetSuid(suid, parent);
        *result = item.Detach();
        return S_OK;
    }
    // A filled item made from a record's column map.
    template <class Item>
    static ComPtr<Item> ItemFromRecord(CColumnsKelvra* columns, const ColumnMap& record)
    {
        ComPtr<Item> item = CItemKelvraBase::MakeItem<Item>();
        item->SetColumns(columns);
        item->SchemaConvertMap2Item(record);
        return item;
    }

    // The writing contract: the component's own item behind the host's IItem (a foreign
    // or missing item is refused), and its columns as a column map.
    static CItemKelvraBase& OwnItem(IItem* item);
    static ColumnMap MapOfItem(CItemKelvraBase& item);

    // The owner and the agent, or a clear failure once the owner has gone.
    DeviceDataOwner& Owner() const;
    ITAMAgent* RequireAgent() const;

    DeviceDataOwner* m_owner = nullptr;  // not counted: the owner holds the table and detaches it
    ComPtr<ITAMConnection> m_connection;
    ComPtr<CColumnsKelvra> m_columns;
    ComPtr<ITAMAgent> m_agent;

private:
    bool m_listing = false;
    bool m_detached = false;
    ULONG m_passed = 0;
};

// The COM side of a concrete table: IDataTable served from the type library, error
// information for IDataTable, and the default answer for every operation.
template <class Derived>
class CDataTableKelvra : public ComObject<Derived, DispatchImpl<IDataTable>, ISupportErrorInfo>,
                         public CDataTableKelvraBase {
public:
    STDMETHODIMP ListItemsAllBegin() override { return E_NOTIMPL; }
    STDMETHODIMP ListChildItemsBegin(IItem*) override { return E_NOTIMPL; }
    STDMETHODIMP NextItem(IItem**) override { return E_NOTIMPL; }
    STDMETHODIMP ListItemsEnd() override { return E_NOTIMPL; }
    STDMETHODIMP GetItemCount(IItem*, ULONG, QELDATATYPE, ULONG*) override { return E_NOTIMPL; }
    STDMETHODIMP NewItem(QELDATATYPE, SUID, SUID, IItem**) override { return E_NOTIMPL; }
    STDMETHODIMP CreateItem(IItem*, SUID*) override { return E_NOTIMPL; }
    STDMETHODIMP UpdateItem(IItem*) override { return E_NOTIMPL; }
    STDMETHODIMP DeleteItem(IItem*) override { return E_NOTIMPL; }
    STDMETHODIMP ReadItem(IItem*) override { return E_NOTIMPL; }
    STDMETHODIMP MoveItem(IItem*, IItem*) override { return E_NOTIMPL; }
    STDMETHODIMP GetItem(BSTR, IItem*, IItem**) override { return E_NOTIMPL; }
    STDMETHODIMP PutItem(BSTR, IItem*) override { return E_NOTIMPL; }
    STDMETHODIMP Execute(BSTR, IItem*, IItem**) override { return E_NOTIMPL; }
    STDMETHODIMP GetProperty(BSTR, BSTR*) override { return E_NOTIMPL; }
    STDMETHODIMP SetSyncStatus(QELSYNCSTATUS) override { return E_NOTIMPL; }
    STDMETHODIMP ListItemsAllBegin2() override { return E_NOTIMPL; }
    STDMETHODIMP GetDeviceFreeSize() override { return E_NOTIMPL; }
    STDMETHODIMP Backup_Contents(INT, ULONG, BSTR*) override { return E_NOTIMPL; }
    STDMETHODIMP Restore_Contents(INT, BSTR, BSTR*) override { return E_NOTIMPL; }
    STDMETHODIMP Backup_Finish(BSTR*) override { return E_NOTIMPL; }
    STDMETHODIMP Backup_Cancel(BSTR*) override { return E_NOTIMPL; }
    STDMETHODIMP Restore_Cancel(BSTR*) override { return E_NOTIMPL; }
    STDMETHODIMP Restore_Finish(BSTR*) override { return E_NOTIMPL; }
    STDMETHODIMP Restore_Start(INT, BSTR*) override { return E_NOTIMPL; }
    STDMETHODIMP SetCancelEvent() override { return E_NOTIMPL; }

    STDMETHODIMP InterfaceSupportsErrorInfo(REFIID iid) override
    {
        return InlineIsEqualGUID(iid, IID_IDataTable) ? S_OK : S_FALSE;
    }
};

}  // namespace kelvra
