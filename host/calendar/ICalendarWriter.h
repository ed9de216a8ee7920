// Writes calendar entries, tasks and memos as an iCalendar 2.0 file: VEVENT with the
// kind in CATEGORIES and X-KELVRA-TYPE, VALARM for alarms, RRULE for the recurrences the
// handset holds, VTODO with DUE, PRIORITY and STATUS, VJOURNAL for memos.
#pragma once

#include <string>
#include <vector>

#include "OrganizerEntry.h"

namespace kelvra::host {

class ICalendarWriter {
public:
    // stamp is the DTSTAMP every component carries, in UTC ("20261206T101500Z").
    static std::string Write(const std::vector<OrganizerEntry>& entries, const std::string& stamp);
    // The time now as such a stamp.
    static std::string StampNow();
    // The RRULE value of an entry's repetition ("FREQ=WEEKLY;BYDAY=MO"); empty for none and
    // for one no rule describes alike.
    static std::string Rule(const OrganizerEntry& entry);

private:
    static std::string Event(const OrganizerEntry& entry, const std::string& stamp);
    static std::string Task(const OrganizerEntry& entry, const std::string& stamp);
    static std::string Journal(const OrganizerEntry& entry, const std::string& stamp);
    static std::string Alarm(const std::string& trigger, const std::wstring& description);
};

}  // namespace kelvra::host
