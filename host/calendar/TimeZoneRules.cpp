#include "TimeZoneRules.h"

#include <cmath>
#include <cstdlib>
#include <map>
#include <sstream>

#include "ComTypes.h"
#include "ICalendarTerms.h"

namespace kelvra::host {

namespace {

// A common zone's rules as in force today: its standard offset and, when it keeps
// summer time, the offset then and the two changes (month, week of the month with -1
// for the last, hour of the wall clock before the change; always on a Sunday).
struct KnownZone {
    const char* names;  // separated by spaces
    int standard, daylight;
    int toDaylightMonth, toDaylightWeek, toDaylightHour;
    int toStandardMonth, toStandardWeek, toStandardHour;
};

const KnownZone kKnownZones[] = {
    {"UTC Etc/UTC GMT Etc/GMT Africa/Abidjan Atlantic/Reykjavik", 0, 0, 0, 0, 0, 0, 0, 0},
    {"Europe/London Europe/Dublin Europe/Lisbon Atlantic/Canary", 0, 60, 3, -1, 1, 10, -1, 2},
    {"Europe/Berlin Europe/Paris Europe/Madrid Europe/Rome Europe/Amsterdam Europe/Brussels Europe/Vienna "
     "Europe/Zurich Europe/Stockholm Europe/Oslo Europe/Copenhagen Europe/Warsaw Europe/Prague Europe/Budapest "
     "Europe/Belgrade Europe/Luxembourg",
     60, 120, 3, -1, 2, 10, -1, 3},
    {"Europe/Helsinki Europe/Athens Europe/Kyiv Europe/Kiev Europe/Bucharest Europe/Sofia Europe/Riga "
     "Europe/Vilnius Europe/Tallinn",
     120, 180, 3, -1, 3, 10, -1, 4},
    {"Europe/Moscow Europe/Istanbul Asia/Riyadh", 180, 180, 0, 0, 0, 0, 0, 0},
    {"Asia/Dubai", 240, 240, 0, 0, 0, 0, 0, 0},
    {"Asia/Kolkata Asia/Calcutta", 330, 330, 0, 0, 0, 0, 0, 0},
    {"Asia/Bangkok Asia/Jakarta Asia/Ho_Chi_Minh", 420, 420, 0, 0, 0, 0, 0, 0},
    {"Asia/Shanghai Asia/Hong_Kong Asia/Taipei Asia/Singapore Asia/Manila Australia/Perth", 480, 480, 0, 0, 0, 0, 0, 0},
    {"Asia/Seoul Asia/Tokyo", 540, 540, 0, 0, 0, 0, 0, 0},
    {"Australia/Brisbane", 600, 600, 0, 0, 0, 0, 0, 0},
    {"Australia/Sydney Australia/Melbourne Australia/Canberra Australia/Hobart", 600, 660, 10, 1, 2, 4, 1, 3},
    {"Pacific/Auckland", 720, 780, 9, -1, 2, 4, 1, 3},
    {"America/Sao_Paulo America/Argentina/Buenos_Aires", -180, -180, 0, 0, 0, 0, 0, 0},
    {"America/New_York America/Toronto America/Detroit", -300, -240, 3, 2, 2, 11, 1, 2},
    {"America/Chicago America/Winnipeg", -360, -300, 3, 2, 2, 11, 1, 2},
    {"America/Denver America/Edmonton", -420, -360, 3, 2, 2, 11, 1, 2},
    {"America/Mexico_City America/Regina", -360, -360, 0, 0, 0, 0, 0, 0},
    {"America/Phoenix", -420, -420, 0, 0, 0, 0, 0, 0},
    {"America/Los_Angeles America/Vancouver", -480, -420, 3, 2, 2, 11, 1, 2},
    {"America/Anchorage", -540, -480, 3, 2, 2, 11, 1, 2},
    {"Pacific/Honolulu", -600, -600, 0, 0, 0, 0, 0, 0},
};

bool Names(const char* names, const std::string& name)
{
    std::stringstream words(names);
    std::string word;
    while (words >> word) {
        if (word == name)
            return true;
    }
    return false;
}

}  // namespace

std::optional<int> TimeZoneRules::ParseOffset(const std::string& text)
{
    // "+0100", "-0530", "+013000"
    if ((text.size() != 5 && text.size() != 7) || (text[0] != '+' && text[0] != '-') ||
        text.find_first_not_of("0123456789", 1) != std::string::npos)
        return std::nullopt;
    int hours = std::atoi(text.substr(1, 2).c_str()), minutes = std::atoi(text.substr(3, 2).c_str());
    if (hours > 23 || minutes > 59)
        return std::nullopt;
    int offset = hours * 60 + minutes;
    return text[0] == '-' ? -offset : offset;
}

std::optional<TimeZoneRules::YearlyRule> TimeZoneRules::ParseRule(const std::string& rule, std::string& problem)
{
    std::map<std::string, std::string> parts = RuleParts(rule);
    YearlyRule yearly;
    yearly.month = std::atoi(parts["BYMONTH"].c_str());
    std::string byDay = parts["BYDAY"];
    size_t code = byDay.size() >= 2 ? byDay.size() - 2 : 0;
    auto weekday = WeekdayBit(byDay.substr(code));
    std::string week = byDay.substr(0, code);
    yearly.week = week.empty() ? 0 : std::atoi(week.c_str());
    std::stringstream days(parts["BYMONTHDAY"]);
    std::string day;
    while (std::getline(days, day, ','))
        yearly.monthDays.push_back(std::atoi(day.c_str()));
    bool weekGiven = yearly.week != 0 && yearly.week >= -5 && yearly.week <= 5;
    if (parts["FREQ"] != "YEARLY" || yearly.month < 1 || yearly.month > 12 || !weekday ||
        (weekGiven == !yearly.monthDays.empty()) || week.find_first_not_of("+-0123456789") != std::string::npos) {
        problem = "its rule " + Printable(rule) + " is not a yearly change on a weekday";
        return std::nullopt;
    }
    yearly.weekday = static_cast<int>(*weekday);
    return yearly;
}

std::string TimeZoneRules::AddObservance(const std::vector<ContentLine>& lines)
{
    Observance observance;
    bool sawStart = false, sawFrom = false, sawTo = false;
    std::string problem;
    for (const ContentLine& line : lines) {
        if (line.name == "DTSTART") {
            bool utc = false;
            auto start = WallDateFromText(line.value, utc);
            sawStart = start.has_value() && !utc;
            observance.start = start.value_or(0);
        } else if (line.name == "TZOFFSETFROM" || line.name == "TZOFFSETTO") {
            auto offset = ParseOffset(line.value);
            (line.name == "TZOFFSETFROM" ? sawFrom : sawTo) = offset.has_value();
            (line.name == "TZOFFSETFROM" ? observance.offsetFrom : observance.offsetTo) = offset.value_or(0);
        } else if (line.name == "RRULE") {
            observance.rule = ParseRule(line.value, problem);
            if (!observance.rule)
                return problem;
            std::string until = RuleParts(line.value)["UNTIL"];
            bool utc = false;
            if (!until.empty())
                observance.until = WallDateFromText(until, utc);
        } else if (line.name == "RDATE") {
            for (const std::wstring& value : ContentLine::Split(WidenUtf8(line.value), L',')) {
                bool utc = false;
                if (auto date = WallDateFromText(NarrowUtf8(value), utc))
                    observance.dates.push_back(*date);
            }
        }
    }
    if (!sawStart || !sawFrom || !sawTo)
        return "a part of it lacks a readable DTSTART, TZOFFSETFROM or TZOFFSETTO";
    m_observances.push_back(std::move(observance));
    return {};
}

std::optional<DATE> TimeZoneRules::OnsetIn(const Observance& observance, int year)
{
    SYSTEMTIME first = {};
    VariantTimeToSystemTime(observance.start, &first);
    if (!observance.rule || year < first.wYear)
        return std::nullopt;
    const YearlyRule& rule = *observance.rule;
    DATE day = 0;
    if (!rule.monthDays.empty()) {
        // "the first Sunday on or after the 8th": one of the listed days that is the weekday
        bool found = false;
        for (int monthDay : rule.monthDays) {
            DATE candidate = DayDate(year, rule.month, monthDay);
            if (monthDay >= 1 && monthDay <= 31 && WeekdayOf(candidate) == rule.weekday && (!found || candidate < day)) {
                day = candidate;
                found = true;
            }
        }
        if (!found)
            return std::nullopt;
    } else if (rule.week > 0) {
        DATE firstDay = DayDate(year, rule.month, 1);
        day = firstDay + (rule.weekday - WeekdayOf(firstDay) + 7) % 7 + 7 * (rule.week - 1);
    } else {
        DATE lastDay = DayDate(rule.month == 12 ? year + 1 : year, rule.month == 12 ? 1 : rule.month + 1, 1) - 1;
        day = lastDay - (WeekdayOf(lastDay) - rule.weekday + 7) % 7 + 7 * (rule.week + 1);
    }
    DATE onset = day + (observance.start - std::floor(observance.start));
    if (onset < observance.start || (observance.until && onset > *observance.until + 1))
        return std::nullopt;
    return onset;
}

int TimeZoneRules::OffsetAt(DATE wall) const
{
    SYSTEMTIME when = {};
    VariantTimeToSystemTime(wall, &when);
    std::optional<DATE> latest;
    const Observance* current = nullptr;
    const Observance* earliest = nullptr;
    for (const Observance& observance : m_observances) {
        if (!earliest || observance.start < earliest->start)
            earliest = &observance;
        std::vector<DATE> onsets = observance.dates;
        onsets.push_back(observance.start);
        for (int year = when.wYear - 1; year <= when.wYear; ++year) {
            if (auto onset = OnsetIn(observance, year))
                onsets.push_back(*onset);
        }
        for (DATE onset : onsets) {
            if (onset <= wall && (!latest || onset > *latest)) {
                latest = onset;
                current = &observance;
            }
        }
    }
    if (current)
        return current->offsetTo;
    return earliest ? earliest->offsetFrom : 0;
}

std::optional<TimeZoneRules> TimeZoneRules::Known(const std::string& name)
{
    for (const KnownZone& zone : kKnownZones) {
        if (!Names(zone.names, name))
            continue;
        TimeZoneRules rules;
        if (zone.standard == zone.daylight) {
            rules.m_observances.push_back({DayDate(1970, 1, 1), zone.standard, zone.standard, std::nullopt, {}, {}});
            return rules;
        }
        auto change = [](int month, int week, int hour, int from, int to) {
            Observance observance{DayDate(1970, 1, 1) + hour / 24.0, from, to, YearlyRule{month, week, 0, {}}, {}, {}};
            return observance;
        };
        rules.m_observances.push_back(change(zone.toDaylightMonth, zone.toDaylightWeek, zone.toDaylightHour,
                                             zone.standard, zone.daylight));
        rules.m_observances.push_back(change(zone.toStandardMonth, zone.toStandardWeek, zone.toStandardHour,
                                             zone.daylight, zone.standard));
        return rules;
    }
    return std::nullopt;
}

}  // namespace kelvra::host
