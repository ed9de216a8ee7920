// The organizer's device link: calendar records of six kinds, tasks and memos between
// the handset's records and column maps. The records' layouts are in OrganizerLayouts,
// their fields' meaning in CalendarRecords and TaskAndMemoRecords.
#pragma once

#include <string>
#include <vector>

#include "ColumnChanges.h"
#include "ColumnMap.h"
#include "KelvraBase.h"
#include "OrganizerLayouts.h"
#include "OrganizerSettings.h"
#include "StoreIndexes.h"

namespace kelvra {

class CKelvraOrg : public CKelvraBase {
public:
    static constexpr uint32_t kMemoStore = 4;
    static constexpr uint32_t kTaskStore = 5;
    // The most indexes a store can list: each is a u16.
    static constexpr uint32_t kMostIndexes = 0x10000;

    CKelvraOrg(ITAMAgent* agent, const OrganizerSettings& settings);

    // The used indexes of a store as the handset lists them, all of them; returns the
    // number of records the handset counts. No list is asked for when it counts none.
    uint32_t LoadIndexList(uint32_t store, std::vector<uint32_t>& indexes);
    // The used indexes of a store: its count, and its list when it counts any.
    std::vector<uint32_t> UsedIndexes(uint32_t store);
    // The same, from what the table keeps of the store while the store's count agrees.
    std::vector<uint32_t> UsedIndexes(uint32_t store, StoreIndexes& kept, ITAMAgent* agent);

    // Reads a calendar record; the map's "SUID" is the record's place, the bare handset
    // index, whatever its own index field holds.
    void ReadOrganizerRecord(OrgKind kind, uint32_t index, ColumnMap& map);
    // Writes the calendar record at the map's "SUID" (the bare handset index), which
    // also goes into its index field. A new record is encoded whole; an update starts
    // from the record the handset holds and changes only the fields whose columns the
    // map sets to other values. The map afterwards holds what was stored (texts as cut
    // to their fields).
    void WriteOrganizerRecord(OrgKind kind, ColumnMap& map, bool creating);
    void ReadTaskRecord(uint32_t index, ColumnMap& map);
    void WriteTaskRecord(ColumnMap& map, bool creating);
    void ReadMemoRecord(uint32_t index, ColumnMap& map);
    void WriteMemoRecord(ColumnMap& map, bool creating);

    size_t GetRecordSize(OrgKind kind) const;
    size_t TaskRecordSize() const { return m_task.size; }
    size_t MemoRecordSize() const { return m_memo.size; }

    // The lowest index from start up that the used list does not hold; throws the
    // store-full error when it would be maxCount or more.
    static uint32_t FindFreeIndex(LONG start, LONG maxCount, std::vector<uint32_t> used);

private:
    // Writes a record whose first field is its own index (of indexBytes bytes): reads
    // the handset's own first unless creating, encodes, then sends it.
    template <class Decode, class Encode>
    void WriteRecordAt(uint32_t store, uint32_t index, size_t size, size_t indexField, size_t indexBytes,
                       ColumnMap& map, bool creating, Decode decode, Encode encode);

    const OrganizerSettings& m_settings;
    ScheduleLayout m_schedule, m_important, m_private;
    AnniversaryLayout m_anniversary;
    HolidayLayout m_holiday;
    EventLayout m_event;
    TaskLayout m_task;
    MemoLayout m_memo;
};

}  // namespace kelvra
