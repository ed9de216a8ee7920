// The alarm and ring of calendar records: a lead in units before the start on most
// models, a mode on extended-alarm models, an instant of its own on compact-repeat
// models; and the ring the handset plays.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "ColumnChanges.h"
#include "OrganizerLayouts.h"

namespace kelvra::org {

// Where a calendar record keeps its alarm.
struct CalendarAlarmFields {
    AlarmFields alarm;
    std::optional<AlarmModeFields> mode;  // extended-alarm models
    std::vector<size_t> instants;         // the alarm's own time, read from the first
    bool absolute = false;                // compact-repeat models: the alarm is its instant
    size_t start = 0;                     // the record's start time

    static CalendarAlarmFields Of(const ScheduleLayout& l);
    static CalendarAlarmFields Of(const AnniversaryLayout& l, size_t date);
};

void DecodeCalendarAlarm(const CalendarAlarmFields& f, const RecordBytes& r, ColumnMap& map);
// Encodes again the parts of the alarm whose columns changed: the holiday mark, the
// ring, the alarm's own time and the alarm itself each on their own.
void EncodeCalendarAlarm(const CalendarAlarmFields& f, RecordBytes& r, ColumnChanges& changes);

}  // namespace kelvra::org
