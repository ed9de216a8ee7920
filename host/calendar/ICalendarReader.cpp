#include "ICalendarReader.h"

#include <cmath>
#include <map>
#include <sstream>

#include "ComFailure.h"
#include "ContentLineReader.h"
#include "ICalendarTerms.h"

namespace kelvra::host {

namespace {

// Lines that say how the file or entry was made, not what the person holds.
const char* const kBookkeeping[] = {"UID", "DTSTAMP", "CREATED", "LAST-MODIFIED", "SEQUENCE", "PRODID",
                                    "VERSION", "CALSCALE", "METHOD", "TRANSP", "CLASS"};

std::wstring Unescaped(const ContentLine& line)
{
    return ContentLine::Unescaped(WidenUtf8(line.value));
}

// A line as a person recognises it in the file: "DTSTART 20261208T183000 (Europe/Berlin)".
std::string Said(const ContentLine& line)
{
    std::string zone = line.Parameter("TZID"), related = UpperAscii(line.Parameter("RELATED"));
    return line.name + " " + Printable(line.value) + (zone.empty() ? "" : " (" + Printable(zone) + ")") +
           (related == "END" ? " from the end" : "");
}

void Note(OrganizerEntry& entry, const std::string& what)
{
    entry.notes.push_back(what);
}

}  // namespace

std::vector<OrganizerEntry> ICalendarReader::Read(const std::string& bytes)
{
    ICalendarReader calendar(ICalendarClock::FromFile(bytes));
    ContentLineReader reader(bytes);
    std::vector<OrganizerEntry> entries;
    std::vector<std::string> open;  // the components the line is inside
    OrganizerEntry entry;
    Pending pending;
    ContentLine line;
    bool sawCalendar = false;
    try {
        while (reader.Next(line)) {
            std::string value = UpperAscii(line.value);
            if ((line.name == "BEGIN" || line.name == "END") &&
                (value.empty() || value.size() > 40 ||
                 value.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789-") != std::string::npos))
                throw InputError("line " + std::to_string(line.lineNumber) + ": " + line.name +
                                 " names no calendar component");
            if (line.name == "BEGIN") {
                open.push_back(value);
                sawCalendar = sawCalendar || value == "VCALENDAR";
                if (value == "VEVENT" || value == "VTODO" || value == "VJOURNAL") {
                    entry = OrganizerEntry();
                    entry.kind = value == "VEVENT"  ? OrganizerKind::Calendar
                                 : value == "VTODO" ? OrganizerKind::Task
                                                    : OrganizerKind::Memo;
                    pending = Pending();
                }
                continue;
            }
            if (line.name == "END") {
                if (open.empty() || open.back() != value)
                    throw InputError("line " + std::to_string(line.lineNumber) + ": END:" + Printable(line.value) +
                                     " closes nothing that was begun");
                open.pop_back();
                if (value == "VEVENT" || value == "VTODO" || value == "VJOURNAL") {
                    calendar.Finish(entry, pending);
                    entries.push_back(std::move(entry));
                }
                continue;
            }
            if (open.empty() || open.back() == "VCALENDAR" || open.back() == "VTIMEZONE" || open.back() == "STANDARD" ||
                open.back() == "DAYLIGHT")
                continue;  // calendar-wide lines and time-zone definitions, which the clock has read
            if (open.back() == "VALARM") {
                if (line.name == "TRIGGER")
                    pending.triggers.push_back(line);
                continue;
            }
            Take(line, entry, pending);
        }
    } catch (const ContentLineError& e) {
        throw InputError(e.what());
    }
    if (!sawCalendar)
        throw InputError("is not an iCalendar file: it has no BEGIN:VCALENDAR");
    if (!open.empty())
        throw InputError("ends inside " + open.back() + ", which is never closed");
    return entries;
}

void ICalendarReader::Take(const ContentLine& line, OrganizerEntry& entry, Pending& pending)
{
    for (const char* bookkeeping : kBookkeeping) {
        if (line.name == bookkeeping)
            return;
    }
    bool task = entry.kind == OrganizerKind::Task, memo = entry.kind == OrganizerKind::Memo;
    bool event = entry.kind == OrganizerKind::Calendar;
    if (line.name == "CATEGORIES" && event) {
        for (const std::wstring& category : ContentLine::Split(WidenUtf8(line.value), L','))
            pending.categories.push_back(NarrowUtf8(ContentLine::Unescaped(category)));
    } else if (line.name == "X-KELVRA-TYPE" && event)
        pending.type = WidenUtf8(line.value);
    else if (line.name == "SUMMARY" && !memo)
        entry.SetText(L"SUBJECT", Unescaped(line));
    else if (line.name == "DESCRIPTION")
        entry.SetText(L"DETAIL", Unescaped(line));
    else if (line.name == "LOCATION" && event)
        entry.SetText(L"LOCATION", Unescaped(line));
    else if (line.name == "DTSTART")
        pending.start = line;
    else if ((line.name == "DTEND" && event) || (line.name == "DUE" && task))
        pending.end = line;
    else if (line.name == "DURATION" && event)
        pending.duration = line;
    else if (line.name == "RRULE" && event)
        pending.rule = line;
    else if (line.name == "EXDATE" && event)
        pending.exceptions.push_back(line);
    else if (line.name == "PRIORITY" && task) {
        int priority = atoi(line.value.c_str());
        entry.SetText(L"PRIORITY", priority >= 1 && priority <= 4 ? L"High" : priority >= 6 ? L"Low" : L"Normal");
    } else if (line.name == "STATUS" && task)
        entry.SetText(L"DONE_STATE", UpperAscii(line.value) == "COMPLETED" ? L"Done" : L"Undone");
    else if (line.name == "X-KELVRA-LUNAR" && event)
        entry.SetText(L"START_DATE_TYPE", UpperAscii(line.value) == "TRUE" ? L"LUNAR" : L"");
    else if (line.name == "X-KELVRA-MELODY-TYPE" && event)
        entry.SetText(L"ALARM_MELODY_TYPE", Unescaped(line));
    else if (line.name == "X-KELVRA-MELODY-INDEX" && event)
        entry.columns[L"ALARM_MELODY_INDEX"] = Variant::FromInt(atol(line.value.c_str()));
    else if (line.name == "X-KELVRA-MELODY" && event)
        entry.SetText(L"ALARM_MELODY", Unescaped(line));
    else if (line.name == "X-KELVRA-HOLIDAY" && event)
        entry.SetText(L"ISHOLIDAY", UpperAscii(line.value) == "TRUE" ? L"SET" : L"UNSET");
    else
        Note(entry, line.name + " has no place on the handset");
}

bool ICalendarReader::IsDay(const ContentLine& line)
{
    return UpperAscii(line.Parameter("VALUE")) == "DATE" || line.value.size() == 8;
}

std::optional<DATE> ICalendarReader::Time(const ContentLine& line, const std::string& value, OrganizerEntry& entry,
                                          const std::string& zone) const
{
    std::string problem;
    std::optional<DATE> date = m_clock.Local(value, zone, problem);
    if (!problem.empty())
        Note(entry, line.name + " " + problem);
    return date;
}

void ICalendarReader::TakeAlarm(const ContentLine& trigger, OrganizerEntry& entry) const
{
    if (entry.kind == OrganizerKind::Memo) {
        Note(entry, "a memo keeps no alarm");
        return;
    }
    if (UpperAscii(trigger.Parameter("VALUE")) == "DATE-TIME") {
        auto when = Time(trigger, trigger.value, entry, trigger.Parameter("TZID"));
        if (!when)
            return;
        entry.SetText(L"ALARM_TYPE", entry.kind == OrganizerKind::Task ? L"Time" : L"Target");
        entry.SetDate(entry.kind == OrganizerKind::Task ? L"ALARM_TIME" : L"ALARM_TARGET_DATE", *when);
        return;
    }
    std::string duration = UpperAscii(trigger.value);
    std::wstring unit;
    long value = 0;
    // An entry's alarm leads come before its start, a task's before its due time; an
    // alarm the file relates to the other one is moved to lead the handset's.
    bool task = entry.kind == OrganizerKind::Task;
    bool fromEnd = UpperAscii(trigger.Parameter("RELATED")) == "END";
    if (fromEnd == task) {
        if (!LeadFromDuration(duration, unit, value)) {
            Note(entry, "the alarm " + Printable(trigger.value) + " has no equivalent on the handset");
            return;
        }
    } else if (!LeadMoved(trigger, entry, unit, value)) {
        return;
    }
    entry.SetText(L"ALARM_TYPE", unit);
    entry.columns[L"ALARM_VALUE"] = Variant::FromInt(value);
}

bool ICalendarReader::LeadMoved(const ContentLine& trigger, OrganizerEntry& entry, std::wstring& unit, long& value)
{
    bool task = entry.kind == OrganizerKind::Task;
    std::string said = "the alarm " + Printable(trigger.value) + (task ? " related to the start" : " related to the end");
    std::optional<long long> offset = DurationSeconds(UpperAscii(trigger.value));
    // The handset's own reference must be there; the other one, missing, is taken to be
    // the same instant, as for an entry without an end.
    const wchar_t* own = task ? L"END_DATE" : L"START_DATE";
    if (!offset || !entry.HasDate(own)) {
        Note(entry, said + " has no equivalent on the handset");
        return false;
    }
    DATE start = entry.HasDate(L"START_DATE") ? entry.Date(L"START_DATE") : entry.Date(own);
    DATE end = entry.HasDate(L"END_DATE") ? entry.Date(L"END_DATE") : entry.Date(own);
    if (!task && IsDayEntry(entry))
        end = std::floor(end) + 1;  // a day entry ends where the day after its last begins
    long long between = std::llround((end - start) * 86400.0);
    long long lead = task ? between - *offset : -*offset - between;
    const std::pair<const wchar_t*, long long> units[] = {{L"Week", 604800}, {L"Day", 86400}, {L"Hour", 3600},
                                                          {L"Minute", 60}};
    for (const auto& [name, seconds] : units) {
        if (unit.empty() && lead > 0 && lead % seconds == 0 && lead / seconds <= 999999) {
            unit = name;
            value = static_cast<long>(lead / seconds);
        }
    }
    if (lead == 0)
        unit = L"Minute";
    if (unit.empty())
        Note(entry, said + (lead < 0 ? std::string(" comes after the ") + (task ? "due time" : "start") +
                                           "; the handset's alarms come before it"
                                     : " has no equivalent on the handset"));
    return !unit.empty();
}

void ICalendarReader::TakeRecurrence(const ContentLine& line, const std::string& startZone, OrganizerEntry& entry) const
{
    const std::string& rule = line.value;
    std::map<std::string, std::string> parts = RuleParts(rule);
    std::string frequency = parts["FREQ"], byDay = parts["BYDAY"];
    unsigned flag = 0, weekdays = 0;
    std::string ordinal;
    std::stringstream days(byDay);
    std::string day;
    while (std::getline(days, day, ',')) {
        size_t code = day.size() >= 2 ? day.size() - 2 : 0;
        auto bit = WeekdayBit(day.substr(code));
        if (!bit || (!ordinal.empty() && day.substr(0, code) != ordinal) || (weekdays && code > 0)) {
            Note(entry, "the recurrence " + Printable(rule) + " has no equivalent on the handset");
            return;
        }
        ordinal = day.substr(0, code);
        flag |= 1u << *bit;
        ++weekdays;
    }
    std::wstring type;
    if (!ordinal.empty()) {
        const std::map<std::string, unsigned> weeks = {{"1", 0}, {"+1", 0}, {"2", 1}, {"+2", 1}, {"3", 2},
                                                       {"+3", 2}, {"4", 3}, {"+4", 3}, {"-1", 4}};
        auto week = weeks.find(ordinal);
        if (week == weeks.end() || (frequency != "MONTHLY" && frequency != "YEARLY")) {
            Note(entry, "the recurrence " + Printable(rule) + " has no equivalent on the handset");
            return;
        }
        flag |= 1u << (kFirstWeekBit + week->second);
        type = frequency == "MONTHLY" ? L"4" : L"6";
    } else if (frequency == "DAILY" && byDay.empty()) {
        type = L"1";
    } else if (frequency == "WEEKLY") {
        type = L"2";
    } else if (frequency == "MONTHLY" && byDay.empty()) {
        type = L"3";
    } else if (frequency == "YEARLY" && byDay.empty()) {
        type = L"5";
    } else {
        Note(entry, "the recurrence " + Printable(rule) + " has no equivalent on the handset");
        return;
    }
    for (const char* unsupported : {"COUNT", "BYMONTHDAY", "BYSETPOS", "BYWEEKNO", "BYYEARDAY", "BYHOUR", "BYMINUTE"}) {
        if (parts.count(unsupported))
            Note(entry, std::string("the recurrence's ") + unsupported + " has no place on the handset");
    }
    entry.SetText(L"RECURRENCE_TYPE", type);
    long every = parts.count("INTERVAL") ? atol(parts["INTERVAL"].c_str()) : 1;
    entry.columns[L"RECURRENCE_EVERY"] = Variant::FromInt(every < 1 ? 1 : every);
    if (flag)
        entry.SetText(L"RECURRENCE_FLAG", std::to_wstring(flag));
    // An end without "Z" is in the zone of the start, as the entry's own times are.
    auto until = parts.count("UNTIL") ? Time(line, parts["UNTIL"], entry, startZone) : std::nullopt;
    if (until) {
        entry.SetText(L"RECURRENCE_EXPIRE_TYPE", L"0");
        entry.SetDate(L"RECURRENCE_EXPIRE_DATE", *until);
    } else {
        entry.SetText(L"RECURRENCE_EXPIRE_TYPE", L"2");
    }
}

void ICalendarReader::Finish(OrganizerEntry& entry, const Pending& pending) const
{
    FinishKind(entry, pending);
    FinishTimes(entry, pending);
    std::string startZone = pending.start ? pending.start->Parameter("TZID") : std::string();
    if (pending.rule) {
        TakeRecurrence(*pending.rule, startZone, entry);
        entry.said[L"RECURRENCE_TYPE"] = Said(*pending.rule);
    }
    for (const ContentLine& exception : pending.exceptions) {
        for (const std::wstring& value : ContentLine::Split(WidenUtf8(exception.value), L',')) {
            if (auto date = Time(exception, NarrowUtf8(value), entry, exception.Parameter("TZID")))
                Note(entry, "the occurrence of " + NarrowUtf8(ShownDate(*date)) +
                                " that EXDATE leaves out stays: the handset cannot leave out one occurrence");
        }
    }
    for (const ContentLine& trigger : pending.triggers) {
        TakeAlarm(trigger, entry);
        entry.said[L"ALARM_TYPE"] = Said(trigger);
    }
    if (entry.kind == OrganizerKind::Calendar) {
        if (!entry.columns.count(L"ALARM_TYPE"))
            entry.SetText(L"ALARM_TYPE", L"None");
        if (!entry.columns.count(L"RECURRENCE_TYPE"))
            entry.SetText(L"RECURRENCE_TYPE", L"0");
    }
}

void ICalendarReader::FinishKind(OrganizerEntry& entry, const Pending& pending) const
{
    if (entry.kind == OrganizerKind::Calendar) {
        const CalendarKind* kind = nullptr;
        for (const std::string& category : pending.categories) {
            if (!kind)
                kind = KindOfCategory(WidenUtf8(category));
        }
        entry.SetText(L"TYPE", !pending.type.empty() ? pending.type : kind ? kind->type : L"5");
    }
    std::wstring label = entry.Text(entry.kind == OrganizerKind::Memo ? L"DETAIL" : L"SUBJECT");
    entry.label = label.size() > 40 ? label.substr(0, 40) + L"..." : label;
    if (entry.label.empty())
        entry.label = entry.kind == OrganizerKind::Task ? L"(untitled task)"
                      : entry.kind == OrganizerKind::Memo ? L"(empty memo)"
                                                          : L"(untitled entry)";
}

void ICalendarReader::FinishTimes(OrganizerEntry& entry, const Pending& pending) const
{
    std::string zone = pending.start ? pending.start->Parameter("TZID") : std::string();
    std::optional<DATE> start;
    if (pending.start)
        start = Time(*pending.start, pending.start->value, entry, zone);
    if (start) {
        std::wstring column = entry.kind == OrganizerKind::Memo ? L"CREATE_DATE" : L"START_DATE";
        entry.SetDate(column, *start);
        entry.said[column] = Said(*pending.start);
    }
    std::optional<DATE> end;
    if (pending.end) {
        end = Time(*pending.end, pending.end->value, entry, pending.end->Parameter("TZID"));
        entry.said[L"END_DATE"] = Said(*pending.end);
    } else if (pending.duration && start) {
        entry.said[L"END_DATE"] = Said(*pending.duration);
        if (auto seconds = DurationSeconds(UpperAscii(pending.duration->value)); seconds && *seconds >= 0)
            end = AddSeconds(*start, *seconds);
        else
            Note(entry, "DURATION \"" + Printable(pending.duration->value) + "\" is no length of time");
    }
    bool wholeDay = pending.start && IsDay(*pending.start) && start && entry.kind == OrganizerKind::Calendar;
    if (!wholeDay) {
        if (end)
            entry.SetDate(L"END_DATE", *end);
        return;
    }
    // A day entry's end is the day after its last; the handset keeps the last day, to its
    // last minute, which is how the export knows it for a day entry again.
    DATE lastDay = *start;
    if (end && *end > *start)
        lastDay = *end == std::floor(*end) ? AddSeconds(*end, -86400) : std::floor(*end);
    if (IsWholeDayKind(entry.Text(L"TYPE")) && lastDay == *start)
        return;  // an anniversary or a holiday is its one day, and keeps no end
    entry.SetDate(L"END_DATE", AddSeconds(lastDay, 23 * 3600 + 59 * 60));
}

}  // namespace kelvra::host
