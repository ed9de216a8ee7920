#include "ICalendarReader.h"

#include <map>
#include <sstream>

#include "ComFailure.h"
#include "ContentLineReader.h"
#include "ICalendarTerms.h"

namespace kelvra::host {

namespace {

// Lines that say how the file or entry was made, not what the person holds.
const char* const kBookkeeping[] = {"UID", "DTSTAMP", "CREATED", "LAST-MODIFIED", "SEQUENCE", "PRODID",
                                    "VERSION", "CALSCALE", "METHOD", "TRANSP", "CLASS", "X-KELVRA-TYPE"};

std::wstring Unescaped(const ContentLine& line)
{
    return ContentLine::Unescaped(WidenUtf8(line.value));
}

std::map<std::string, std::string> RuleParts(const std::string& rule)
{
    std::map<std::string, std::string> parts;
    std::stringstream stream(rule);
    std::string part;
    while (std::getline(stream, part, ';')) {
        size_t equals = part.find('=');
        if (equals != std::string::npos)
            parts[UpperAscii(part.substr(0, equals))] = UpperAscii(part.substr(equals + 1));
    }
    return parts;
}

void Note(OrganizerEntry& entry, const std::string& what)
{
    entry.notes.push_back(what);
}

}  // namespace

std::vector<OrganizerEntry> ICalendarReader::Read(const std::string& bytes)
{
    ContentLineReader reader(bytes);
    std::vector<OrganizerEntry> entries;
    std::vector<std::string> open;  // the components the line is inside
    OrganizerEntry entry;
    std::vector<std::string> categories;
    std::wstring type;
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
                    categories.clear();
                    type.clear();
                }
                continue;
            }
            if (line.name == "END") {
                if (open.empty() || open.back() != value)
                    throw InputError("line " + std::to_string(line.lineNumber) + ": END:" + Printable(line.value) +
                                     " closes nothing that was begun");
                open.pop_back();
                if (value == "VEVENT" || value == "VTODO" || value == "VJOURNAL") {
                    Finish(entry, categories, type);
                    entries.push_back(std::move(entry));
                }
                continue;
            }
            if (open.empty() || open.back() == "VCALENDAR" || open.back() == "VTIMEZONE" || open.back() == "STANDARD" ||
                open.back() == "DAYLIGHT")
                continue;  // calendar-wide lines and time-zone definitions
            if (open.back() == "VALARM") {
                if (line.name == "TRIGGER")
                    TakeAlarm(line, entry);
                continue;
            }
            if (line.name == "CATEGORIES") {
                for (const std::wstring& category : ContentLine::Split(WidenUtf8(line.value), L','))
                    categories.push_back(NarrowUtf8(ContentLine::Unescaped(category)));
            } else if (line.name == "X-KELVRA-TYPE") {
                type = WidenUtf8(line.value);
            } else {
                Take(line, entry);
            }
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

void ICalendarReader::Take(const ContentLine& line, OrganizerEntry& entry)
{
    for (const char* bookkeeping : kBookkeeping) {
        if (line.name == bookkeeping)
            return;
    }
    bool task = entry.kind == OrganizerKind::Task, memo = entry.kind == OrganizerKind::Memo;
    auto date = [&](const std::wstring& column) {
        if (auto value = DateFromText(line.value))
            entry.SetDate(column, *value);
        else
            Note(entry, line.name + " \"" + Printable(line.value) + "\" is no date the handset can read");
    };
    if (line.name == "SUMMARY" && !memo)
        entry.SetText(L"SUBJECT", Unescaped(line));
    else if (line.name == "DESCRIPTION")
        entry.SetText(L"DETAIL", Unescaped(line));
    else if (line.name == "LOCATION" && entry.kind == OrganizerKind::Calendar)
        entry.SetText(L"LOCATION", Unescaped(line));
    else if (line.name == "DTSTART")
        date(memo ? L"CREATE_DATE" : L"START_DATE");
    else if ((line.name == "DTEND" && entry.kind == OrganizerKind::Calendar) || (line.name == "DUE" && task))
        date(L"END_DATE");
    else if (line.name == "RRULE" && entry.kind == OrganizerKind::Calendar)
        TakeRecurrence(line.value, entry);
    else if (line.name == "PRIORITY" && task) {
        int priority = atoi(line.value.c_str());
        entry.SetText(L"PRIORITY", priority >= 1 && priority <= 4 ? L"High" : priority >= 6 ? L"Low" : L"Normal");
    } else if (line.name == "STATUS" && task)
        entry.SetText(L"DONE_STATE", UpperAscii(line.value) == "COMPLETED" ? L"Done" : L"Undone");
    else if (line.name == "X-KELVRA-LUNAR" && entry.kind == OrganizerKind::Calendar)
        entry.SetText(L"START_DATE_TYPE", UpperAscii(line.value) == "TRUE" ? L"LUNAR" : L"");
    else if (line.name == "X-KELVRA-MELODY-TYPE" && entry.kind == OrganizerKind::Calendar)
        entry.SetText(L"ALARM_MELODY_TYPE", Unescaped(line));
    else if (line.name == "X-KELVRA-MELODY-INDEX" && entry.kind == OrganizerKind::Calendar)
        entry.columns[L"ALARM_MELODY_INDEX"] = Variant::FromInt(atol(line.value.c_str()));
    else if (line.name == "X-KELVRA-MELODY" && entry.kind == OrganizerKind::Calendar)
        entry.SetText(L"ALARM_MELODY", Unescaped(line));
    else if (line.name == "X-KELVRA-HOLIDAY" && entry.kind == OrganizerKind::Calendar)
        entry.SetText(L"ISHOLIDAY", UpperAscii(line.value) == "TRUE" ? L"SET" : L"UNSET");
    else
        Note(entry, line.name + " has no place on the handset");
}

