#include "DeviceDataKELVRA.h"

#include "AgentService.h"
#include "DataTableKelvraCard.h"
#include "DataTableKelvraFile.h"
#include "DataTableKelvraMMS.h"
#include "DataTableKelvraMemo.h"
#include "DataTableKelvraMetadata.h"
#include "DataTableKelvraPB.h"
#include "DataTableKelvraSMS.h"
#include "DataTableKelvraSchedule.h"
#include "DataTableKelvraTask.h"
#include "DebugLog.h"
#include "ErrorBoundary.h"
#include "Errors.h"
#include "Platform.h"
#include "ProfileLoader.h"

namespace kelvra {

namespace {

constexpr DISPID kProgressDispid = 17;

}  // namespace

CDeviceDataKELVRA::CDeviceDataKELVRA()
    : m_dispatchEvents(this, DIID__IDeviceDataEvents, true), m_interfaceEvents(this, IID_IDeviceDataEvents, false)
{
}

CDeviceDataKELVRA::~CDeviceDataKELVRA()
{
    // A host may keep a table longer than this object: the table must not reach back.
    for (HeldTable& held : m_tables) {
        if (held.base)
            held.base->Detach();
    }
}

STDMETHODIMP CDeviceDataKELVRA::SetConneciton(IUnknown* connection, IUnknown* modelDatabase)
{
    return ComBoundary(L"CDeviceDataKELVRA::SetConneciton", [&] {
        DebugLog(L"%ls", L"CDeviceDataKELVRA::SetConneciton");
        m_spConnection = QueryOrEmpty<ITAMConnection>(connection);
        m_spModelDB = QueryOrEmpty<IModelDatabase>(modelDatabase);
        if (!m_spConnection)
            ThrowComError(E_POINTER, L"The connection is not a device agent connection");
        m_spAgent = GetAgentService(m_spConnection.Get());
        if (!m_spAgent)
            ThrowComError(E_POINTER, L"The device agent connection gives no agent");
        Check(m_spAgent->SetCodePage(0), m_spAgent.Get());
        return S_OK;
    });
}

STDMETHODIMP CDeviceDataKELVRA::ListDataTable()
{
    return ComBoundary(L"CDeviceDataKELVRA::ListDataTable", [&] {
        static constexpr Slot kCreationOrder[] = {Slot::Phonebook, Slot::Card1, Slot::Card2, Slot::Schedule,
                                                  Slot::Memo,      Slot::Task,  Slot::File,  Slot::Sms,
                                                  Slot::Mms,       Slot::Metadata};
        HRESULT status = S_OK;
        try {
            ProfileLoader(m_model, m_spModelDB.Get(), m_spAgent.Get()).Load();
            for (Slot slot : kCreationOrder) {
                HeldTable& held = m_tables[static_cast<size_t>(slot)];
                if (held.table)
                    continue;
                status = S_OK;
                held = CreateTable(slot);
                if (held.table)
                    AfterTableCreated(slot);
            }
        } catch (const CAtlException& e) {
            return e.Result();
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        } catch (...) {
            // A missing model database or agent ends the listing with the tables made so far.
            return status;
        }
        return S_OK;
    });
}

CDeviceDataKELVRA::HeldTable CDeviceDataKELVRA::CreateTable(Slot slot)
{
    ITAMConnection* connection = m_spConnection.Get();
    switch (slot) {
    case Slot::Phonebook: {
        auto table = CDataTableKelvraPB::Make();
        table->Initialize(this, connection);
        return Held(table);
    }
    case Slot::Card1:
    case Slot::Card2: {
        auto table = CDataTableKelvraCard::Make();
        table->Initialize(this, connection, slot == Slot::Card1 ? 13 : 14);
        return Held(table);
    }
    case Slot::Schedule: {
        auto table = CDataTableKelvraSchedule::Make();
        table->Initialize(this, connection);
        return Held(table);
    }
    case Slot::Task: {
        auto table = CDataTableKelvraTask::Make();
        table->Initialize(this, connection);
        return Held(table);
    }
    case Slot::Memo: {
        auto table = CDataTableKelvraMemo::Make();
        table->Initialize(this, connection);
        return Held(table);
    }
    case Slot::File: {
        auto table = CDataTableKelvraFile::Make();
        table->Initialize(this, connection);
        return Held(table);
    }
    case Slot::Sms: {
        auto table = CDataTableKelvraSMS::Make();
        table->Initialize(this, connection);
        return Held(table);
    }
    case Slot::Mms: {
        auto table = CDataTableKelvraMMS::Make();
        table->Initialize(this, connection);
        return Held(table);
    }
    case Slot::Metadata: {
        auto table = CDataTableKelvraMetadata::Make();
        table->Initialize(this, connection);
        return Held(table);
    }
    default:
        // The domains whose tables the component does not have yet.
        return {};
    }
}

template <class Table>
Table* CDeviceDataKELVRA::TableAt(Slot slot) const
{
    return static_cast<Table*>(m_tables[static_cast<size_t>(slot)].base);
}

void CDeviceDataKELVRA::AfterTableCreated(Slot slot)
{
    switch (slot) {
    case Slot::Phonebook:
        TableAt<CDataTableKelvraPB>(slot)->SetModelDatabase(m_spModelDB.Get());
        break;
    case Slot::File:
        AskModelDatabase(m_spModelDB.Get(), L"File.SupportExternalMemory");
        break;
    case Slot::Sms:
        TableAt<CDataTableKelvraSMS>(slot)->AskDualCard(m_spModelDB.Get());
        break;
    case Slot::Metadata: {
        ComPtr<CDataTableKelvraMetadata> metadata = TableAt<CDataTableKelvraMetadata>(slot);
        metadata->SetModelDatabase(m_spModelDB.Get());
        if (auto* phonebook = TableAt<CDataTableKelvraPB>(Slot::Phonebook))
            phonebook->SetSpeedDialReceiver(
                [metadata](const std::vector<uint16_t>& speedDials) { metadata->SetSpeedDials(speedDials); });
        break;
    }
    default:
        break;
    }
}

bool CDeviceDataKELVRA::SlotOfTable(DATATABLE_SUID suid, Slot& slot)
{
    switch (suid) {
    case DTID_PHONEBOOK: slot = Slot::Phonebook; return true;
    case DTID_CALENDAR: slot = Slot::Schedule; return true;
    case DTID_MESSAGE: slot = Slot::Sms; return true;
    case DTID_FILE: slot = Slot::File; return true;
    case DTID_TASK: slot = Slot::Task; return true;
    case DTID_MEMO: slot = Slot::Memo; return true;
    case DTID_METADATA: slot = Slot::Metadata; return true;
    case DTID_SIM: slot = Slot::Card1; return true;
    case DTID_DDAY: slot = Slot::DDay; return true;
    case DTID_MMS: slot = Slot::Mms; return true;
    case DTID_SIM2: slot = Slot::Card2; return true;
    default: return false;
    }
}

STDMETHODIMP CDeviceDataKELVRA::GetDataTable(DATATABLE_SUID suid, IDataTable** table)
{
    return ComBoundary(L"CDeviceDataKELVRA::GetDataTable", [&] {
        DebugLog(L"%ls", L"CDeviceDataKELVRA::GetDataTable");
        if (!table)
            return E_POINTER;
        *table = nullptr;
        if (!m_tables[static_cast<size_t>(Slot::Metadata)].table)
            return S_OK;
        Slot slot;
        if (SlotOfTable(suid, slot) && m_tables[static_cast<size_t>(slot)].table)
            m_tables[static_cast<size_t>(slot)].table.CopyTo(table);
        return S_OK;
    });
}

STDMETHODIMP CDeviceDataKELVRA::SetProperty(BSTR, BSTR)
{
    return E_NOTIMPL;
}

STDMETHODIMP_(long) CDeviceDataKELVRA::LoadProfile(LPWSTR, LPWSTR)
{
    Platform::Current().ShowMessageBox(L"long __stdcall CDeviceDataKELVRA::LoadProfile(wchar_t *,wchar_t *)",
                                       L"QEL KELVRA Get Device Profile", MB_OK);
    return 0;
}

STDMETHODIMP CDeviceDataKELVRA::EnumConnectionPoints(IEnumConnectionPoints** points)
{
    ConnectionPoint* all[] = {&m_dispatchEvents, &m_interfaceEvents};
    return kelvra::EnumConnectionPoints(all, 2, points);
}

STDMETHODIMP CDeviceDataKELVRA::FindConnectionPoint(REFIID iid, IConnectionPoint** point)
{
    ConnectionPoint* all[] = {&m_dispatchEvents, &m_interfaceEvents};
    return kelvra::FindConnectionPoint(all, 2, iid, point);
}

STDMETHODIMP CDeviceDataKELVRA::InterfaceSupportsErrorInfo(REFIID iid)
{
    return InlineIsEqualGUID(iid, IID_IDeviceData) ? S_OK : S_FALSE;
}

HRESULT CDeviceDataKELVRA::FireProgress(ULONGLONG done, ULONGLONG total, LONG* continueFlag)
{
    // A sink may release the host's last reference to this object: it lives until every
    // sink has been told, and goes when this reference does.
    ComPtr<IDeviceData> self(this);
    LONG localFlag = 1;
    LONG* flag = continueFlag ? continueFlag : &localFlag;
    auto notify = [&](const ConnectionPoint& point) {
        HRESULT last = S_OK;
        // A copy, so that a sink that unadvises during its call cannot disturb the walk.
        auto sinks = point.Sinks();
        for (const auto& sink : sinks) {
            if (!sink)
                continue;
            ComPtr<IDispatch> dispatch;
            if (FAILED(sink.As(&dispatch)))
                continue;
            VARIANTARG arguments[3];
            arguments[2].vt = VT_I4;
            arguments[2].lVal = static_cast<LONG>(done);
            arguments[1].vt = VT_I4;
            arguments[1].lVal = static_cast<LONG>(total);
            arguments[0].vt = VT_I4 | VT_BYREF;
            arguments[0].plVal = flag;
            DISPPARAMS parameters = {arguments, nullptr, 3, 0};
            last = dispatch->Invoke(kProgressDispid, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &parameters,
                                    nullptr, nullptr, nullptr);
        }
        return last;
    };
    notify(m_interfaceEvents);
    return notify(m_dispatchEvents);
}

}  // namespace kelvra
