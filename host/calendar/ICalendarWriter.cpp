#include "ICalendarWriter.h"

#include <cmath>
#include <cstdio>

#include "ContentLine.h"
#include "ContentLineWriter.h"
#include "ICalendarTerms.h"

namespace kelvra::host {

namespace {

std::string TextLine(const char* name, const std::wstring& text)
{
    return text.empty() ? std::string() : ContentLineWriter::Line(name, ContentLine::Escaped(text));
}

std::string Raw(const std::string& name, const std::string& value)
{
    return ContentLineWriter::Line(name, WidenUtf8(value));
}

std::string DateLine(const char* name, const OrganizerEntry& entry, const std::wstring& column, bool wholeDay)
{
    if (!HoldsDate(entry, column))
        return {};
    ContentLine line;
    line.name = name;
    if (wholeDay)
        line.parameters.push_back({"VALUE", {"DATE"}});
    line.value = DateText(entry.Date(column), wholeDay);
    return ContentLineWriter::Line(line);
}

std::string Uid(const char* what, const OrganizerEntry& entry)
{
    return Raw("UID", std::string("kelvra-") + what + "-" + NarrowUtf8(entry.Text(L"SUID")) + "@handset");
}

long Number(const OrganizerEntry& entry, const std::wstring& column)
{
    std::wstring text = entry.Text(column);
    return text.empty() ? 0 : wcstol(text.c_str(), nullptr, 10);
}

}  // namespace

std::string ICalendarWriter::Write(const std::vector<OrganizerEntry>& entries, const std::string& stamp)
{
    std::string out = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Orvane//kelvra-sync//EN\r\n";
    for (const OrganizerEntry& entry : entries) {
        switch (entry.kind) {
        case OrganizerKind::Calendar: out += Event(entry, stamp); break;
        case OrganizerKind::Task: out += Task(entry, stamp); break;
        case OrganizerKind::Memo: out += Journal(entry, stamp); break;
        }
    }
    return out + "END:VCALENDAR\r\n";
}

std::string ICalendarWriter::Event(const OrganizerEntry& entry, const std::string& stamp)
{
    std::wstring type = entry.Text(L"TYPE");
    const CalendarKind& kind = KindOfType(type);
    bool wholeDay = IsDayEntry(entry);
    std::string out = "BEGIN:VEVENT\r\n" + Uid("calendar", entry) + Raw("DTSTAMP", stamp);
    out += DateLine("DTSTART", entry, L"START_DATE", wholeDay);
    if (wholeDay && !IsWholeDayKind(kind.type)) {
        // A day entry ends where the day after its last begins.
        ContentLine end;
        end.name = "DTEND";
        end.parameters.push_back({"VALUE", {"DATE"}});
        end.value = DateText(std::floor(entry.Date(L"END_DATE")) + 1, true);
        out += ContentLineWriter::Line(end);
    } else if (!IsWholeDayKind(kind.type) && entry.Date(L"END_DATE") >= entry.Date(L"START_DATE")) {
        // An end before the start (one the handset never set) is left out; calendar programs refuse it.
        out += DateLine("DTEND", entry, L"END_DATE", false);
    }
    out += TextLine("SUMMARY", entry.Text(L"SUBJECT")) + TextLine("DESCRIPTION", entry.Text(L"DETAIL")) +
           TextLine("LOCATION", entry.Text(L"LOCATION"));
    out += Raw("CATEGORIES", NarrowUtf8(kind.category));
    // The handset's own kind number, so that a round trip keeps "0" apart from "5".
    out += Raw("X-KELVRA-TYPE", NarrowUtf8(type.empty() ? kind.type : type));
    if (entry.Text(L"START_DATE_TYPE") == L"LUNAR")
        out += Raw("X-KELVRA-LUNAR", "TRUE");
    if (entry.Text(L"ISHOLIDAY") == L"SET")
        out += Raw("X-KELVRA-HOLIDAY", "TRUE");
    std::string rule = Rule(entry);
    out += rule.empty() ? std::string() : Raw("RRULE", rule);
    // The alarm's sound is the handset's own; it goes along so that a round trip keeps it.
    std::wstring melodyType = entry.Text(L"ALARM_MELODY_TYPE");
    if (!melodyType.empty() && melodyType != L"bell")
        out += TextLine("X-KELVRA-MELODY-TYPE", melodyType);
    if (Number(entry, L"ALARM_MELODY_INDEX"))
        out += Raw("X-KELVRA-MELODY-INDEX", std::to_string(Number(entry, L"ALARM_MELODY_INDEX")));
    out += TextLine("X-KELVRA-MELODY", entry.Text(L"ALARM_MELODY"));

    std::wstring unit = entry.Text(L"ALARM_TYPE");
    if ((unit == L"Target" || unit == L"Time") && HoldsDate(entry, L"ALARM_TARGET_DATE"))
        out += Alarm("TRIGGER;VALUE=DATE-TIME:" + UtcDateText(entry.Date(L"ALARM_TARGET_DATE")),
                     entry.Text(L"SUBJECT"));
    else if (!LeadDuration(unit, Number(entry, L"ALARM_VALUE")).empty())
        out += Alarm("TRIGGER:" + LeadDuration(unit, Number(entry, L"ALARM_VALUE")), entry.Text(L"SUBJECT"));
    return out + "END:VEVENT\r\n";
}

std::string ICalendarWriter::Rule(const OrganizerEntry& entry)
{
    std::wstring type = entry.Text(L"RECURRENCE_TYPE");
    unsigned flag = static_cast<unsigned>(Number(entry, L"RECURRENCE_FLAG"));
    long every = Number(entry, L"RECURRENCE_EVERY");
    std::string rule;
    std::string weekdays, nthWeekday;
    unsigned weekdayCount = 0, weekCount = 0;
    for (unsigned bit = 0; bit < 7; ++bit) {
        if (flag & (1u << bit)) {
            weekdays += std::string(weekdays.empty() ? "" : ",") + WeekdayCode(bit);
            ++weekdayCount;
        }
    }
    for (unsigned week = 0; week < 5; ++week) {
        if (flag & (1u << (kFirstWeekBit + week))) {
            nthWeekday = (week == 4 ? "-1" : std::to_string(week + 1)) + weekdays;
            ++weekCount;
        }
    }
    // The n-th weekday of a month names one week and one day; anything else is no rule
    // a calendar program would read the same way, and is left out.
    bool oneNthWeekday = weekdayCount == 1 && weekCount == 1;
    if (type == L"1")
        rule = "FREQ=DAILY";
    else if (type == L"2")
        rule = "FREQ=WEEKLY" + (weekdays.empty() ? std::string() : ";BYDAY=" + weekdays);
    else if (type == L"3")
        rule = "FREQ=MONTHLY";
    else if (type == L"4" && oneNthWeekday)
        rule = "FREQ=MONTHLY;BYDAY=" + nthWeekday;
    else if (type == L"5")
        rule = "FREQ=YEARLY";
    else if (type == L"6" && oneNthWeekday)
        rule = "FREQ=YEARLY;BYDAY=" + nthWeekday;
    else
        return {};
    if (every > 1)
        rule += ";INTERVAL=" + std::to_string(every);
    if (entry.Text(L"RECURRENCE_EXPIRE_TYPE") != L"2" && HoldsDate(entry, L"RECURRENCE_EXPIRE_DATE")) {
        // An expiry day the handset keeps without a time lasts to that day's end.
        // The end of a day entry's repetition is a day, as its start is.
        std::string until = DateText(entry.Date(L"RECURRENCE_EXPIRE_DATE"), IsDayEntry(entry));
        if (until.size() > 8 && until.compare(8, 7, "T000000") == 0)
            until.replace(8, 7, "T235959");
        rule += ";UNTIL=" + until;
    }
    return rule;
}

std::string ICalendarWriter::Alarm(const std::string& trigger, const std::wstring& description)
{
    return "BEGIN:VALARM\r\nACTION:DISPLAY\r\n" +
           ContentLineWriter::Line("DESCRIPTION", ContentLine::Escaped(description.empty() ? L"Reminder" : description)) +
           trigger + "\r\nEND:VALARM\r\n";
}

std::string ICalendarWriter::Task(const OrganizerEntry& entry, const std::string& stamp)
{
    std::string out = "BEGIN:VTODO\r\n" + Uid("task", entry) + Raw("DTSTAMP", stamp);
    out += DateLine("DTSTART", entry, L"START_DATE", false) + DateLine("DUE", entry, L"END_DATE", false);
    out += TextLine("SUMMARY", entry.Text(L"SUBJECT")) + TextLine("DESCRIPTION", entry.Text(L"DETAIL"));
    std::wstring priority = entry.Text(L"PRIORITY");
    out += Raw("PRIORITY", priority == L"High" ? "1" : priority == L"Low" ? "9" : "5");
    out += Raw("STATUS", entry.Text(L"DONE_STATE") == L"Done" ? "COMPLETED" : "NEEDS-ACTION");
    std::wstring unit = entry.Text(L"ALARM_TYPE");
    if (unit == L"Time" && HoldsDate(entry, L"ALARM_TIME"))
        out += Alarm("TRIGGER;VALUE=DATE-TIME:" + UtcDateText(entry.Date(L"ALARM_TIME")), entry.Text(L"SUBJECT"));
    else if (!LeadDuration(unit, Number(entry, L"ALARM_VALUE")).empty())
        out += Alarm("TRIGGER;RELATED=END:" + LeadDuration(unit, Number(entry, L"ALARM_VALUE")), entry.Text(L"SUBJECT"));
    return out + "END:VTODO\r\n";
}

std::string ICalendarWriter::Journal(const OrganizerEntry& entry, const std::string& stamp)
{
    return "BEGIN:VJOURNAL\r\n" + Uid("memo", entry) + Raw("DTSTAMP", stamp) +
           DateLine("DTSTART", entry, L"CREATE_DATE", false) + TextLine("DESCRIPTION", entry.Text(L"DETAIL")) +
           "END:VJOURNAL\r\n";
}

std::string ICalendarWriter::StampNow()
{
    SYSTEMTIME now = {};
    GetSystemTime(&now);
    char stamp[32];
    snprintf(stamp, sizeof(stamp), "%04u%02u%02uT%02u%02u%02uZ", now.wYear, now.wMonth, now.wDay, now.wHour,
             now.wMinute, now.wSecond);
    return stamp;
}

}  // namespace kelvra::host
