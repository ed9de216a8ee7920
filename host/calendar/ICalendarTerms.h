// What the handset's organizer columns are called in iCalendar: the calendar kinds, the
// weekdays of a recurrence, alarm leads as durations, and dates as iCalendar text.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <optional>
#include <string>

namespace kelvra::host {

// A calendar kind: the item's TYPE and the category word that names it in a file.
struct CalendarKind {
    const wchar_t* type;
    const wchar_t* category;
};
// The kind of an item TYPE ("5" and "0" are both appointments).
const CalendarKind& KindOfType(const std::wstring& type);
// The kind a category word names, ignoring case; null for none.
const CalendarKind* KindOfCategory(const std::wstring& category);
bool IsWholeDayKind(const std::wstring& type);

// Recurrence flag bits 0..6 are Sunday..Saturday; bits 7..11 the first to fourth and
// the last week of the month.
constexpr unsigned kFirstWeekBit = 7;
const char* WeekdayCode(unsigned weekdayBit);           // "SU" .. "SA"
std::optional<unsigned> WeekdayBit(const std::string& code);

// An alarm lead of ALARM_VALUE units of ALARM_TYPE ("Minute", "Hour", "Day", "Week") as
// an iCalendar duration before the start ("-PT15M"), and back.
std::string LeadDuration(const std::wstring& unit, long value);
bool LeadFromDuration(const std::string& duration, std::wstring& unit, long& value);

// "20261206T093000" (local, floating) or "20261206" for whole days, and back; a time
// written in UTC ("...Z") is turned into local time.
std::string DateText(DATE date, bool wholeDay);
// A local time as a UTC date-time ("20261208T003000Z"), as alarm triggers must be.
std::string UtcDateText(DATE date);
std::optional<DATE> DateFromText(const std::string& text);

}  // namespace kelvra::host
