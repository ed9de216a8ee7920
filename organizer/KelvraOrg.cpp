#include "KelvraOrg.h"

#include <algorithm>

#include "CalendarRecords.h"
#include "Errors.h"
#include "TaskAndMemoRecords.h"

namespace kelvra {

CKelvraOrg::CKelvraOrg(ITAMAgent* agent, const OrganizerSettings& settings)
    : CKelvraBase(agent, 1, 3000),
      m_settings(settings),
      m_schedule(ScheduleLayout::For(settings, settings.Kind(OrgKind::Schedule))),
      m_important(ScheduleLayout::For(settings, settings.Kind(OrgKind::Important))),
      m_private(ScheduleLayout::For(settings, settings.Kind(OrgKind::Private))),
      m_anniversary(AnniversaryLayout::For(settings, settings.Kind(OrgKind::Anniversary))),
      m_holiday(HolidayLayout::For(settings, settings.Kind(OrgKind::Holiday))),
      m_event(EventLayout::For(settings.Kind(OrgKind::Event))),
      m_task(TaskLayout::For(settings)),
      m_memo(MemoLayout::For(settings))
{
}

// The whole list is read, whatever the store's maximum: a handset that also lists
// places beyond it must not push used places off the end.
uint32_t CKelvraOrg::LoadIndexList(uint32_t store, std::vector<uint32_t>& indexes)
{
    indexes.clear();
    uint32_t count = GetRecordCount(store);
    if (count > 0)
        GetRecordIndexList(indexes, store, kMostIndexes);
    return count;
}

std::vector<uint32_t> CKelvraOrg::UsedIndexes(uint32_t store)
{
    std::vector<uint32_t> indexes;
    LoadIndexList(store, indexes);
    return indexes;
}

std::vector<uint32_t> CKelvraOrg::UsedIndexes(uint32_t store, StoreIndexes& kept, ITAMAgent* agent)
{
    return kept.Used(*this, agent, [store](CKelvraBase& link) {
        std::vector<uint32_t> indexes;
        link.GetRecordIndexList(indexes, store, kMostIndexes);
        return indexes;
    });
}

size_t CKelvraOrg::GetRecordSize(OrgKind kind) const
{
    switch (kind) {
    case OrgKind::Schedule: return m_schedule.size;
    case OrgKind::Anniversary: return m_anniversary.size;
    case OrgKind::Holiday: return m_holiday.size;
    case OrgKind::Important: return m_important.size;
    case OrgKind::Private: return m_private.size;
    case OrgKind::Event: return m_event.size;
    }
    return 0;
}

uint32_t CKelvraOrg::FindFreeIndex(LONG start, LONG maxCount, std::vector<uint32_t> used)
{
    std::sort(used.begin(), used.end());
    int64_t candidate = std::max<LONG>(start, 0);
    for (uint32_t index : used) {
        if (candidate < index)
            break;
        if (candidate == index)
            candidate = static_cast<int64_t>(index) + 1;
    }
    if (candidate > static_cast<int64_t>(maxCount) - 1)
        ThrowTamError(kTamStoreFull, L"The handset has no free place for another record of this kind");
    return static_cast<uint32_t>(candidate);
}

template <class Decode, class Encode>
void CKelvraOrg::WriteRecordAt(uint32_t store, uint32_t index, size_t size, size_t indexField, size_t indexBytes,
                               ColumnMap& map, bool creating, Decode decode, Encode encode)
{
    ColumnChanges changes = ColumnChanges::ForNewRecord(map);
    RecordBytes record = StartRecord(store, index, size, creating, map, changes, decode);
    encode(record, changes);
    // The place is the record's identity: its index field says so on every write.
    if (indexBytes == 2)
        record.SetU16(indexField, static_cast<uint16_t>(index));
    else
        record.SetU32(indexField, index);
    WriteRecord(store, index, record);
    map = changes.Values();
}

// ---- Calendar records ------------------------------------------------------------------

void CKelvraOrg::ReadOrganizerRecord(OrgKind kind, uint32_t index, ColumnMap& map)
{
    RecordBytes record = ReadRecord(StoreOfKind(kind), index, GetRecordSize(kind));
    switch (kind) {
    case OrgKind::Anniversary: org::DecodeAnniversary(m_anniversary, record, map); break;
    case OrgKind::Holiday: org::DecodeHoliday(m_holiday, record, map); break;
    case OrgKind::Event: org::DecodeEvent(m_event, record, map); break;
    case OrgKind::Important: org::DecodeSchedule(m_important, record, map); break;
    case OrgKind::Private: org::DecodeSchedule(m_private, record, map); break;
    case OrgKind::Schedule: org::DecodeSchedule(m_schedule, record, map); break;
    }
    map.SetValue(L"SUID", VT_I4, static_cast<LONG>(index));
}

void CKelvraOrg::WriteOrganizerRecord(OrgKind kind, ColumnMap& map, bool creating)
{
    uint32_t index = static_cast<uint32_t>(map.Number(L"SUID"));
    uint32_t store = StoreOfKind(kind);
    auto write = [&](const auto& layout, size_t indexField, auto decode, auto encode) {
        WriteRecordAt(
            store, index, layout.size, indexField, 4, map, creating,
            [&](const RecordBytes& r, ColumnMap& m) { decode(layout, r, m); },
            [&](RecordBytes& r, ColumnChanges& c) { encode(layout, r, c); });
    };
    switch (kind) {
    case OrgKind::Anniversary:
        write(m_anniversary, m_anniversary.index, org::DecodeAnniversary, org::EncodeAnniversary);
        break;
    case OrgKind::Holiday: write(m_holiday, m_holiday.index, org::DecodeHoliday, org::EncodeHoliday); break;
    case OrgKind::Event: write(m_event, m_event.address, org::DecodeEvent, org::EncodeEvent); break;
    case OrgKind::Important: write(m_important, m_important.index, org::DecodeSchedule, org::EncodeSchedule); break;
    case OrgKind::Private: write(m_private, m_private.index, org::DecodeSchedule, org::EncodeSchedule); break;
    case OrgKind::Schedule: write(m_schedule, m_schedule.index, org::DecodeSchedule, org::EncodeSchedule); break;
    }
}

// ---- Tasks and memos: records that lead with their own u16 index -----------------------

void CKelvraOrg::ReadTaskRecord(uint32_t index, ColumnMap& map)
{
    org::DecodeTask(m_task, m_settings, ReadRecord(kTaskStore, index, m_task.size), map);
    map.SetValue(L"SUID", VT_I4, static_cast<LONG>(index));
}

void CKelvraOrg::WriteTaskRecord(ColumnMap& map, bool creating)
{
    uint32_t index = static_cast<uint16_t>(map.Number(L"SUID"));
    WriteRecordAt(
        kTaskStore, index, m_task.size, m_task.index, 2, map, creating,
        [&](const RecordBytes& r, ColumnMap& m) { org::DecodeTask(m_task, m_settings, r, m); },
        [&](RecordBytes& r, ColumnChanges& c) { org::EncodeTask(m_task, r, c); });
}

void CKelvraOrg::ReadMemoRecord(uint32_t index, ColumnMap& map)
{
    org::DecodeMemo(m_memo, ReadRecord(kMemoStore, index, m_memo.size), map);
    map.SetValue(L"SUID", VT_I4, static_cast<LONG>(index));
}

void CKelvraOrg::WriteMemoRecord(ColumnMap& map, bool creating)
{
    uint32_t index = static_cast<uint16_t>(map.Number(L"SUID"));
    WriteRecordAt(
        kMemoStore, index, m_memo.size, m_memo.index, 2, map, creating,
        [&](const RecordBytes& r, ColumnMap& m) { org::DecodeMemo(m_memo, r, m); },
        [&](RecordBytes& r, ColumnChanges& c) { org::EncodeMemo(m_memo, r, c); });
}

}  // namespace kelvra
