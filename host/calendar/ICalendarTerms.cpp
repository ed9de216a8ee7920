#include "ICalendarTerms.h"

#include <cmath>
#include <cstdio>
#include <cwctype>
#include <sstream>

#include "ContentLine.h"
#include "ItemColumns.h"

namespace kelvra::host {

namespace {

const CalendarKind kKinds[] = {{L"5", L"APPOINTMENT"}, {L"1", L"ANNIVERSARY"}, {L"4", L"HOLIDAY"},
                               {L"20", L"IMPORTANT"},  {L"25", L"PRIVATE"},    {L"34", L"EVENT"}};
const char* const kWeekdays[] = {"SU", "MO", "TU", "WE", "TH", "FR", "SA"};

bool EqualIgnoringCase(const std::wstring& a, const std::wstring& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::towupper(a[i]) != std::towupper(b[i]))
            return false;
    }
    return true;
}

}  // namespace

const CalendarKind& KindOfType(const std::wstring& type)
{
    for (const CalendarKind& kind : kKinds) {
        if (type == kind.type)
            return kind;
    }
    return kKinds[0];
}

const CalendarKind* KindOfCategory(const std::wstring& category)
{
    for (const CalendarKind& kind : kKinds) {
        if (EqualIgnoringCase(category, kind.category))
            return &kind;
    }
    return nullptr;
}

bool IsWholeDayKind(const std::wstring& type)
{
    return type == L"1" || type == L"4";
}

const char* WeekdayCode(unsigned weekdayBit)
{
    return weekdayBit < 7 ? kWeekdays[weekdayBit] : "";
}

std::optional<unsigned> WeekdayBit(const std::string& code)
{
    for (unsigned bit = 0; bit < 7; ++bit) {
        if (code == kWeekdays[bit])
            return bit;
    }
    return std::nullopt;
}

std::string LeadDuration(const std::wstring& unit, long value)
{
    std::string number = std::to_string(value < 0 ? 0 : value);
    if (unit == L"Minute")
        return "-PT" + number + "M";
    if (unit == L"Hour")
        return "-PT" + number + "H";
    if (unit == L"Day")
        return "-P" + number + "D";
    if (unit == L"Week")
        return "-P" + number + "W";
    return {};
}

bool LeadFromDuration(const std::string& duration, std::wstring& unit, long& value)
{
    // "-P[n]W", "-P[n]D", "-PT[n]H", "-PT[n]M": one unit only; anything else has no
    // place in the handset's alarm.
    if (duration == "PT0S" || duration == "-PT0S" || duration == "PT0M" || duration == "-PT0M") {
        unit = L"Minute";  // at the start itself
        value = 0;
        return true;
    }
    if (duration.empty() || duration[0] != '-')
        return false;  // an alarm after the start has no place on the handset
    std::string text = duration.substr(1);
    if (text.rfind("PT", 0) == 0)
        text = text.substr(2);
    else if (text.rfind("P", 0) == 0)
        text = text.substr(1);
    else
        return false;
    if (text.size() < 2)
        return false;
    char last = text.back();
    std::string digits = text.substr(0, text.size() - 1);
    if (digits.find_first_not_of("0123456789") != std::string::npos || digits.size() > 6)
        return false;
    value = std::stol(digits);
    bool timePart = duration.find('T') != std::string::npos;
    if (timePart && last == 'M')
        unit = L"Minute";
    else if (timePart && last == 'H')
        unit = L"Hour";
    else if (!timePart && last == 'D')
        unit = L"Day";
    else if (!timePart && last == 'W')
        unit = L"Week";
    else
        return false;
    return true;
}

std::string DateText(DATE date, bool wholeDay)
{
    SYSTEMTIME time = {};
    VariantTimeToSystemTime(date, &time);
    char text[32];
    if (wholeDay)
        snprintf(text, sizeof(text), "%04u%02u%02u", time.wYear, time.wMonth, time.wDay);
    else
        snprintf(text, sizeof(text), "%04u%02u%02uT%02u%02u%02u", time.wYear, time.wMonth, time.wDay, time.wHour,
                 time.wMinute, time.wSecond);
    return text;
}

std::string UtcDateText(DATE date)
{
    SYSTEMTIME local = {}, utc = {};
    VariantTimeToSystemTime(date, &local);
    if (!TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc))
        utc = local;
    char text[32];
    snprintf(text, sizeof(text), "%04u%02u%02uT%02u%02u%02uZ", utc.wYear, utc.wMonth, utc.wDay, utc.wHour, utc.wMinute,
             utc.wSecond);
    return text;
}

std::optional<DATE> WallDateFromText(const std::string& text, bool& utc)
{
    unsigned year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    char zone = 0;
    if (text.size() == 8) {
        if (sscanf(text.c_str(), "%4u%2u%2u", &year, &month, &day) != 3 ||
            text.find_first_not_of("0123456789") != std::string::npos)
            return std::nullopt;
    } else if (text.size() == 15 || text.size() == 16) {
        int parsed = sscanf(text.c_str(), "%4u%2u%2uT%2u%2u%2u%c", &year, &month, &day, &hour, &minute, &second, &zone);
        if (parsed < 6 || (parsed == 7 && zone != 'Z') || text[8] != 'T')
            return std::nullopt;
    } else {
        return std::nullopt;
    }
    utc = zone == 'Z';
    SYSTEMTIME time = {};
    time.wYear = static_cast<WORD>(year);
    time.wMonth = static_cast<WORD>(month);
    time.wDay = static_cast<WORD>(day);
    time.wHour = static_cast<WORD>(hour);
    time.wMinute = static_cast<WORD>(minute);
    time.wSecond = static_cast<WORD>(second);
    DATE date = 0;
    if (year < 1601 || month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 59 ||
        !SystemTimeToVariantTime(&time, &date))
        return std::nullopt;
    return date;
}

