#include "DataTableKelvraSchedule.h"

#include <algorithm>
#include <exception>

#include "DebugLog.h"
#include "ErrorBoundary.h"
#include "Errors.h"
#include "ItemKelvraSchedule.h"
#include "OrganizerPlaces.h"

namespace kelvra {

namespace {

// The TYPE values of kinds 1 to 5.
const wchar_t* const kKindTypes[] = {L"5", L"1", L"4", L"20", L"25", L"34"};

}  // namespace

CDataTableKelvraSchedule::CDataTableKelvraSchedule()
{
    m_columns = CItemKelvraSchedule::CreateColumns();
}

void CDataTableKelvraSchedule::Initialize(DeviceDataOwner* owner, ITAMConnection* connection)
{
    CDataTableKelvraBase::Initialize(owner, connection);
    m_settings = OrganizerSettings::Load(owner->Model());
    m_codec.reset();
}

void CDataTableKelvraSchedule::Detach()
{
    CDataTableKelvraBase::Detach();
    m_codec.reset();
}

CKelvraOrg& CDataTableKelvraSchedule::Codec()
{
    ITAMAgent* agent = RequireAgent();
    if (!m_codec)
        m_codec = std::make_unique<CKelvraOrg>(agent, m_settings);
    return *m_codec;
}

OrganizerPlaces CDataTableKelvraSchedule::Places(OrgKind kind) const
{
    const KindParameters& params = m_settings.Kind(kind);
    return OrganizerPlaces::Of(params.startIndex, params.maxCount, kKindSpan);
}

void CDataTableKelvraSchedule::LoadIndexLists()
{
    for (int k = 0; k < kOrgKindCount; ++k) {
        OrgKind kind = static_cast<OrgKind>(k);
        KindState& state = State(kind);
        state = KindState();
        if (!m_settings.Kind(kind).present)
            continue;
        std::vector<uint32_t> listed;
        Codec().LoadIndexList(StoreOfKind(kind), listed);
        state.used = Places(kind).Usable(listed);
        state.count = static_cast<uint32_t>(state.used.size());
    }
    m_kind = 0;
}

ULONG CDataTableKelvraSchedule::TotalCount() const
{
    ULONG total = 0;
    for (const KindState& state : m_kinds)
        total += state.count;
    return total;
}

STDMETHODIMP CDataTableKelvraSchedule::ListItemsAllBegin()
{
    return ComBoundary(L"CDataTableKelvraSchedule::ListItemsAllBegin", [&] {
        ScopedTrace trace(L"CDataTableKelvraSchedule::ListItemsAllBegin");
        return BeginListing([&] { LoadIndexLists(); });
    });
}

STDMETHODIMP CDataTableKelvraSchedule::NextItem(IItem** item)
{
    return ComBoundary(L"CDataTableKelvraSchedule::NextItem", [&] {
        ScopedTrace trace(L"CDataTableKelvraSchedule::NextItem");
        if (!item)
            return E_POINTER;
        *item = nullptr;
        if (!Listing())
            return S_OK;  // no listing open: no item
        while (m_kind < kOrgKindCount && m_kinds[static_cast<size_t>(m_kind)].cursor >=
                                             m_kinds[static_cast<size_t>(m_kind)].count)
            ++m_kind;
        if (m_kind >= kOrgKindCount)
            return ListItemsEnd();
        OrgKind kind = static_cast<OrgKind>(m_kind);
        KindState& state = State(kind);
        uint32_t index = state.used[state.cursor++];
        ColumnMap map;
        try {
            Codec().ReadOrganizerRecord(kind, index, map);
        } catch (...) {
            PassOverFailedRecord(L"Calendar record " + std::to_wstring(index) + L" of store " +
                                     std::to_wstring(StoreOfKind(kind)),
                                 TotalCount());
        }
        map.SetValue(L"SUID", VT_I4, static_cast<LONG>(m_kind) * kKindSpan + static_cast<LONG>(index));
        map.SetText(L"TYPE", TypeText(kind));
        auto entry = ItemFromRecord<CItemKelvraSchedule>(m_columns.Get(), map);
        return HandOut(entry.Get(), item, TotalCount());
    });
}

STDMETHODIMP CDataTableKelvraSchedule::ListItemsEnd()
{
    ScopedTrace trace(L"CDataTableKelvraSchedule::ListItemsEnd");
    return EndListing();
}

STDMETHODIMP CDataTableKelvraSchedule::GetItemCount(IItem*, ULONG, QELDATATYPE, ULONG* count)
{
    return ComBoundary(L"CDataTableKelvraSchedule::GetItemCount", [&] {
        DebugLog(L"%ls(+)", L"CDataTableKelvraSchedule::GetItemCount");
        if (!count)
            return E_POINTER;
        if (!Listing()) {
            Codec().SetMode(0);
            LoadIndexLists();
        }
        *count = TotalCount();
        return S_OK;
    });
}

STDMETHODIMP CDataTableKelvraSchedule::NewItem(QELDATATYPE, SUID suid, SUID parent, IItem** item)
{
    return ComBoundary(L"CDataTableKelvraSchedule::NewItem", [&] {
        return HandOutNewItem<CItemKelvraSchedule>(m_columns.Get(), suid, parent, item);
    });
}

OrgKind CDataTableKelvraSchedule::KindOfType(const ColumnMap& map) const
{
    LONG type = map.Has(L"TYPE") ? map.Number(L"TYPE") : 5;
    OrgKind kind = OrgKind::Schedule;
    switch (type) {
    case 34: kind = OrgKind::Event; break;
    case 1: kind = OrgKind::Anniversary; break;
    case 4: kind = OrgKind::Holiday; break;
    case 20: kind = OrgKind::Important; break;
    case 25: kind = OrgKind::Private; break;
    default: break;
    }
    return m_settings.Kind(kind).present ? kind : OrgKind::Schedule;
}

OrgKind CDataTableKelvraSchedule::KindOfSuid(SUID suid, uint32_t& index) const
{
    if (suid >= 0 && suid < kOrgKindCount * kKindSpan) {
        OrgKind kind = static_cast<OrgKind>(suid / kKindSpan);
        LONG place = suid % kKindSpan;
        if (m_settings.Kind(kind).present && Places(kind).Holds(place)) {
            index = static_cast<uint32_t>(place);
            return kind;
        }
    }
    ThrowComError(E_INVALIDARG, L"The entry's SUID " + std::to_wstring(suid) + L" names no calendar record");
}

std::wstring CDataTableKelvraSchedule::TypeText(OrgKind kind) const
{
    if (kind == OrgKind::Schedule && m_settings.ZeroType())
        return L"0";
    return kKindTypes[static_cast<size_t>(kind)];
}

// The handset's own list decides (as kept while its count agrees): records stored since
// the last listing, or before any, are never overwritten.
uint32_t CDataTableKelvraSchedule::FreeIndex(OrgKind kind)
{
    uint32_t store = StoreOfKind(kind);
    return Places(kind).Free(Codec().UsedIndexes(store, m_kept.Of(store), Agent()), State(kind).used);
}

// Whether the handset still lists the record after a delete that failed. When that
// cannot be told either, the failure stands and both copies stay: nothing is lost.
bool CDataTableKelvraSchedule::OldRecordStays(OrgKind kind, uint32_t index)
{
    std::exception_ptr failure = std::current_exception();
    std::vector<uint32_t> left;
    try {
        left = Codec().UsedIndexes(StoreOfKind(kind));
    } catch (...) {
        std::rethrow_exception(failure);
    }
    return std::find(left.begin(), left.end(), index) != left.end();
}

// Deletes the record a failed move wrote; the move's own failure is what the host hears.
void CDataTableKelvraSchedule::TakeBack(OrgKind kind, uint32_t index)
{
    try {
        Codec().DeleteRecord(index, StoreOfKind(kind));
        Forget(kind, index);
    } catch (...) {
        DebugLog(L"Record %u of store %u, written by a move that failed, could not be taken back", index,
                 StoreOfKind(kind));
    }
}

void CDataTableKelvraSchedule::Remember(OrgKind kind, uint32_t index)
{
    m_kept.Of(StoreOfKind(kind)).Added(index);
    KindState& state = State(kind);
    if (std::find(state.used.begin(), state.used.end(), index) == state.used.end()) {
        state.used.push_back(index);
        ++state.count;
    }
}

void CDataTableKelvraSchedule::Forget(OrgKind kind, uint32_t index)
{
    m_kept.Of(StoreOfKind(kind)).Removed(index);
    KindState& state = State(kind);
    auto found = std::find(state.used.begin(), state.used.end(), index);
    if (found == state.used.end())
        return;
    size_t at = static_cast<size_t>(found - state.used.begin());
    state.used.erase(found);
    if (state.count > 0)
        --state.count;
    if (at < state.cursor)
        --state.cursor;  // an open listing goes on with the record after it
}

// The record is stored already: when reading it back fails, the item keeps what was
// written rather than failing a write that happened.
void CDataTableKelvraSchedule::FillFromHandset(CItemKelvraBase& item, ColumnMap& written, OrgKind kind,
                                               uint32_t index)
{
    ColumnMap stored;
    try {
        Codec().ReadOrganizerRecord(kind, index, stored);
    } catch (...) {
        DebugLog(L"Record %u of store %u was written but could not be read back", index, StoreOfKind(kind));
        stored = written;
    }
    stored.SetValue(L"SUID", VT_I4, static_cast<LONG>(kind) * kKindSpan + static_cast<LONG>(index));
    stored.SetText(L"TYPE", TypeText(kind));
    item.SchemaConvertMap2Item(stored);
}

STDMETHODIMP CDataTableKelvraSchedule::CreateItem(IItem* item, SUID* suid)
{
    return ComBoundary(L"CDataTableKelvraSchedule::CreateItem", [&] {
        CItemKelvraBase& own = OwnItem(item);
        ColumnMap map = MapOfItem(own);
        OrgKind kind = KindOfType(map);
        map.SetText(L"TYPE", TypeText(kind));
        uint32_t index = FreeIndex(kind);
        map.SetValue(L"SUID", VT_I4, static_cast<LONG>(index));
        DebugLog(L"\n%ls %d, %d", L"CDataTableKelvraSchedule::CreateItem", static_cast<int>(kind),
                 static_cast<int>(index));
        Codec().WriteOrganizerRecord(kind, map, true);
        Remember(kind, index);
        FillFromHandset(own, map, kind, index);
        if (suid)
            *suid = static_cast<SUID>(kind) * kKindSpan + static_cast<SUID>(index);
        return S_OK;
    });
}

STDMETHODIMP CDataTableKelvraSchedule::UpdateItem(IItem* item)
{
    return ComBoundary(L"CDataTableKelvraSchedule::UpdateItem", [&] {
        CItemKelvraBase& own = OwnItem(item);
        uint32_t index = 0;
        OrgKind oldKind = KindOfSuid(own.Suid(), index);
        ColumnMap map = MapOfItem(own);
        OrgKind newKind = KindOfType(map);
        map.SetText(L"TYPE", TypeText(newKind));
        if (newKind == oldKind) {
            map.SetValue(L"SUID", VT_I4, static_cast<LONG>(index));
            Codec().WriteOrganizerRecord(oldKind, map, false);
            FillFromHandset(own, map, oldKind, index);
        } else {
            Move(own, map, oldKind, index, newKind);
        }
        return S_OK;
    });
}

// A change of kind moves the entry: the new record is the old one as the handset holds
// it with the item's set columns over it. It is written before the old one goes, so a
// full kind or a failed write leaves the entry where it was; a failed delete takes the
// new one away again, so the entry is never kept twice nor lost.
void CDataTableKelvraSchedule::Move(CItemKelvraBase& item, const ColumnMap& given, OrgKind oldKind, uint32_t index,
                                    OrgKind newKind)
{
    uint32_t newIndex = FreeIndex(newKind);
    ColumnMap held;
    Codec().ReadOrganizerRecord(oldKind, index, held);
    ColumnMap map = ColumnChanges::ForRecord(given, held).Values();
    map.SetValue(L"SUID", VT_I4, static_cast<LONG>(newIndex));
    try {
        Codec().WriteOrganizerRecord(newKind, map, true);
    } catch (...) {
        // The handset may have stored the new record and only its answer gone wrong. The
        // place was free a moment ago, so taking it back can remove nothing else.
        TakeBack(newKind, newIndex);
        throw;
    }
    Remember(newKind, newIndex);
    try {
        Codec().DeleteRecord(index, StoreOfKind(oldKind));
    } catch (...) {
        if (OldRecordStays(oldKind, index)) {
            TakeBack(newKind, newIndex);
        } else {
            // The handset deleted the old record and only its answer went wrong: the
            // entry has moved, and the item names its new place for the next update.
            Forget(oldKind, index);
            item.SetSuid(static_cast<SUID>(newKind) * kKindSpan + static_cast<SUID>(newIndex), 0);
        }
        throw;
    }
    Forget(oldKind, index);
    FillFromHandset(item, map, newKind, newIndex);
}

STDMETHODIMP CDataTableKelvraSchedule::DeleteItem(IItem* item)
{
    return ComBoundary(L"CDataTableKelvraSchedule::DeleteItem", [&] {
        CItemKelvraBase& own = OwnItem(item);
        uint32_t index = 0;
        // The SUID says where the record is, whatever the item's TYPE says now.
        OrgKind kind = KindOfSuid(own.Suid(), index);
        Codec().DeleteRecord(index, StoreOfKind(kind));
        DebugLog(L"\n%ls %d, %d", L"CDataTableKelvraSchedule::DeleteItem", static_cast<int>(kind),
                 static_cast<int>(index));
        Forget(kind, index);
        return S_OK;
    });
}

}  // namespace kelvra
