#include "DataTableKelvraBase.h"

#include "AgentService.h"
#include "DebugLog.h"
#include "Errors.h"

namespace kelvra {

CDataTableKelvraBase::~CDataTableKelvraBase() = default;

void CDataTableKelvraBase::Initialize(DeviceDataOwner* owner, ITAMConnection* connection)
{
    DebugLog(L"%ls", L"CDataTableKelvraBase::Initialize");
    m_owner = owner;
    if (m_connection.Get() != connection)
        m_connection = connection;
    if (!m_connection)
        ThrowComError(E_POINTER, L"The table has no device agent connection");
    m_agent = GetAgentService(m_connection.Get());
    Bstr text;
    Check(m_connection->GetConnectionText(text.Out()), m_connection.Get());
}

void CDataTableKelvraBase::Detach()
{
    m_detached = true;
    m_owner = nullptr;
    m_agent.Reset();
    m_connection.Reset();
    m_listing = false;
}

DeviceDataOwner& CDataTableKelvraBase::Owner() const
{
    if (m_detached || !m_owner)
        ThrowComError(E_UNEXPECTED, L"The device data object this table belongs to has been released");
    return *m_owner;
}

ITAMAgent* CDataTableKelvraBase::RequireAgent() const
{
    if (m_detached)
        ThrowComError(E_UNEXPECTED, L"The device data object this table belongs to has been released");
    RequirePointer(m_agent, L"The device agent");
    return m_agent.Get();
}

HRESULT CDataTableKelvraBase::HandOut(CItemKelvraBase* item, IItem** result, ULONG recordCount)
{
    item->AddRef();
    *result = item;
    if (++m_passed >= recordCount)
        return EndListing();
    return S_OK;
}

void CDataTableKelvraBase::PassOverFailedRecord(const std::wstring& record, ULONG recordCount)
{
    if (++m_passed >= recordCount)
        EndListing();
    RethrowNamingRecord(record);
}

void CDataTableKelvraBase::RethrowNamingRecord(const std::wstring& record)
{
    HRESULT hr = E_FAIL;
    std::wstring description = CurrentExceptionText(&hr);
    std::wstring text = record + L" could not be read; the listing goes on with the next one";
    if (!description.empty())
        text += L": " + description;
    throw _com_error(hr, MakeErrorInfo(text).Detach(), false);
}

HRESULT CDataTableKelvraBase::NoMoreItems()
{
    return EndListing();
}

HRESULT CDataTableKelvraBase::EndListing()
{
    m_listing = false;
    return S_OK;
}

CItemKelvraBase& CDataTableKelvraBase::OwnItem(IItem* item)
{
    if (!item)
        ThrowComError(E_POINTER, L"No item was given");
    ComPtr<IKelvraItem> own;
    if (FAILED(item->QueryInterface(__uuidof(IKelvraItem), reinterpret_cast<void**>(own.GetAddressOf()))) || !own)
        ThrowComError(E_INVALIDARG, L"The item was not made by this component; make items with NewItem");
    return *own->Self();
}

ColumnMap CDataTableKelvraBase::MapOfItem(CItemKelvraBase& item)
{
    ColumnMap map;
    item.SchemaConvertItem2Map(map);
    return map;
}

}  // namespace kelvra
