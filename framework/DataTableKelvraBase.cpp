#include "DataTableKelvraBase.h"

#include "DebugLog.h"
#include "DeviceDataKELVRA.h"
#include "Errors.h"

namespace kelvra {

CDataTableKelvraBase::~CDataTableKelvraBase() = default;

void CDataTableKelvraBase::Initialize(CDeviceDataKELVRA* owner, ITAMConnection* connection)
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

HRESULT CDataTableKelvraBase::HandOut(CItemKelvraBase* item, IItem** result, ULONG recordCount)
{
    item->AddRef();
    *result = item;
    if (++m_handedOut >= recordCount)
        return EndListing();
    return S_OK;
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

std::wstring CDataTableKelvraBase::ProfileText(const std::wstring& key) const
{
    return m_owner->Model().Text(key);
}

LONG CDataTableKelvraBase::ProfileNumber(const std::wstring& key) const
{
    return m_owner->Model().Number(key);
}

}  // namespace kelvra
