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

// A new empty file in the folder of the PC file, for a copy to land in before it replaces it.
std::wstring PartialFileBeside(const std::wstring& pcPath)
{
    wchar_t full[MAX_PATH];
    wchar_t* name = nullptr;
    DWORD length = GetFullPathNameW(pcPath.c_str(), MAX_PATH, full, &name);
    if (!length || length >= MAX_PATH || !name)
        ThrowComError(E_INVALIDARG, L"\"PCPath\" names no PC file: " + pcPath);
    std::wstring folder(full, name);
    wchar_t partial[MAX_PATH];
    if (!GetTempFileNameW(folder.c_str(), L"kvf", 0, partial))
        ThrowComError(HRESULT_FROM_WIN32(GetLastError()), L"No file can be written in " + folder);
    return partial;
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
    // Held first, so that it goes last, after the codec and the subscription.
    ComPtr<IUnknown> owner = m_table->HoldOwner();
    m_direction = direction;
    m_cancelled = false;
    m_completion = S_OK;
    CKelvraFile codec = m_table->MakeCodec();
    AgentEventSubscription subscription(m_connection.Get(), this);
    // The host learns that the copy starts, and may stop it before anything moves.
    if (!Progress(0, FileSizeOf(record)))
        ThrowCancelled(record);
    if (direction == Direction::ToPhone) {
        try {
            codec.PutFileToPhone(record);
        } catch (...) {
            if (!m_cancelled)
                throw;  // the handset removes its own partial file
        }
        EnsureCompleted(record);
        return;
    }
    // The agent writes beside the PC file, which is replaced only by a whole copy: a copy
    // that stops keeps whatever file was there before.
    const std::wstring target = record.Text(L"PCPath");
    const std::wstring partial = PartialFileBeside(target);
    ColumnMap toPartial = record;
    toPartial.SetText(L"PCPath", partial);
    try {
        codec.GetFileFromPhone(toPartial);
        EnsureCompleted(record);
    } catch (...) {
        DeleteFileW(partial.c_str());
        if (!m_cancelled)
            throw;
        ThrowCancelled(record);
    }
    if (!MoveFileExW(partial.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        HRESULT hr = HRESULT_FROM_WIN32(GetLastError());
        DeleteFileW(partial.c_str());
        ThrowComError(hr, L"The copy could not be saved as " + target);
    }
}

// An agent may answer a copy it was told to stop, or that its completion event reports
// as failed, as if it had succeeded; neither is a whole copy.
void CItemKelvraFile::EnsureCompleted(const ColumnMap& record) const
{
    if (m_cancelled)
        ThrowCancelled(record);
    if (FAILED(m_completion))
        ThrowComError(m_completion, L"The device agent reported the copy of \"" + record.TextOr(L"Name", L"") +
                                        L"\" as failed");
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
    m_completion = result;
    return S_OK;
}

}  // namespace kelvra
