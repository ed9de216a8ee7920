// Reads iCalendar files as calendar programs write them: VEVENT, VTODO and VJOURNAL with
// their alarms and recurrence rules, their times in the PC's local time. What the handset
// cannot hold (a rule outside its seven kinds of recurrence, an alarm after the start,
// attendees ...) is noted per entry, never dropped in silence.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "ContentLine.h"
#include "ICalendarClock.h"
#include "OrganizerEntry.h"

namespace kelvra::host {

class ICalendarReader {
public:
    // Every entry of the file; throws InputError when the file is no iCalendar file.
    static std::vector<OrganizerEntry> Read(const std::string& bytes);

private:
    // What an entry's lines leave to settle once all of them are read: its times depend
    // on its zone and its kind, its alarms on its start and end.
    struct Pending {
        std::vector<std::string> categories;
        std::wstring type;
        std::optional<ContentLine> start, end, duration, rule;
        std::vector<ContentLine> triggers, exceptions;
    };

    explicit ICalendarReader(ICalendarClock clock) : m_clock(std::move(clock)) {}
    static void Take(const ContentLine& line, OrganizerEntry& entry, Pending& pending);
    void Finish(OrganizerEntry& entry, const Pending& pending) const;
    void FinishKind(OrganizerEntry& entry, const Pending& pending) const;
    void FinishTimes(OrganizerEntry& entry, const Pending& pending) const;
    void TakeAlarm(const ContentLine& trigger, OrganizerEntry& entry) const;
    // A lead the file relates to the end of an entry or the start of a task, as the lead
    // before the start or the due time it stands for; false, noted, when there is none.
    static bool LeadMoved(const ContentLine& trigger, OrganizerEntry& entry, std::wstring& unit, long& value);
    void TakeRecurrence(const ContentLine& rule, const std::string& startZone, OrganizerEntry& entry) const;
    // The line's time in the PC's local time; a problem is noted on the entry.
    std::optional<DATE> Time(const ContentLine& line, const std::string& value, OrganizerEntry& entry,
                             const std::string& zone) const;
    static bool IsDay(const ContentLine& line);

    ICalendarClock m_clock;
};

}  // namespace kelvra::host