std::optional<DATE> LocalFromUtc(DATE utc)
{
    SYSTEMTIME time = {}, local = {};
    DATE date = 0;
    if (!VariantTimeToSystemTime(utc, &time) || !SystemTimeToTzSpecificLocalTime(nullptr, &time, &local) ||
        !SystemTimeToVariantTime(&local, &date))
        return std::nullopt;
    return date;
}

std::optional<DATE> DateFromText(const std::string& text)
{
    bool utc = false;
    auto date = WallDateFromText(text, utc);
    return date && utc ? LocalFromUtc(*date) : date;
}

DATE AddSeconds(DATE date, long long seconds)
{
    // Through FILETIME, whose whole 100 ns steps keep the result on the second that a
    // sum of DATE fractions would miss.
    SYSTEMTIME time = {};
    FILETIME file = {};
    if (!VariantTimeToSystemTime(date, &time) || !SystemTimeToFileTime(&time, &file))
        return date;
    ULARGE_INTEGER ticks;
    ticks.LowPart = file.dwLowDateTime;
    ticks.HighPart = file.dwHighDateTime;
    ticks.QuadPart += static_cast<ULONGLONG>(seconds * 10000000LL);
    file.dwLowDateTime = ticks.LowPart;
    file.dwHighDateTime = ticks.HighPart;
    DATE shifted = 0;
    if (!FileTimeToSystemTime(&file, &time) || !SystemTimeToVariantTime(&time, &shifted))
        return date;
    return shifted;
}

std::optional<long long> DurationSeconds(const std::string& duration)
{
    // [+-]P[nW][nD][T[nH][nM][nS]]
    size_t at = 0;
    int sign = 1;
    if (at < duration.size() && (duration[at] == '+' || duration[at] == '-'))
        sign = duration[at++] == '-' ? -1 : 1;
    if (at >= duration.size() || duration[at++] != 'P' || at >= duration.size())
        return std::nullopt;
    long long seconds = 0;
    bool timePart = false, any = false;
    while (at < duration.size()) {
        if (duration[at] == 'T' && !timePart) {
            timePart = true;
            ++at;
            continue;
        }
        size_t digits = duration.find_first_not_of("0123456789", at);
        if (digits == at || digits == std::string::npos || digits - at > 7)
            return std::nullopt;
        long long number = std::stoll(duration.substr(at, digits - at));
        char unit = duration[digits];
        if (!timePart && unit == 'W')
            seconds += number * 604800;
        else if (!timePart && unit == 'D')
            seconds += number * 86400;
        else if (timePart && unit == 'H')
            seconds += number * 3600;
        else if (timePart && unit == 'M')
            seconds += number * 60;
        else if (timePart && unit == 'S')
            seconds += number;
        else
            return std::nullopt;
        any = true;
        at = digits + 1;
    }
    return any ? std::optional<long long>(sign * seconds) : std::nullopt;
}

std::wstring ShownDate(DATE date)
{
    Variant value;
    value.Get().vt = VT_DATE;
    value.Get().date = date;
    return ValueText(value);
}

bool HoldsDate(const OrganizerEntry& entry, const std::wstring& column)
{
    if (!entry.HasDate(column))
        return false;
    SYSTEMTIME time = {};
    VariantTimeToSystemTime(entry.Date(column), &time);
    return !(time.wYear == 1980 && time.wMonth == 1 && time.wDay == 6 && !time.wHour && !time.wMinute && !time.wSecond);
}

DATE DayDate(int year, int month, int day)
{
    SYSTEMTIME time = {};
    time.wYear = static_cast<WORD>(year);
    time.wMonth = static_cast<WORD>(month);
    time.wDay = static_cast<WORD>(day);
    DATE date = 0;
    SystemTimeToVariantTime(&time, &date);
    return date;
}

int WeekdayOf(DATE date)
{
    // Day 0 of the DATE count, 1899-12-30, was a Saturday.
    long day = static_cast<long>(std::floor(date));
    return static_cast<int>(((day + 6) % 7 + 7) % 7);
}

bool IsDayEntry(const OrganizerEntry& entry)
{
    DATE start = entry.Date(L"START_DATE");
    if (!entry.HasDate(L"START_DATE") || start != std::floor(start))
        return false;
    if (IsWholeDayKind(KindOfType(entry.Text(L"TYPE")).type))
        return true;
    DATE end = entry.Date(L"END_DATE");
    return entry.HasDate(L"END_DATE") && end > start && end - std::floor(end) >= (23 * 60 + 59) / 1440.0 - 1e-9;
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

}  // namespace kelvra::host
