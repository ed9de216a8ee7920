// Reads iCalendar files as calendar programs write them: VEVENT, VTODO and VJOURNAL with
// their alarms and recurrence rules. What the handset cannot hold (a rule outside its
// seven kinds of recurrence, an alarm after the start, attendees ...) is noted per entry,
// never dropped in silence.
#pragma once

#include <string>
#include <vector>

#include "ContentLine.h"
#include "OrganizerEntry.h"

namespace kelvra::host {

class ICalendarReader {
public:
    // Every entry of the file; throws InputError when the file is no iCalendar file.
    static std::vector<OrganizerEntry> Read(const std::string& bytes);

private:
    static void Take(const ContentLine& line, OrganizerEntry& entry);
    static void TakeAlarm(const ContentLine& trigger, OrganizerEntry& entry);
    static void TakeRecurrence(const std::string& rule, OrganizerEntry& entry);
    static void Finish(OrganizerEntry& entry, const std::vector<std::string>& categories, const std::wstring& type);
};

}  // namespace kelvra::host
