#include "OrganizerDifferences.h"

#include <algorithm>
#include <cmath>
#include <iterator>

#include "ICalendarTerms.h"
#include "ICalendarWriter.h"

namespace kelvra::host {

namespace {

std::string Quoted(const std::wstring& text)
{
    std::string quoted(1, '"');
    quoted += NarrowUtf8(text);
    return quoted += '"';
}

bool StartsWith(const std::wstring& text, const wchar_t* start)
{
    return text.rfind(start, 0) == 0;
}

// The columns that say one thing together: the kind, the repetition, the alarm.
bool IsGrouped(const std::wstring& column)
{
    return column == L"SUID" || column == L"TYPE" || StartsWith(column, L"RECURRENCE_") ||
           column == L"ALARM_TYPE" || column == L"ALARM_VALUE" || column == L"ALARM_TARGET_DATE" ||
           column == L"ALARM_TIME" || StartsWith(column, L"ALARM_BEFORETARGET");
}

const wchar_t* const kShownOrder[] = {L"SUBJECT", L"DETAIL", L"LOCATION", L"START_DATE", L"CREATE_DATE", L"END_DATE"};

size_t Rank(const std::wstring& column)
{
    for (size_t rank = 0; rank < std::size(kShownOrder); ++rank) {
        if (column == kShownOrder[rank])
            return rank;
    }
    return std::size(kShownOrder);
}

}  // namespace

std::vector<std::string> OrganizerDifferences::Between(const OrganizerEntry& given, const OrganizerEntry& held)
{
    std::vector<std::string> lines;
    auto add = [&](const std::string& line) {
        if (!line.empty())
            lines.push_back(line);
    };
    if (given.kind == OrganizerKind::Calendar && held.columns.count(L"TYPE"))
        add(Kind(given, held));
    // In the order a calendar program shows an entry: its title first, then its times.
    std::vector<std::wstring> columns;
    for (const auto& [column, value] : given.columns) {
        if (!IsGrouped(column) && held.columns.count(column))
            columns.push_back(column);
    }
    std::stable_sort(columns.begin(), columns.end(),
                     [](const std::wstring& a, const std::wstring& b) { return Rank(a) < Rank(b); });
    for (const std::wstring& column : columns)
        add(given.columns.at(column).Type() == VT_DATE ? Date(given, held, column) : Text(given, held, column));
    if (given.columns.count(L"RECURRENCE_TYPE") && held.columns.count(L"RECURRENCE_TYPE")) {
        std::string rule = ICalendarWriter::Rule(held);
        if (rule.empty() && held.Text(L"RECURRENCE_TYPE") != L"0" && !held.Text(L"RECURRENCE_TYPE").empty())
            rule = "a repetition of the handset's own";
        auto said = given.said.find(L"RECURRENCE_TYPE");
        add(Grouped(said != given.said.end() ? said->second : "RRULE " + ICalendarWriter::Rule(given),
                    ICalendarWriter::Rule(given), rule));
    }
    if (given.columns.count(L"ALARM_TYPE") && held.columns.count(L"ALARM_TYPE")) {
        auto said = given.said.find(L"ALARM_TYPE");
        add(Grouped(said != given.said.end() ? said->second : "the alarm " + Alarm(given), Alarm(given), Alarm(held)));
    }
    return lines;
}

std::string OrganizerDifferences::Kind(const OrganizerEntry& given, const OrganizerEntry& held)
{
    const CalendarKind& asked = KindOfType(given.Text(L"TYPE"));
    const CalendarKind& kept = KindOfType(held.Text(L"TYPE"));
    if (asked.type == kept.type)
        return {};  // "0" and "5" are both appointments
    return "the entry's kind " + NarrowUtf8(asked.category) + " is kept as " + NarrowUtf8(kept.category);
}

std::string OrganizerDifferences::Date(const OrganizerEntry& given, const OrganizerEntry& held,
                                       const std::wstring& column)
{
    if (!HoldsDate(given, column))
        return {};
    auto found = given.said.find(column);
    std::string said = found != given.said.end() ? found->second
                                                 : Property(given, column) + " " + NarrowUtf8(ShownDate(given.Date(column)));
    if (!HoldsDate(held, column))
        return said + " is not kept";
    if (std::fabs(given.Date(column) - held.Date(column)) * 86400 < 0.5)
        return {};
    return said + " is kept as " + NarrowUtf8(ShownDate(held.Date(column)));
}

std::string OrganizerDifferences::Text(const OrganizerEntry& given, const OrganizerEntry& held,
                                       const std::wstring& column)
{
    std::wstring asked = given.Text(column), kept = held.Text(column);
    if (column == L"ISHOLIDAY" && kept.empty())
        kept = L"UNSET";
    if (asked == kept || asked.empty())
        return {};
    std::string property = Property(given, column);
    if (kept.empty())
        return property + " " + Quoted(asked) + " is not kept";
    if (asked.compare(0, kept.size(), kept) == 0)
        return property + " is cut to " + std::to_string(kept.size()) + " characters: " + Quoted(kept);
    return property + " " + Quoted(asked) + " is kept as " + Quoted(kept);
}

std::string OrganizerDifferences::Grouped(const std::string& said, const std::string& given, const std::string& held)
{
    if (given == held)
        return {};
    return held.empty() ? said + " is not kept" : said + " is kept as " + held;
}

std::string OrganizerDifferences::Alarm(const OrganizerEntry& entry)
{
    std::wstring unit = entry.Text(L"ALARM_TYPE");
    const wchar_t* at = entry.kind == OrganizerKind::Task ? L"ALARM_TIME" : L"ALARM_TARGET_DATE";
    if ((unit == L"Target" || unit == L"Time") && HoldsDate(entry, at))
        return "at " + NarrowUtf8(ShownDate(entry.Date(at)));
    std::wstring value = entry.Text(L"ALARM_VALUE");
    return LeadDuration(unit, value.empty() ? 0 : wcstol(value.c_str(), nullptr, 10));
}

std::string OrganizerDifferences::Property(const OrganizerEntry& entry, const std::wstring& column)
{
    static const std::pair<const wchar_t*, const char*> kProperties[] = {
        {L"SUBJECT", "SUMMARY"},
        {L"DETAIL", "DESCRIPTION"},
        {L"LOCATION", "LOCATION"},
        {L"START_DATE", "DTSTART"},
        {L"CREATE_DATE", "DTSTART"},
        {L"PRIORITY", "PRIORITY"},
        {L"DONE_STATE", "STATUS"},
        {L"START_DATE_TYPE", "X-KELVRA-LUNAR"},
        {L"ISHOLIDAY", "X-KELVRA-HOLIDAY"},
        {L"ALARM_MELODY_TYPE", "X-KELVRA-MELODY-TYPE"},
        {L"ALARM_MELODY_INDEX", "X-KELVRA-MELODY-INDEX"},
        {L"ALARM_MELODY", "X-KELVRA-MELODY"}};
    if (column == L"END_DATE")
        return entry.kind == OrganizerKind::Task ? "DUE" : "DTEND";
    for (const auto& [name, property] : kProperties) {
        if (column == name)
            return property;
    }
    return NarrowUtf8(column);
}

}  // namespace kelvra::host
