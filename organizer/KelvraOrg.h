// The organizer's device link: calendar records of six kinds, tasks and memos between
// the handset's records and column maps.
#pragma once

#include <string>
#include <vector>

#include "ColumnChanges.h"
#include "ColumnMap.h"
#include "KelvraBase.h"
#include "OrganizerLayouts.h"
#include "OrganizerSettings.h"

namespace kelvra {

class CKelvraOrg : public CKelvraBase {
public:
    static constexpr uint32_t kMemoStore = 4;
    static constexpr uint32_t kTaskStore = 5;

    CKelvraOrg(ITAMAgent* agent, const OrganizerSettings& settings);

    // The used indexes of a store as the handset lists them, at most maxCount; returns
    // the number of records the handset counts.
    uint32_t LoadIndexList(uint32_t store, uint32_t maxCount, std::vector<uint32_t>& indexes);

    // Reads a calendar record; the map's "SUID" is the bare handset index.
    void ReadOrganizerRecord(OrgKind kind, uint32_t index, ColumnMap& map);
    // Writes the calendar record at the map's "SUID" (the bare handset index). A new
    // record is encoded whole; an update starts from the record the handset holds and
    // changes only the fields whose columns the map sets to other values. The map
    // afterwards holds what was stored (texts as cut to their fields).
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
    // Writes a task or memo, a record that leads with its own u16 index.
    template <class Decode, class Encode>
    void WriteIndexedRecord(uint32_t store, size_t size, size_t indexField, ColumnMap& map, bool creating, Decode decode,
                            Encode encode);

    void DecodeSchedule(const ScheduleLayout& l, const RecordBytes& r, ColumnMap& map) const;
    void DecodeScheduleAlarm(const ScheduleLayout& l, const RecordBytes& r, ColumnMap& map) const;
    void DecodeRecurrence(const ScheduleLayout& l, const RecordBytes& r, ColumnMap& map) const;
    void EncodeSchedule(const ScheduleLayout& l, RecordBytes& r, ColumnChanges& changes) const;
    void EncodeScheduleAlarm(const ScheduleLayout& l, RecordBytes& r, ColumnMap& values) const;
    void EncodeRecurrence(const ScheduleLayout& l, RecordBytes& r, ColumnMap& values) const;

    void DecodeAnniversary(const AnniversaryLayout& l, const RecordBytes& r, ColumnMap& map) const;
    void EncodeAnniversary(const AnniversaryLayout& l, RecordBytes& r, ColumnChanges& changes) const;
    void DecodeHoliday(const HolidayLayout& l, const RecordBytes& r, ColumnMap& map) const;
    void EncodeHoliday(const HolidayLayout& l, RecordBytes& r, ColumnChanges& changes) const;
    void DecodeEvent(const EventLayout& l, const RecordBytes& r, ColumnMap& map) const;
    void EncodeEvent(const EventLayout& l, RecordBytes& r, ColumnChanges& changes) const;
    void DecodeTask(const RecordBytes& r, ColumnMap& map) const;
    void EncodeTask(RecordBytes& r, ColumnChanges& changes) const;
    void DecodeMemo(const RecordBytes& r, ColumnMap& map) const;
    void EncodeMemo(RecordBytes& r, ColumnChanges& changes) const;

    const OrganizerSettings& m_settings;
    ScheduleLayout m_schedule, m_important, m_private;
    AnniversaryLayout m_anniversary;
    HolidayLayout m_holiday;
    EventLayout m_event;
    TaskLayout m_task;
    MemoLayout m_memo;
};

}  // namespace kelvra