void ICalendarReader::TakeAlarm(const ContentLine& trigger, OrganizerEntry& entry)
{
    if (entry.kind == OrganizerKind::Memo) {
        Note(entry, "a memo keeps no alarm");
        return;
    }
    if (UpperAscii(trigger.Parameter("VALUE")) == "DATE-TIME") {
        auto when = DateFromText(trigger.value);
        if (!when) {
            Note(entry, "the alarm time \"" + Printable(trigger.value) + "\" is no date the handset can read");
            return;
        }
        entry.SetText(L"ALARM_TYPE", entry.kind == OrganizerKind::Task ? L"Time" : L"Target");
        entry.SetDate(entry.kind == OrganizerKind::Task ? L"ALARM_TIME" : L"ALARM_TARGET_DATE", *when);
        return;
    }
    std::wstring unit;
    long value = 0;
    if (!LeadFromDuration(UpperAscii(trigger.value), unit, value)) {
        Note(entry, "the alarm " + Printable(trigger.value) + " has no equivalent on the handset");
        return;
    }
    entry.SetText(L"ALARM_TYPE", unit);
    entry.columns[L"ALARM_VALUE"] = Variant::FromInt(value);
}

void ICalendarReader::TakeRecurrence(const std::string& rule, OrganizerEntry& entry)
{
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
    auto until = parts.count("UNTIL") ? DateFromText(parts["UNTIL"]) : std::nullopt;
    if (until) {
        entry.SetText(L"RECURRENCE_EXPIRE_TYPE", L"0");
        entry.SetDate(L"RECURRENCE_EXPIRE_DATE", *until);
    } else {
        entry.SetText(L"RECURRENCE_EXPIRE_TYPE", L"2");
    }
}

void ICalendarReader::Finish(OrganizerEntry& entry, const std::vector<std::string>& categories, const std::wstring& type)
{
    if (entry.kind == OrganizerKind::Calendar) {
        const CalendarKind* kind = nullptr;
        for (const std::string& category : categories) {
            if (!kind)
                kind = KindOfCategory(WidenUtf8(category));
        }
        entry.SetText(L"TYPE", !type.empty() ? type : kind ? kind->type : L"5");
        if (!entry.columns.count(L"ALARM_TYPE"))
            entry.SetText(L"ALARM_TYPE", L"None");
        if (!entry.columns.count(L"RECURRENCE_TYPE"))
            entry.SetText(L"RECURRENCE_TYPE", L"0");
    }
    std::wstring label = entry.Text(entry.kind == OrganizerKind::Memo ? L"DETAIL" : L"SUBJECT");
    entry.label = label.size() > 40 ? label.substr(0, 40) + L"..." : label;
    if (entry.label.empty())
        entry.label = entry.kind == OrganizerKind::Task ? L"(untitled task)"
                      : entry.kind == OrganizerKind::Memo ? L"(empty memo)"
                                                          : L"(untitled entry)";
}

}  // namespace kelvra::host
