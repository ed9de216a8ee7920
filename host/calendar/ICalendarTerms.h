// What the handset's organizer columns are called in iCalendar: the calendar kinds, the
// weekdays of a recurrence, alarm leads as durations, and dates as iCalendar text.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <map>
#include <optional>
#include <string>

#include "OrganizerEntry.h"

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
// The date and time as written, with utc telling whether it ended in "Z".
std::optional<DATE> WallDateFromText(const std::string& text, bool& utc);
// A UTC time as the PC's local time, by the PC's own zone and its summer time then.
std::optional<DATE> LocalFromUtc(DATE utc);
// Whether an entry holds a date of the person's in a column: the handset's clock starts
// at 1980-01-06 00:00, and a date field it never set reads as that instant.
bool HoldsDate(const OrganizerEntry& entry, const std::wstring& column);
// Whether a calendar entry is one of whole days: anniversaries and holidays are, unless
// the handset keeps a time of day for one; other entries when they run from a day's
// first minute to a day's last (the handset keeps a day entry's last day to 23:59).
bool IsDayEntry(const OrganizerEntry& entry);
// The parts of a recurrence rule ("FREQ=YEARLY;BYMONTH=3"), names and values in upper case.
std::map<std::string, std::string> RuleParts(const std::string& rule);
// A date as people read and give it: "2026-12-08 09:30", "2026-12-08" for a day.
std::wstring ShownDate(DATE date);
// A calendar day as a DATE, and the weekday of a date (0 Sunday .. 6 Saturday).
DATE DayDate(int year, int month, int day);
int WeekdayOf(DATE date);
// A date moved by whole seconds, landing on the second.
DATE AddSeconds(DATE date, long long seconds);
// An iCalendar duration ("-PT15M", "P1DT12H", "P2W") in seconds; null when it is none.
std::optional<long long> DurationSeconds(const std::string& duration);

}  // namespace kelvra::host
