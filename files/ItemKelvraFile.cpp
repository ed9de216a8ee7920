#include "ItemKelvraFile.h"

#include <cwchar>

#include "AgentEventSubscription.h"
#include "DataTableKelvraFile.h"
#include "DebugLog.h"
#include "ErrorBoundary.h"

namespace kelvra {

namespace {

const ColumnDefinition kColumns[] = {
    {L"FolderID", VT_I4},        {L"Name", VT_BSTR},           {L"FileSize", VT_BSTR},
    {L"Type", VT_I4},            {L"CreateDate", VT_DATE},     {L"LastWriteDate", VT_DATE},
    {L"LastAccessDate", VT_DATE}, {L"Status", VT_I4},          {L"NotAllowedOperation", VT_I4},
    {L"PCPath", VT_BSTR},        {L"Reserved1", VT_BSTR},      {L"Reserved2", VT_BSTR},
    {L"Reserved3", VT_BSTR},
};

long FileSizeOf(const ColumnMap& record)
{
    return static_cast<long>(std::wcstoul(record.TextOr(L"FileSize", L"0").c_str(), nullptr, 10));
}

std::wstring RequirePcPath(const ColumnMap& record)
{
    std::wstring path = record.TextOr(L"PCPath", L"");
    if (path.empty())
        ThrowComError(E_INVALIDARG, L"The item names no PC file in \"PCPath\"");
    return path;
}

[[noreturn]] void ThrowCancelled(const ColumnMap& record)
{
    ThrowComError(HRESULT_FROM_WIN32(ERROR_CANCELLED),
                  L"The copy of \"" + record.TextOr(L"Name", L"") + L"\" was cancelled");
}

}  // namespace

CItemKelvraFile::CItemKelvraFile() = default;
CItemKelvraFile::~CItemKelvraFile() = default;

HRESULT CItemKelvraFile::SchemaConvertItem2Map(ColumnMap& map)
{
    return LoggedItem2Map(L"CItemKelvraFile::SchemaConvertItem2Map", map);
}

ComPtr<CColumnsKelvra> CItemKelvraFile::CreateColumns()
{
    DebugLog(L"%ls", L"CItemKelvraFile::CreateColumns");
    return MakeColumns(kColumns);
}

void CItemKelvraFile::SetTransfer(CDataTableKelvraFile* table, ITAMConnection* connection)
{
    m_table = table;
    m_connection = connection;
}

STDMETHODIMP CItemKelvraFile::QueryInterface(REFIID iid, void** result)
{
    if (result && InlineIsEqualGUID(iid, IID_ITAMAgentEvents)) {
        *result = static_cast<ITAMAgentEvents*>(this);
        AddRef();
        return S_OK;
    }
    return CItemKelvraBase::QueryInterface(iid, result);
}

STDMETHODIMP_(ULONG) CItemKelvraFile::AddRef()
{
    return CItemKelvraBase::AddRef();
}

STDMETHODIMP_(ULONG) CItemKelvraFile::Release()
{
    return CItemKelvraBase::Release();
}

STDMETHODIMP CItemKelvraFile::ReadBlobTo(ULONG, BSTR)
{
    return ComBoundary(L"CItemKelvraFile::ReadBlobTo", [&] {
        ColumnMap record;
        CItemKelvraBase::SchemaConvertItem2Map(record);
        RequirePcPath(record);
        Copy(Direction::ToPc, record);
        return S_OK;
    });
}

STDMETHODIMP CItemKelvraFile::WriteBlobFrom(ULONG, BSTR)
{
    return ComBoundary(L"CItemKelvraFile::WriteBlobFrom", [&] {
        ColumnMap record;
        CItemKelvraBase::SchemaConvertItem2Map(record);
        RequirePcPath(record);
        if (record.TextOr(L"Status", L"").empty())
            record.SetValue(L"Status", VT_I4, 0x81);
        if (record.TextOr(L"NotAllowedOperation", L"").empty())
            record.SetValue(L"NotAllowedOperation", VT_I4, 4);
        Copy(Direction::ToPhone, record);
        return SchemaConvertMap2Item(record);
    });
}

void CItemKelvraFile::Copy(Direction direction, ColumnMap& record)
{
    if (!m_table)
        ThrowComError(E_POINTER, L"The file item was not made by the file table");
    m_direction = direction;
    m_cancelled = false;
    CKelvraFile codec = m_table->MakeCodec();
    AgentEventSubscription subscription(m_connection.Get(), this);
    // The host learns that the copy starts, and may stop it before anything moves.
    if (!Progress(0, FileSizeOf(record)))
        ThrowCancelled(record);
    try {
        direction == Direction::ToPc ? codec.GetFileFromPhone(record) : codec.PutFileToPhone(record);
    } catch (...) {
        // What the agent wrote before it stopped is no copy of the handset's file; the
        // handset removes its own partial file.
        if (direction == Direction::ToPc)
            DeleteFileW(record.Text(L"PCPath").c_str());
        if (!m_cancelled)
            throw;
        ThrowCancelled(record);
    }
}

bool CItemKelvraFile::Progress(long done, long total)
{
    LONG proceed = 1;
    m_table->ReportProgress(static_cast<ULONG>(done), static_cast<ULONG>(total), &proceed);
    return proceed != 0;
}

STDMETHODIMP CItemKelvraFile::OnTransferProgress(long done, long total, long* continueFlag)
{
    return ComBoundary(L"CItemKelvraFile::OnTransferProgress", [&]() -> HRESULT {
        if (!m_table)
            return S_OK;
        LONG proceed = continueFlag ? *continueFlag : 1;
        m_table->ReportProgress(static_cast<ULONG>(done), static_cast<ULONG>(total), &proceed);
        if (continueFlag)
            *continueFlag = proceed;
        if (proceed != 0)
            return S_OK;
        m_cancelled = true;
        ITAMAgent* agent = m_table->Agent();
        RequirePointer(agent, L"The device agent");
        HRESULT hr = m_direction == Direction::ToPc ? agent->CancelGetFile() : agent->CancelPutFile();
        Check(hr, agent);
        return S_FALSE;
    });
}

STDMETHODIMP CItemKelvraFile::OnTransferComplete(long result)
{
    DebugLog(L"CItemKelvraFile::OnTransferComplete 0x%08lX", static_cast<unsigned long>(result));
    return S_OK;
}

}  // namespace kelvra
