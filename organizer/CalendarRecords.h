// The calendar's records between their bytes and column maps: schedule-shaped
// (schedule, important and private), anniversary, holiday and event records. Decoding
// fills every column a record carries but its SUID, which is the record's place.
// Encoding changes only the fields whose columns the changes name.
#pragma once

#include "ColumnChanges.h"
#include "OrganizerLayouts.h"

namespace kelvra::org {

void DecodeSchedule(const ScheduleLayout& l, const RecordBytes& r, ColumnMap& map);
void EncodeSchedule(const ScheduleLayout& l, RecordBytes& r, ColumnChanges& changes);
void DecodeAnniversary(const AnniversaryLayout& l, const RecordBytes& r, ColumnMap& map);
void EncodeAnniversary(const AnniversaryLayout& l, RecordBytes& r, ColumnChanges& changes);
void DecodeHoliday(const HolidayLayout& l, const RecordBytes& r, ColumnMap& map);
void EncodeHoliday(const HolidayLayout& l, RecordBytes& r, ColumnChanges& changes);
void DecodeEvent(const EventLayout& l, const RecordBytes& r, ColumnMap& map);
void EncodeEvent(const EventLayout& l, RecordBytes& r, ColumnChanges& changes);

}  // namespace kelvra::org
