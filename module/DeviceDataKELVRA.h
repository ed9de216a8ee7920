// The component's one creatable class: it holds the links to the device agent and the
// model database, loads the model's profile and hands out one data table per domain.
#pragma once

#include <windows.h>
#include <ocidl.h>

#include <array>
#include <string>

#include "ComObject.h"
#include "ComTypes.h"
#include "ConnectionPoint.h"
#include "DeviceDataOwner.h"
#include "DeviceDataProfile.h"
#include "ModelDatabase.h"
#include "ModelProfile.h"
#include "QELKELVRA.h"
#include "TAMAgent.h"

namespace kelvra {

class CDataTableKelvraBase;

class CDeviceDataKELVRA
    : public ComObject<CDeviceDataKELVRA, DispatchImpl<IDeviceData>, IDeviceDataProfile, IConnectionPointContainer,
                       ISupportErrorInfo>,
      public DeviceDataOwner {
public:
    static constexpr bool kAggregatable = true;

    // The table slots, in the order the object keeps them.
    enum class Slot { Phonebook, Card1, Card2, Schedule, DDay, Memo, File, Sms, Mms, Metadata, Task, Count };

    CDeviceDataKELVRA();
    ~CDeviceDataKELVRA() override;

    // IDeviceData
    STDMETHODIMP ListDataTable() override;
    STDMETHODIMP GetDataTable(DATATABLE_SUID suid, IDataTable** table) override;
    STDMETHODIMP SetConneciton(IUnknown* connection, IUnknown* modelDatabase) override;
    STDMETHODIMP SetProperty(BSTR name, BSTR value) override;

    // IDeviceDataProfile
    STDMETHODIMP_(long) LoadProfile(LPWSTR modelName, LPWSTR profilePath) override;

    // IConnectionPointContainer
    STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints** points) override;
    STDMETHODIMP FindConnectionPoint(REFIID iid, IConnectionPoint** point) override;

    // ISupportErrorInfo
    STDMETHODIMP InterfaceSupportsErrorInfo(REFIID iid) override;

    // Tells every connected sink how far a file copy has come; a sink clears the
    // continue flag to ask for the copy to be cancelled.
    HRESULT FireProgress(ULONGLONG done, ULONGLONG total, LONG* continueFlag) override;

    // What the tables and codecs read through their back pointer.
    ModelProfile& Model() override { return m_model; }
    ComPtr<IUnknown> Hold() override { return ComPtr<IUnknown>(static_cast<IDeviceData*>(this)); }
    ITAMAgent* Agent() const { return m_spAgent.Get(); }
    IModelDatabase* ModelDatabase() const override { return m_spModelDB.Get(); }

private:
    // A table as the host sees it, and as this object detaches it when it goes away.
    struct HeldTable {
        ComPtr<IDataTable> table;
        CDataTableKelvraBase* base = nullptr;
    };

    // Creates and initialises the table of a slot; empty while the component has no
    // table of that kind.
    HeldTable CreateTable(Slot slot);
    template <class Table>
    static HeldTable Held(const ComPtr<Table>& table) { return {table, table.Get()}; }
    // What follows a table's creation: the model database and its questions.
    void AfterTableCreated(Slot slot);
    // The table of a slot as the class this object made it with.
    template <class Table>
    Table* TableAt(Slot slot) const;
    static bool SlotOfTable(DATATABLE_SUID suid, Slot& slot);

    std::array<HeldTable, static_cast<size_t>(Slot::Count)> m_tables;
    ComPtr<ITAMConnection> m_spConnection;
    ComPtr<ITAMAgent> m_spAgent;
    ComPtr<IModelDatabase> m_spModelDB;
    ModelProfile m_model;  // the profile store, field length store and presence flags

    ConnectionPoint m_dispatchEvents;
    ConnectionPoint m_interfaceEvents;
};

}  // namespace kelvra
