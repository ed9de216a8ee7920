#include "DataTableKelvraPB.h"

#include <algorithm>
#include <cwchar>

#include "ByteCursor.h"
#include "DebugLog.h"
#include "ErrorBoundary.h"
#include "Errors.h"
#include "ItemKelvraPBGroup.h"
#include "ItemKelvraPhonebook.h"
#include "Platform.h"
#include "ProfileLoader.h"
#include "Request.h"

namespace kelvra {

namespace {

constexpr DWORD kListingPause = 500;
constexpr long kUtf8 = 65001;

// The indexes the handset lists as used in a store: the whole list, however long, so
// that no used index falls off it and is handed out again.
std::vector<uint32_t> ListedIndexes(CKelvraBase& link, uint32_t store)
{
    uint32_t received = 0;
    std::string reply = link.ExchangeAlloc(Request(CKelvraBase::kIndexListRequest).Word(store), received,
                                           CKelvraBase::kRecordTimeout);
    std::vector<uint32_t> indexes;
    ByteReader entries(reply);
    while (entries.Remaining() >= 3) {
        indexes.push_back(entries.ReadU16LE());
        entries.Skip(1);
    }
    return indexes;
}

}  // namespace

CDataTableKelvraPB::CDataTableKelvraPB()
{
    m_columns = CItemKelvraPhonebook::CreateColumns();
    m_groupColumns = CItemKelvraPBGroup::CreateColumns();
}

void CDataTableKelvraPB::Initialize(DeviceDataOwner* owner, ITAMConnection* connection)
{
    CDataTableKelvraBase::Initialize(owner, connection);
    m_settings = PhonebookSettings::Load(owner->Model());
    m_codec.reset();
}

void CDataTableKelvraPB::Detach()
{
    CDataTableKelvraBase::Detach();
    m_codec.reset();
    m_models.Reset();
    m_speedDialReceiver = nullptr;
}

CKelvraPB& CDataTableKelvraPB::Codec()
{
    ITAMAgent* agent = RequireAgent();
    if (!m_codec)
        m_codec = std::make_unique<CKelvraPB>(agent, m_settings);
    return *m_codec;
}

std::wstring CDataTableKelvraPB::Ask(const wchar_t* key) const
{
    return AskModelDatabase(m_models.Get(), key);
}

STDMETHODIMP CDataTableKelvraPB::ListItemsAllBegin()
{
    return ComBoundary(L"CDataTableKelvraPB::ListItemsAllBegin", [&] {
        ScopedTrace trace(L"CDataTableKelvraPB::ListItemsAllBegin");
        ITAMAgent* agent = RequireAgent();
        Check(agent->SetCodePage(kUtf8), agent);
        return BeginListing([&] {
            Platform::Current().Sleep(kListingPause);
            m_photoSupported = _wcsicmp(Ask(L"Phonebook.Photo").c_str(), L"true") == 0;
            LoadIndexLists();
            // Not "one group or none": a handset without the "no group" record at index 0
            // may hold a single group of its own, which NextGroup lists; index 0 it skips.
            m_groupsDone = !m_settings.groupSupport || m_groupCount == 0;
        });
    });
}

void CDataTableKelvraPB::LoadIndexLists()
{
    CKelvraBase link(RequireAgent(), 1, 3000);
    m_entryCursor = 0;
    m_entries.clear();
    m_entryCount = link.GetRecordCount(CKelvraPB::kContactStore);
    if (m_entryCount > 0)
        m_entries = ListedIndexes(link, CKelvraPB::kContactStore);
    m_groups.clear();
    m_groupCount = 0;
    m_groupCursor = 0;
    if (m_settings.groupSupport) {
        m_groupCount = link.GetRecordCount(CKelvraPB::kGroupStore);
        if (m_groupCount > 0)
            m_groups = ListedIndexes(link, CKelvraPB::kGroupStore);
    }
    if (Ask(L"Application.Phonebook.SupportSIMSpeedDial") == L"true") {
        std::vector<uint16_t> speedDials;
        if (Codec().ScanSimSpeedDials(speedDials) && m_speedDialReceiver)
            m_speedDialReceiver(speedDials);
    }
}

bool CDataTableKelvraPB::NextGroup(IItem** item)
{
    while (!m_groupsDone) {
        if (m_groupCursor >= m_groups.size() || m_groupCursor >= m_groupCount) {
            m_groupsDone = true;
            m_groups.clear();
            break;
        }
        uint32_t index = m_groups[m_groupCursor++];
        bool last = m_groupCursor >= m_groupCount;
        if (index == 0 || !NamesGroup(index)) {
            // The group at index 0 is the handset's own "no group"; one past the store
            // could not be written.
            m_groupsDone = last;
            continue;
        }
        if (last) {
            m_groupsDone = true;
            m_groups.clear();
        }
        ColumnMap map;
        try {
            Codec().ReadGroup(index, map);
        } catch (...) {
            // The cursor has moved on: the next call lists the next group.
            RethrowNamingRecord(L"Caller group " + std::to_wstring(index));
        }
        *item = ItemFromRecord<CItemKelvraPBGroup>(m_groupColumns.Get(), map).Detach();
        return true;
    }
    return false;
}

STDMETHODIMP CDataTableKelvraPB::NextItem(IItem** item)
{
    return ComBoundary(L"CDataTableKelvraPB::NextItem", [&] {
        ScopedTrace trace(L"CDataTableKelvraPB::NextItem");
        if (!item)
            return E_POINTER;
        *item = nullptr;
        if (!Listing())
            return Passed() >= m_entryCount ? S_OK : E_FAIL;
        if (NextGroup(item))
            return S_OK;
        if (Passed() >= m_entryCount)
            return ListItemsEnd();
        // A record at an index the store cannot hold could not be written: not listed.
        while (m_entryCursor < m_entries.size() && !NamesEntry(m_entries[m_entryCursor]))
            ++m_entryCursor;
        if (m_entryCursor >= m_entries.size()) {
            // The handset listed fewer entries than it counted.
            m_entryCount = Passed();
            return ListItemsEnd();
        }
        uint32_t index = m_entries[m_entryCursor++];
        ColumnMap map;
        try {
            Codec().ReadContact(index, map);
        } catch (...) {
            PassOverFailedRecord(L"Contact " + std::to_wstring(index), m_entryCount);
        }
        auto entry = ItemFromRecord<CItemKelvraPhonebook>(m_columns.Get(), map);
        return HandOut(entry.Get(), item, m_entryCount);
    });
}

STDMETHODIMP CDataTableKelvraPB::ListItemsEnd()
{
    ScopedTrace trace(L"CDataTableKelvraPB::ListItemsEnd");
    m_entries.clear();
    return EndListing();
}

STDMETHODIMP CDataTableKelvraPB::GetItemCount(IItem*, ULONG, QELDATATYPE, ULONG* count)
{
    return ComBoundary(L"CDataTableKelvraPB::GetItemCount", [&] {
        DebugLog(L"%ls(+)", L"CDataTableKelvraPB::GetItemCount");
        if (!count)
            return E_POINTER;
        Codec().SetMode(0);
        Platform::Current().Sleep(kListingPause);
        ULONG total = Codec().GetRecordCount(CKelvraPB::kContactStore);
        if (m_settings.groupSupport)
            total += Codec().GetRecordCount(CKelvraPB::kGroupStore);
        *count = total;
        return S_OK;
    });
}

STDMETHODIMP CDataTableKelvraPB::NewItem(QELDATATYPE type, SUID suid, SUID parent, IItem** item)
{
    return ComBoundary(L"CDataTableKelvraPB::NewItem", [&] {
        if (type == QELDT_PHONEBOOK)
            return HandOutNewItem<CItemKelvraPhonebook>(m_columns.Get(), suid, parent, item);
        if (type == QELDT_GROUP)
            return HandOutNewItem<CItemKelvraPBGroup>(m_groupColumns.Get(), suid, parent, item);
        if (item)
            *item = nullptr;
        return E_FAIL;
    });
}

uint32_t CDataTableKelvraPB::FreeIndex(uint32_t store)
{
    std::vector<uint32_t> used = m_kept.Of(store).Used(
        Codec(), Agent(), [store](CKelvraBase& link) { return ListedIndexes(link, store); });
    std::sort(used.begin(), used.end());
    uint32_t candidate = 1;
    for (uint32_t index : used) {
        if (index == candidate)
            ++candidate;
        else if (index > candidate)
            break;
    }
    return candidate;
}

void CDataTableKelvraPB::WriteEntry(ColumnMap& map, uint32_t index, bool creating)
{
    map.SetValue(L"SUID", VT_UINT, static_cast<LONG>(index));
    Codec().WriteContact(map, m_photoSupported, creating);
}

void CDataTableKelvraPB::WriteGroup(ColumnMap& map, uint32_t index, bool creating)
{
    map.SetValue(L"SUID", VT_UINT, static_cast<LONG>(index));
    Codec().WriteGroup(index, map, creating);
}

// The item shows the record as the handset now holds it. The record is stored already:
// when reading it back fails, the item keeps what was written rather than failing a
// write that happened.
void CDataTableKelvraPB::FillFromHandset(CItemKelvraBase& item, const ColumnMap& written, uint32_t index,
                                         uint32_t store)
{
    ColumnMap stored;
    try {
        if (store == CKelvraPB::kGroupStore)
            Codec().ReadGroup(index, stored);
        else
            Codec().ReadContact(index, stored);
    } catch (...) {
        DebugLog(L"Record %u of store %u was written but could not be read back", index, store);
        stored = written;
    }
    item.SchemaConvertMap2Item(stored);
}

void CDataTableKelvraPB::CreateEntry(CItemKelvraBase& item, SUID* suid)
{
    uint32_t maxRecords = static_cast<uint32_t>(std::max<LONG>(0, m_settings.maxRecords));
    if (m_entryCount >= maxRecords)
        ThrowTamError(kTamStoreFull, L"The handset's phonebook is full");
    ColumnMap map = MapOfItem(item);
    uint32_t index = FreeIndex(CKelvraPB::kContactStore);
    if (index > maxRecords || !NamesEntry(index))
        ThrowTamError(kTamStoreFull, L"The handset's phonebook is full");
    WriteEntry(map, index, true);
    m_kept.Of(CKelvraPB::kContactStore).Added(index);
    ++m_entryCount;
    if (suid)
        *suid = static_cast<SUID>(index);
    FillFromHandset(item, map, index, CKelvraPB::kContactStore);
}

void CDataTableKelvraPB::CreateGroup(CItemKelvraBase& item, SUID* suid)
{
    if (!m_settings.groupSupport)
        ThrowComError(E_FAIL, L"This model keeps no caller groups");
    uint32_t maxGroups = static_cast<uint32_t>(std::max<LONG>(0, m_settings.maxGroups));
    if (m_groupCount >= maxGroups)
        ThrowTamError(kTamStoreFull, L"The handset has no room for another group");
    uint32_t index = FreeIndex(CKelvraPB::kGroupStore);
    if (index >= maxGroups)
        ThrowTamError(kTamStoreFull, L"The handset has no room for another group");
    ColumnMap map = MapOfItem(item);
    WriteGroup(map, index, true);
    m_kept.Of(CKelvraPB::kGroupStore).Added(index);
    ++m_groupCount;
    if (suid)
        *suid = static_cast<SUID>(index);
    FillFromHandset(item, map, index, CKelvraPB::kGroupStore);
}

STDMETHODIMP CDataTableKelvraPB::CreateItem(IItem* item, SUID* suid)
{
    return ComBoundary(L"CDataTableKelvraPB::CreateItem", [&] {
        CItemKelvraBase& own = OwnItem(item);
        if (own.Type() == QELDT_PHONEBOOK)
            CreateEntry(own, suid);
        else if (own.Type() == QELDT_GROUP)
            CreateGroup(own, suid);
        else
            ThrowComError(E_INVALIDARG, L"The phonebook stores entries and groups only");
        return S_OK;
    });
}

bool CDataTableKelvraPB::NamesEntry(LONG64 index) const
{
    LONG64 first = std::max<LONG>(1, m_settings.startIndex);
    LONG64 last = std::min<LONG>(0xFFFF, std::max(m_settings.endIndex, m_settings.maxRecords));
    return index >= first && index <= last;
}

bool CDataTableKelvraPB::NamesGroup(LONG64 index) const
{
    return m_settings.groupSupport && index >= 0 && index < std::min<LONG>(0xFFFF, m_settings.maxGroups);
}

uint32_t CDataTableKelvraPB::EntryIndexOf(const CItemKelvraBase& item) const
{
    SUID suid = item.Suid();
    if (!NamesEntry(suid))
        ThrowComError(E_INVALIDARG, L"The entry's SUID " + std::to_wstring(suid) + L" names no phonebook record");
    return static_cast<uint32_t>(suid);
}

uint32_t CDataTableKelvraPB::GroupIndexOf(const CItemKelvraBase& item) const
{
    SUID suid = item.Suid();
    if (!NamesGroup(suid))
        ThrowComError(E_INVALIDARG, L"The group's SUID " + std::to_wstring(suid) + L" names no caller group");
    return static_cast<uint32_t>(suid);
}

STDMETHODIMP CDataTableKelvraPB::UpdateItem(IItem* item)
{
    return ComBoundary(L"CDataTableKelvraPB::UpdateItem", [&] {
        CItemKelvraBase& own = OwnItem(item);
        // Rewriting a record needs no free slot, so a full store takes updates too.
        if (own.Type() == QELDT_PHONEBOOK) {
            uint32_t index = EntryIndexOf(own);
            ColumnMap map = MapOfItem(own);
            WriteEntry(map, index, false);
            m_kept.Of(CKelvraPB::kContactStore).Added(index);
            FillFromHandset(own, map, index, CKelvraPB::kContactStore);
        } else if (own.Type() == QELDT_GROUP) {
            uint32_t index = GroupIndexOf(own);
            ColumnMap map = MapOfItem(own);
            WriteGroup(map, index, false);
            m_kept.Of(CKelvraPB::kGroupStore).Added(index);
            FillFromHandset(own, map, index, CKelvraPB::kGroupStore);
        } else {
            ThrowComError(E_INVALIDARG, L"The phonebook stores entries and groups only");
        }
        return S_OK;
    });
}

STDMETHODIMP CDataTableKelvraPB::DeleteItem(IItem* item)
{
    return ComBoundary(L"CDataTableKelvraPB::DeleteItem", [&] {
        CItemKelvraBase& own = OwnItem(item);
        if (own.Type() == QELDT_PHONEBOOK) {
            uint32_t index = EntryIndexOf(own);
            Codec().DeleteRecord(index, CKelvraPB::kContactStore);
            m_kept.Of(CKelvraPB::kContactStore).Removed(index);
            if (m_entryCount > 0)
                --m_entryCount;
        } else if (own.Type() == QELDT_GROUP) {
            uint32_t index = GroupIndexOf(own);
            Codec().DeleteRecord(index, CKelvraPB::kGroupStore);
            m_kept.Of(CKelvraPB::kGroupStore).Removed(index);
            if (m_groupCount > 0)
                --m_groupCount;
        } else {
            // Never a delete for some other kind's SUID: it would erase a contact.
            ThrowComError(E_INVALIDARG, L"The phonebook deletes entries and groups only");
        }
        return S_OK;
    });
}

}  // namespace kelvra
