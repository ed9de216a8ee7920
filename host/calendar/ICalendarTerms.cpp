#include "ICalendarTerms.h"

#include <cstdio>
#include <cwctype>

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

std::optional<DATE> DateFromText(const std::string& text)
{
    SYSTEMTIME time = {};
    unsigned year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    char zone = 0;
    int parsed = 0;
    if (text.size() == 8) {
        parsed = sscanf(text.c_str(), "%4u%2u%2u", &year, &month, &day);
        if (parsed != 3)
            return std::nullopt;
    } else if (text.size() == 15 || text.size() == 16) {
        parsed = sscanf(text.c_str(), "%4u%2u%2uT%2u%2u%2u%c", &year, &month, &day, &hour, &minute, &second, &zone);
        if (parsed < 6 || (parsed == 7 && zone != 'Z') || text[8] != 'T')
            return std::nullopt;
    } else {
        return std::nullopt;
    }
    time.wYear = static_cast<WORD>(year);
    time.wMonth = static_cast<WORD>(month);
    time.wDay = static_cast<WORD>(day);
    time.wHour = static_cast<WORD>(hour);
    time.wMinute = static_cast<WORD>(minute);
    time.wSecond = static_cast<WORD>(second);
    if (zone == 'Z') {
        SYSTEMTIME local = {};
        if (!SystemTimeToTzSpecificLocalTime(nullptr, &time, &local))
            return std::nullopt;
        time = local;
    }
    DATE date = 0;
    if (month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 59 ||
        !SystemTimeToVariantTime(&time, &date))
        return std::nullopt;
    return date;
}

}  // namespace kelvra::host
