#include "DataTableKelvraFile.h"

#include "DebugLog.h"
#include "ErrorBoundary.h"
#include "ItemKelvraFile.h"
#include "ItemKelvraFileInfo.h"
#include "ItemKelvraFolder.h"
#include "Platform.h"

namespace kelvra {

namespace {

constexpr long kUtf8CodePage = 65001;

// A profile text that names nothing reads as empty.
std::wstring ProfilePath(const ModelProfile& profile, const wchar_t* key)
{
    std::wstring path = profile.Text(key);
    return path == L"-1" ? std::wstring() : path;
}

void SetMode(ITAMAgent* agent, long mode)
{
    Check(agent->SetMode(mode), agent);
}

}  // namespace

CDataTableKelvraFile::CDataTableKelvraFile()
    : m_infoColumns(CItemKelvraFileInfo::CreateColumns()),
      m_folderColumns(CItemKelvraFolder::CreateColumns()),
      m_fileColumns(CItemKelvraFile::CreateColumns())
{
    m_columns = m_fileColumns;
}

FileSystemSettings CDataTableKelvraFile::Settings() const
{
    const ModelProfile& profile = Owner().Model();
    FileSystemSettings settings;
    settings.model = ModelName(profile.Text(L"PhoneBaseInfo_PhoneModel"));
    settings.phoneRoot = ProfilePath(profile, L"PhoneRootPath_Path");
    settings.externalRoot = ProfilePath(profile, L"ExternalRootPath_Path");
    settings.fileNameLength = profile.Number(L"File_FileNameLen");
    settings.folderNameLength = profile.Number(L"File_FolderNameLen");
    settings.maxFolderDepth = profile.Number(L"File_MaxFolderDepth");
    return settings;
}

bool CDataTableKelvraFile::HasFixedPhoneTotal() const
{
    return ModelName(Owner().Model().Text(L"PhoneBaseInfo_PhoneModel")).IsOneOf({L"KTM-A280", L"KTM-A150"});
}

CKelvraFile CDataTableKelvraFile::MakeCodec() const
{
    return CKelvraFile(RequireAgent(), Settings());
}

void CDataTableKelvraFile::ReportProgress(ULONG done, ULONG total, LONG* continueFlag) const
{
    Owner().FireProgress(done, total, continueFlag);
}

ComPtr<IUnknown> CDataTableKelvraFile::HoldOwner() const
{
    return Owner().Hold();
}

void CDataTableKelvraFile::Open(CKelvraFile::Listing listing, ColumnMap info)
{
    m_listing = std::move(listing);
    m_info = std::move(info);
    m_nextFolder = 0;
    m_nextFile = 0;
    m_infoHandedOut = false;
    m_open = true;
}

uint64_t CDataTableKelvraFile::StatedPhoneTotal() const
{
    long long stated = std::wcstoll(Owner().Model().Text(L"File_TotalMemSize").c_str(), nullptr, 10);
    return stated > 0 ? static_cast<uint64_t>(stated) : 0;
}

STDMETHODIMP CDataTableKelvraFile::ListItemsAllBegin()
{
    return ComBoundary(L"CDataTableKelvraFile::ListItemsAllBegin", [&] {
        ScopedTrace trace(L"CDataTableKelvraFile::ListItemsAllBegin");
        // A listing that fails leaves none open, not the last one's remains.
        ListItemsEnd();
        ITAMAgent* agent = RequireAgent();
        Check(agent->SetCodePage(kUtf8CodePage), agent);
        CKelvraFile codec = MakeCodec();
        SetMode(agent, 0);
        Platform::Current().Sleep(kListingPause);
        CKelvraFile::RefreshTotals(codec, HasFixedPhoneTotal(), StatedPhoneTotal());
        HRESULT hr = agent->SetMode(2);
        Check(hr, agent);
        Platform::Current().Sleep(kListingPause);
        CKelvraFile::Listing listing = codec.ListFolderTree();
        Open(std::move(listing), codec.GetMemoryInfo());
        return hr;
    });
}

// The caller keeps its reference to the folder item.
STDMETHODIMP CDataTableKelvraFile::ListChildItemsBegin(IItem* item)
{
    return ComBoundary(L"CDataTableKelvraFile::ListChildItemsBegin", [&] {
        ListItemsEnd();
        ColumnMap folder = MapOfItem(OwnItem(item));
        ULONG id = folder.TextOr(L"FolderID", L"").empty() ? 0 : folder.Number(L"FolderID");
        CKelvraFile codec = MakeCodec();
        SetMode(RequireAgent(), 2);
        CKelvraFile::Listing listing;
        codec.ListFolder(codec.FolderPath(folder.TextOr(L"Reserved1", L"/")), id, listing);
        Open(std::move(listing), codec.GetMemoryInfo());
        return S_OK;
    });
}

ComPtr<IItem> CDataTableKelvraFile::NextListedItem()
{
    if (!m_infoHandedOut) {
        m_infoHandedOut = true;
        return ItemFromRecord<CItemKelvraFileInfo>(m_infoColumns.Get(), m_info);
    }
    if (m_nextFolder < m_listing.folders.size())
        return ItemFromRecord<CItemKelvraFolder>(m_folderColumns.Get(), m_listing.folders[m_nextFolder++]);
    if (m_nextFile < m_listing.files.size()) {
        auto file = ItemFromRecord<CItemKelvraFile>(m_fileColumns.Get(), m_listing.files[m_nextFile++]);
        file->SetTransfer(this, m_connection.Get());
        return file;
    }
    return nullptr;
}

STDMETHODIMP CDataTableKelvraFile::NextItem(IItem** item)
{
    return ComBoundary(L"CDataTableKelvraFile::NextItem", [&] {
        if (!item)
            return E_POINTER;
        *item = nullptr;
        if (!m_open)
            return S_OK;
        ComPtr<IItem> next = NextListedItem();
        if (!next)
            return ListItemsEnd();
        *item = next.Detach();
        return S_OK;
    });
}

STDMETHODIMP CDataTableKelvraFile::ListItemsEnd()
{
    m_listing = {};
    m_open = false;
    return S_OK;
}

STDMETHODIMP CDataTableKelvraFile::NewItem(QELDATATYPE type, SUID suid, SUID parent, IItem** item)
{
    return ComBoundary(L"CDataTableKelvraFile::NewItem", [&] {
        switch (type) {
        case QELDT_FILE_INFO:
            return HandOutNewItem<CItemKelvraFileInfo>(m_infoColumns.Get(), suid, parent, item);
        case QELDT_FOLDER:
            return HandOutNewItem<CItemKelvraFolder>(m_folderColumns.Get(), suid, parent, item);
        case QELDT_FILE: {
            HRESULT hr = HandOutNewItem<CItemKelvraFile>(m_fileColumns.Get(), suid, parent, item);
            if (FAILED(hr))
                return hr;
            static_cast<CItemKelvraFile*>(&OwnItem(*item))->SetTransfer(this, m_connection.Get());
            return hr;
        }
        default:
            if (item)
                *item = nullptr;
            return S_OK;
        }
    });
}

STDMETHODIMP CDataTableKelvraFile::CreateItem(IItem* item, SUID* suid)
{
    return ComBoundary(L"CDataTableKelvraFile::CreateItem", [&] {
        CItemKelvraBase& own = OwnItem(item);
        if (own.Type() != QELDT_FOLDER)
            return S_OK;
        ColumnMap record = MapOfItem(own);
        CKelvraFile codec = MakeCodec();
        SetMode(RequireAgent(), 2);
        codec.MakeFolder(record);
        own.SchemaConvertMap2Item(record);
        if (suid)
            *suid = record.Number(L"FolderID");
        return S_OK;
    });
}

void CDataTableKelvraFile::RenameByCreateAndDelete(CKelvraFile& codec, ColumnMap& record)
{
    std::wstring oldName = record.TextOr(L"Name", L"");
    std::wstring path = codec.EntryPath(record.TextOr(L"Reserved1", L"/"), oldName);
    // This handset renames by making a new folder and deleting the old one: a folder
    // that holds anything would lose it, so only an empty one is renamed.
    if (codec.CountEntries(path) > 0)
        ThrowComError(HRESULT_FROM_WIN32(ERROR_DIR_NOT_EMPTY),
                      L"The folder " + path + L" is not empty; this handset can rename only an empty folder");
    ColumnMap renamed = record;
    renamed.SetText(L"Name", record.TextOr(L"Reserved2", L""));
    codec.MakeFolder(renamed);
    try {
        codec.RemoveFolder(record);
    } catch (...) {
        // Neither both folders nor a half-done rename is left behind.
        try {
            codec.RemoveFolder(renamed);
        } catch (...) {
        }
        throw;
    }
    record = std::move(renamed);
}

void CDataTableKelvraFile::RenameFolder(CKelvraFile& codec, CItemKelvraBase& item, ColumnMap& record)
{
    ModelName model(Owner().Model().Text(L"PhoneBaseInfo_PhoneModel"));
    if (!model.OccursInList(kCreateAndDeleteRenameModels)) {
        codec.RenamePhoneFolder(record);
        return;
    }
    RenameByCreateAndDelete(codec, record);
    item.SchemaConvertMap2Item(record);
}

STDMETHODIMP CDataTableKelvraFile::UpdateItem(IItem* item)
{
    return ComBoundary(L"CDataTableKelvraFile::UpdateItem", [&] {
        CItemKelvraBase& own = OwnItem(item);
        ColumnMap record = MapOfItem(own);
        CKelvraFile codec = MakeCodec();
        codec.SetMode(2);
        Platform::Current().Sleep(kUpdatePause);
        if (own.Type() == QELDT_FOLDER)
            RenameFolder(codec, own, record);
        else if (own.Type() == QELDT_FILE && record.TextOr(L"Reserved3", L"") == L"RENAME")
            codec.RenamePhoneFile(record);
        // "SET_WALLPAPER" has no request of its own; other commands change nothing.
        return S_OK;
    });
}

STDMETHODIMP CDataTableKelvraFile::DeleteItem(IItem* item)
{
    return ComBoundary(L"CDataTableKelvraFile::DeleteItem", [&] {
        CItemKelvraBase& own = OwnItem(item);
        ColumnMap record = MapOfItem(own);
        CKelvraFile codec = MakeCodec();
        SetMode(RequireAgent(), 2);
        own.Type() == QELDT_FOLDER ? codec.RemoveFolder(record) : codec.RemoveFile(record);
        return S_OK;
    });
}

STDMETHODIMP CDataTableKelvraFile::ReadItem(IItem* item)
{
    return ComBoundary(L"CDataTableKelvraFile::ReadItem", [&] {
        CItemKelvraBase& own = OwnItem(item);
        if (own.Type() == QELDT_FILE_INFO)
            own.SchemaConvertMap2Item(MakeCodec().GetMemoryInfo());
        return S_OK;
    });
}

}  // namespace kelvra
