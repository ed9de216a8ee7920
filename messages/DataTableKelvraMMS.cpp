#include "DataTableKelvraMMS.h"

#include <numeric>

#include "DebugLog.h"
#include "ErrorBoundary.h"
#include "ItemKelvraMMS.h"
#include "MmsFiles.h"
#include "Platform.h"

namespace kelvra {

namespace {

// A message id as the handset numbers it; anything else names no message.
uint32_t MessageIdOf(const ColumnMap& map)
{
    std::wstring text = map.TextOr(L"MESSAGE_ID", L"");
    bool digits = !text.empty() && text.size() <= 10 &&
                  text.find_first_not_of(L"0123456789") == std::wstring::npos;
    unsigned long long id = digits ? std::stoull(text) : ~0ull;
    if (id > 0xFFFFFFFFull)
        ThrowComError(E_INVALIDARG, L"\"" + text + L"\" is no message id of the handset");
    return static_cast<uint32_t>(id);
}

uint32_t FolderCodeOf(const ColumnMap& map)
{
    std::wstring name = map.TextOr(L"FOLDER", L"");
    uint32_t code = CKelvraMms::FolderCode(name);
    if (!code)
        ThrowComError(E_INVALIDARG, L"\"" + name + L"\" is no MMS folder of the handset");
    return code;
}

}  // namespace

CDataTableKelvraMMS::CDataTableKelvraMMS()
{
    m_columns = CItemKelvraMMS::CreateColumns();
}

CKelvraMms CDataTableKelvraMMS::MakeCodec() const
{
    ITAMAgent* agent = RequireAgent();
    return CKelvraMms(agent, ModelName(Owner().Model().Text(L"PhoneBaseInfo_PhoneModel")));
}

HRESULT CDataTableKelvraMMS::EnterPacketMode() const
{
    return RequireAgent()->SetMode(0);
}

STDMETHODIMP CDataTableKelvraMMS::ListItemsAllBegin()
{
    return ComBoundary(L"CDataTableKelvraMMS::ListItemsAllBegin", [&] {
        ScopedTrace trace(L"CDataTableKelvraMMS::ListItemsAllBegin");
        HRESULT hr = EnterPacketMode();
        if (FAILED(hr))
            return hr;
        Platform::Current().Sleep(kSettlePause);
        m_folderCounts.fill(0);
        m_headers.clear();
        m_position = 0;
        ListAllFolders();
        return S_OK;
    });
}

void CDataTableKelvraMMS::ListAllFolders()
{
    // Held only once every folder is listed: a failed listing leaves none half-made.
    std::array<uint32_t, 4> counts{};
    std::vector<ColumnMap> headers;
    {
        CKelvraMms codec = MakeCodec();
        CKelvraMms::Access access(codec);
        for (uint32_t folder : CKelvraMms::kFolderCodes)
            counts[folder - 1] = codec.ListMmsFolder(folder, headers);
    }
    m_folderCounts = counts;
    m_headers = std::move(headers);
}

STDMETHODIMP CDataTableKelvraMMS::NextItem(IItem** item)
{
    return ComBoundary(L"CDataTableKelvraMMS::NextItem", [&] {
        if (!item)
            return E_POINTER;
        *item = nullptr;
        if (m_position >= m_headers.size())
            return S_OK;
        auto entry = ItemFromRecord<CItemKelvraMMS>(m_columns.Get(), m_headers[m_position++]);
        *item = entry.Detach();
        return S_OK;
    });
}

STDMETHODIMP CDataTableKelvraMMS::ListItemsEnd()
{
    m_position = 0;
    return S_OK;
}

STDMETHODIMP CDataTableKelvraMMS::GetItemCount(IItem*, ULONG, QELDATATYPE, ULONG* count)
{
    if (!count)
        return E_POINTER;
    *count = std::accumulate(m_folderCounts.begin(), m_folderCounts.end(), 0u);
    return S_OK;
}

STDMETHODIMP CDataTableKelvraMMS::NewItem(QELDATATYPE, SUID suid, SUID parent, IItem** item)
{
    return ComBoundary(L"CDataTableKelvraMMS::NewItem", [&] {
        return HandOutNewItem<CItemKelvraMMS>(m_columns.Get(), suid, parent, item);
    });
}

// Messages are neither created nor deleted on the handset through this table.
STDMETHODIMP CDataTableKelvraMMS::CreateItem(IItem*, SUID*)
{
    return S_OK;
}

STDMETHODIMP CDataTableKelvraMMS::DeleteItem(IItem*)
{
    return S_OK;
}

ColumnMap* CDataTableKelvraMMS::FindHeader(SUID suid)
{
    for (ColumnMap& header : m_headers) {
        if (header.Number(L"SUID") == suid)
            return &header;
    }
    return nullptr;
}

STDMETHODIMP CDataTableKelvraMMS::UpdateItem(IItem* item)
{
    return ComBoundary(L"CDataTableKelvraMMS::UpdateItem", [&] {
        CItemKelvraBase& own = OwnItem(item);
        ColumnMap columns = MapOfItem(own);
        SUID suid = columns.TextOr(L"SUID", L"").empty() ? own.Suid() : columns.Number(L"SUID");
        ColumnMap* held = FindHeader(suid);
        if (!held)
            ThrowComError(E_INVALIDARG, L"No message of the last listing has the SUID " + std::to_wstring(suid));
        // Only the columns the item sets change: an item made afresh for this SUID that
        // sets one flag keeps the rest of the listed header.
        for (auto& [name, value] : columns) {
            if (value.Type() != VT_EMPTY)
                (*held)[name] = std::move(value);
        }
        held->SetValue(L"SUID", VT_INT, suid);
        return S_OK;
    });
}

STDMETHODIMP CDataTableKelvraMMS::ReadItem(IItem* item)
{
    return ComBoundary(L"CDataTableKelvraMMS::ReadItem", [&] {
        CItemKelvraBase& own = OwnItem(item);
        ColumnMap columns = MapOfItem(own);
        uint32_t messageId = MessageIdOf(columns);
        uint32_t folder = FolderCodeOf(columns);
        HRESULT hr = EnterPacketMode();
        if (FAILED(hr))
            return hr;
        std::string content;
        {
            CKelvraMms codec = MakeCodec();
            CKelvraMms::Access access(codec);
            Platform::Current().Sleep(kSettlePause);
            content = codec.FetchContent(messageId, folder);
        }
        Platform::Current().Sleep(kSettlePause);
        ULONG ordinal = 0;
        m_columns->Find(L"ATTACHMENT_FILE_PATH", ordinal);
        return own.SetValue(ordinal, Variant::FromText(SaveMmsFile(content)).Get());
    });
}

STDMETHODIMP CDataTableKelvraMMS::Execute(BSTR, IItem* item, IItem** result)
{
    return ComBoundary(L"CDataTableKelvraMMS::Execute", [&] {
        if (result)
            *result = nullptr;
        CItemKelvraBase& own = OwnItem(item);
        // The file is checked whole before anything goes to the handset.
        std::string content =
            LoadMmsFile(MapOfItem(own).TextOr(L"ATTACHMENT_FILE_PATH", L""), CKelvraMms::kLargestSend);
        HRESULT hr = EnterPacketMode();
        if (FAILED(hr))
            return hr;
        CKelvraMms codec = MakeCodec();
        CKelvraMms::Access access(codec);
        codec.SendMms(content);
        return S_OK;
    });
}

}  // namespace kelvra
