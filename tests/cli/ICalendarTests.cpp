// Calendar entries, tasks and memos as iCalendar text, both ways, without a handset.
#include <gtest/gtest.h>

#include "ComFailure.h"
#include "ICalendarReader.h"
#include "ICalendarTerms.h"
#include "ICalendarWriter.h"
#include "OrganizerDifferences.h"
#include "OrganizerDuplicates.h"

using namespace kelvra;
using namespace kelvra::host;

namespace {

DATE At(WORD year, WORD month, WORD day, WORD hour = 0, WORD minute = 0)
{
    SYSTEMTIME time = {};
    time.wYear = year;
    time.wMonth = month;
    time.wDay = day;
    time.wHour = hour;
    time.wMinute = minute;
    DATE date = 0;
    SystemTimeToVariantTime(&time, &date);
    return date;
}

// A UTC time as the PC's local time, by Windows itself: what a time of a zone must land at.
DATE LocalOfUtc(WORD year, WORD month, WORD day, WORD hour, WORD minute)
{
    SYSTEMTIME utc = {}, local = {};
    utc.wYear = year;
    utc.wMonth = month;
    utc.wDay = day;
    utc.wHour = hour;
    utc.wMinute = minute;
    SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local);
    DATE date = 0;
    SystemTimeToVariantTime(&local, &date);
    return date;
}

std::string Calendar(const std::string& body)
{
    return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Other//EN\r\n" + body + "END:VCALENDAR\r\n";
}

OrganizerEntry Appointment()
{
    OrganizerEntry entry;
    entry.kind = OrganizerKind::Calendar;
    entry.SetText(L"SUID", L"3");
    entry.SetText(L"TYPE", L"5");
    entry.SetText(L"SUBJECT", L"Review, with notes");
    entry.SetText(L"LOCATION", L"Room 4");
    entry.SetDate(L"START_DATE", At(2026, 12, 7, 9, 30));
    entry.SetDate(L"END_DATE", At(2026, 12, 7, 10, 0));
    entry.SetText(L"ALARM_TYPE", L"Minute");
    entry.columns[L"ALARM_VALUE"] = Variant::FromInt(15);
    entry.SetText(L"ALARM_MELODY_TYPE", L"mp3");
    entry.SetText(L"ALARM_MELODY", L"wake up.mp3");
    entry.SetText(L"RECURRENCE_TYPE", L"2");
    entry.SetText(L"RECURRENCE_EVERY", L"2");
    entry.SetText(L"RECURRENCE_FLAG", L"10");  // Monday and Wednesday
    entry.SetText(L"RECURRENCE_EXPIRE_TYPE", L"0");
    entry.SetDate(L"RECURRENCE_EXPIRE_DATE", At(2027, 3, 1, 23, 59) + 59.0 / 86400);
    return entry;
}

// A calendar entry without alarm or repetition.
OrganizerEntry Plain(const wchar_t* suid, const wchar_t* type, const wchar_t* subject, DATE start)
{
    OrganizerEntry entry;
    entry.SetText(L"SUID", suid);
    entry.SetText(L"TYPE", type);
    entry.SetText(L"SUBJECT", subject);
    entry.SetDate(L"START_DATE", start);
    entry.SetText(L"ALARM_TYPE", L"None");
    entry.SetText(L"RECURRENCE_TYPE", L"0");
    return entry;
}

OrganizerEntry Birthday()
{
    OrganizerEntry entry = Plain(L"10001", L"1", L"Mum", At(2026, 4, 12));
    entry.SetText(L"START_DATE_TYPE", L"LUNAR");
    entry.SetText(L"RECURRENCE_TYPE", L"5");
    entry.SetText(L"RECURRENCE_EXPIRE_TYPE", L"2");
    return entry;
}

// A trip from the 1st to the 5th, as the handset keeps a day entry: its last day to the
// last minute.
OrganizerEntry SkiTrip()
{
    OrganizerEntry entry = Plain(L"4", L"5", L"Ski trip", At(2027, 3, 1));
    entry.SetDate(L"END_DATE", At(2027, 3, 5, 23, 59));
    return entry;
}

OrganizerEntry Chore()
{
    OrganizerEntry entry;
    entry.kind = OrganizerKind::Task;
    entry.SetText(L"SUID", L"0");
    entry.SetText(L"SUBJECT", L"Tax return");
    entry.SetDate(L"START_DATE", At(2026, 12, 1, 8, 0));
    entry.SetDate(L"END_DATE", At(2026, 12, 31, 18, 0));
    entry.SetText(L"PRIORITY", L"High");
    entry.SetText(L"DONE_STATE", L"Undone");
    entry.SetText(L"ALARM_TYPE", L"Day");
    entry.columns[L"ALARM_VALUE"] = Variant::FromInt(2);
    return entry;
}

OrganizerEntry Note()
{
    OrganizerEntry entry;
    entry.kind = OrganizerKind::Memo;
    entry.SetText(L"SUID", L"1");
    entry.SetText(L"DETAIL", L"Gate code 4711\nBring the blue folder");
    return entry;
}

}  // namespace

TEST(ICalendar, WritesEachKindAsCalendarProgramsReadIt)
{
    std::string text = ICalendarWriter::Write({Appointment(), Birthday(), Chore(), Note()}, "20261206T120000Z");
    EXPECT_EQ("BEGIN:VCALENDAR\r\n"
              "VERSION:2.0\r\n"
              "PRODID:-//Orvane//kelvra-sync//EN\r\n"
              "BEGIN:VEVENT\r\n"
              "UID:kelvra-calendar-3@handset\r\n"
              "DTSTAMP:20261206T120000Z\r\n"
              "DTSTART:20261207T093000\r\n"
              "DTEND:20261207T100000\r\n"
              "SUMMARY:Review\\, with notes\r\n"
              "LOCATION:Room 4\r\n"
              "CATEGORIES:APPOINTMENT\r\n"
              "X-KELVRA-TYPE:5\r\n"
              "RRULE:FREQ=WEEKLY;BYDAY=MO,WE;INTERVAL=2;UNTIL=20270301T235959\r\n"
              "X-KELVRA-MELODY-TYPE:mp3\r\n"
              "X-KELVRA-MELODY:wake up.mp3\r\n"
              "BEGIN:VALARM\r\n"
              "ACTION:DISPLAY\r\n"
              "DESCRIPTION:Review\\, with notes\r\n"
              "TRIGGER:-PT15M\r\n"
              "END:VALARM\r\n"
              "END:VEVENT\r\n"
              "BEGIN:VEVENT\r\n"
              "UID:kelvra-calendar-10001@handset\r\n"
              "DTSTAMP:20261206T120000Z\r\n"
              "DTSTART;VALUE=DATE:20260412\r\n"
              "SUMMARY:Mum\r\n"
              "CATEGORIES:ANNIVERSARY\r\n"
              "X-KELVRA-TYPE:1\r\n"
              "X-KELVRA-LUNAR:TRUE\r\n"
              "RRULE:FREQ=YEARLY\r\n"
              "END:VEVENT\r\n"
              "BEGIN:VTODO\r\n"
              "UID:kelvra-task-0@handset\r\n"
              "DTSTAMP:20261206T120000Z\r\n"
              "DTSTART:20261201T080000\r\n"
              "DUE:20261231T180000\r\n"
              "SUMMARY:Tax return\r\n"
              "PRIORITY:1\r\n"
              "STATUS:NEEDS-ACTION\r\n"
              "BEGIN:VALARM\r\n"
              "ACTION:DISPLAY\r\n"
              "DESCRIPTION:Tax return\r\n"
              "TRIGGER;RELATED=END:-P2D\r\n"
              "END:VALARM\r\n"
              "END:VTODO\r\n"
              "BEGIN:VJOURNAL\r\n"
              "UID:kelvra-memo-1@handset\r\n"
              "DTSTAMP:20261206T120000Z\r\n"
              "DESCRIPTION:Gate code 4711\\nBring the blue folder\r\n"
              "END:VJOURNAL\r\n"
              "END:VCALENDAR\r\n",
              text);
}

TEST(ICalendar, ReadsBackWhatItWrote)
{
    std::vector<OrganizerEntry> written = {Appointment(), Birthday(), SkiTrip(), Chore(), Note()};
    std::vector<OrganizerEntry> read = ICalendarReader::Read(ICalendarWriter::Write(written, "20261206T120000Z"));
    ASSERT_EQ(written.size(), read.size());
    for (size_t i = 0; i < read.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(written[i].kind, read[i].kind);
        EXPECT_TRUE(read[i].notes.empty()) << read[i].notes.front();
        for (const auto& [column, value] : written[i].columns) {
            if (column == L"SUID")
                continue;  // a new handset gives its own
            EXPECT_EQ(written[i].Text(column), read[i].Text(column)) << NarrowUtf8(column);
            if (value.Type() == VT_DATE) {
                EXPECT_DOUBLE_EQ(value.Get().date, read[i].Date(column)) << NarrowUtf8(column);
            }
        }
    }
}

TEST(ICalendar, ReadsOtherProgramsFilesAndSaysWhatTheHandsetCannotHold)
{
    std::string file = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Other//EN\r\n"
                       "BEGIN:VTIMEZONE\r\nTZID:Europe/Berlin\r\nBEGIN:STANDARD\r\nDTSTART:19701025T030000\r\n"
                       "TZOFFSETFROM:+0200\r\nTZOFFSETTO:+0100\r\nEND:STANDARD\r\nEND:VTIMEZONE\r\n"
                       "BEGIN:VEVENT\r\nUID:a\r\nDTSTAMP:20261201T000000Z\r\n"
                       "DTSTART;TZID=Europe/Berlin:20261208T140000\r\nSUMMARY:Board\r\n"
                       "  meeting\r\nRRULE:FREQ=MONTHLY;BYDAY=-1FR\r\nCATEGORIES:Work,Important\r\n"
                       "ATTENDEE:mailto:a@example.org\r\n"
                       "BEGIN:VALARM\r\nACTION:AUDIO\r\nTRIGGER:-P1D\r\nEND:VALARM\r\nEND:VEVENT\r\n"
                       "BEGIN:VEVENT\r\nUID:b\r\nDTSTART:20261209T070000\r\nSUMMARY:Stand-up\r\n"
                       "RRULE:FREQ=HOURLY;COUNT=3\r\nBEGIN:VALARM\r\nTRIGGER;RELATED=END:PT5M\r\nEND:VALARM\r\n"
                       "END:VEVENT\r\nEND:VCALENDAR\r\n";
    std::vector<OrganizerEntry> entries = ICalendarReader::Read(file);
    ASSERT_EQ(2u, entries.size());
    const OrganizerEntry& board = entries[0];
    EXPECT_EQ(L"Board meeting", board.Text(L"SUBJECT"));
    EXPECT_EQ(L"20", board.Text(L"TYPE"));  // the important kind, from its category
    EXPECT_DOUBLE_EQ(LocalOfUtc(2026, 12, 8, 13, 0), board.Date(L"START_DATE"));  // 14:00 at +0100
    EXPECT_EQ(L"4", board.Text(L"RECURRENCE_TYPE"));
    EXPECT_EQ(std::to_wstring(32 + 2048), board.Text(L"RECURRENCE_FLAG"));  // Friday, last week
    EXPECT_EQ(L"Day", board.Text(L"ALARM_TYPE"));
    EXPECT_EQ(L"1", board.Text(L"ALARM_VALUE"));
    ASSERT_EQ(1u, board.notes.size());
    EXPECT_EQ("ATTENDEE has no place on the handset", board.notes[0]);

    const OrganizerEntry& standUp = entries[1];
    EXPECT_EQ(L"5", standUp.Text(L"TYPE"));
    EXPECT_EQ(L"0", standUp.Text(L"RECURRENCE_TYPE"));
    EXPECT_EQ(L"None", standUp.Text(L"ALARM_TYPE"));
    ASSERT_EQ(2u, standUp.notes.size());
    EXPECT_EQ("the recurrence FREQ=HOURLY;COUNT=3 has no equivalent on the handset", standUp.notes[0]);
    EXPECT_EQ("the alarm PT5M related to the end comes after the start; the handset's alarms come before it",
              standUp.notes[1]);
}

TEST(ICalendar, RefusesWhatIsNoCalendar)
{
    EXPECT_THROW(ICalendarReader::Read("BEGIN:VCARD\r\nFN:x\r\nEND:VCARD\r\n"), InputError);
    EXPECT_THROW(ICalendarReader::Read("BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nSUMMARY:cut\r\n"), InputError);
    EXPECT_THROW(ICalendarReader::Read(std::string("\x00\x01\x02garbage", 10)), InputError);
    try {
        ICalendarReader::Read("BEGIN:VCALENDAR\r\nBEGIN:VEVENT\\r\\nUID:\xFF\r\nEND:VCALENDAR\r\n");
        FAIL() << "no exception";
    } catch (const InputError& e) {
        EXPECT_EQ("line 2: BEGIN names no calendar component", std::string(e.what()));  // no raw bytes echoed
    }
}

TEST(ICalendar, WritesNoRuleACalendarProgramWouldReadOtherwise)
{
    OrganizerEntry entry = Appointment();
    entry.SetText(L"RECURRENCE_TYPE", L"4");
    entry.SetText(L"RECURRENCE_FLAG", std::to_wstring(2 + 8 + 256));  // two weekdays in the second week
    std::string text = ICalendarWriter::Write({entry}, "20261206T120000Z");
    EXPECT_EQ(std::string::npos, text.find("RRULE")) << text;
    entry.SetText(L"RECURRENCE_FLAG", std::to_wstring(2 + 256));  // the second Monday
    text = ICalendarWriter::Write({entry}, "20261206T120000Z");
    EXPECT_NE(std::string::npos, text.find("RRULE:FREQ=MONTHLY;BYDAY=2MO;INTERVAL=2")) << text;

    // An alarm at a given time is written in UTC, as calendar programs expect it.
    entry.SetText(L"ALARM_TYPE", L"Target");
    entry.SetDate(L"ALARM_TARGET_DATE", At(2026, 12, 8, 9, 0));
    text = ICalendarWriter::Write({entry}, "20261206T120000Z");
    EXPECT_NE(std::string::npos, text.find("TRIGGER;VALUE=DATE-TIME:" + UtcDateText(At(2026, 12, 8, 9, 0)))) << text;
    EXPECT_EQ('Z', UtcDateText(At(2026, 12, 8, 9, 0)).back());
    std::vector<OrganizerEntry> read = ICalendarReader::Read(text);
    ASSERT_EQ(1u, read.size());
    EXPECT_DOUBLE_EQ(At(2026, 12, 8, 9, 0), read[0].Date(L"ALARM_TARGET_DATE"));
}

TEST(ICalendar, DayEntriesKeepTheirDays)
{
    std::string text = ICalendarWriter::Write({SkiTrip()}, "20261206T120000Z");
    EXPECT_NE(std::string::npos, text.find("DTSTART;VALUE=DATE:20270301\r\nDTEND;VALUE=DATE:20270306\r\n")) << text;

    std::vector<OrganizerEntry> read = ICalendarReader::Read(Calendar(
        "BEGIN:VEVENT\r\nDTSTART;VALUE=DATE:20270301\r\nDTEND;VALUE=DATE:20270306\r\nSUMMARY:Ski trip\r\nEND:VEVENT\r\n"
        "BEGIN:VEVENT\r\nDTSTART;VALUE=DATE:20261224\r\nSUMMARY:Eve\r\n"
        "RRULE:FREQ=YEARLY;UNTIL=20301224\r\nBEGIN:VALARM\r\nTRIGGER;RELATED=END:-P2D\r\nEND:VALARM\r\nEND:VEVENT\r\n"
        "BEGIN:VEVENT\r\nDTSTART;VALUE=DATE:20261225\r\nDTEND;VALUE=DATE:20261226\r\nCATEGORIES:HOLIDAY\r\n"
        "SUMMARY:Christmas\r\nEND:VEVENT\r\n"));
    ASSERT_EQ(3u, read.size());
    EXPECT_DOUBLE_EQ(At(2027, 3, 1), read[0].Date(L"START_DATE"));
    EXPECT_DOUBLE_EQ(At(2027, 3, 5, 23, 59), read[0].Date(L"END_DATE"));  // the 5th, not the 6th
    EXPECT_DOUBLE_EQ(At(2026, 12, 24, 23, 59), read[1].Date(L"END_DATE"));  // one day without an end
    EXPECT_EQ(L"Day", read[1].Text(L"ALARM_TYPE"));  // two days before the day's end is the day before
    EXPECT_EQ(L"1", read[1].Text(L"ALARM_VALUE"));
    EXPECT_FALSE(read[2].HasDate(L"END_DATE"));  // a holiday keeps its one day and no end
    EXPECT_TRUE(read[2].notes.empty());

    // Written again: a day entry and its repetition's end stay days.
    text = ICalendarWriter::Write(read, "20261206T120000Z");
    EXPECT_NE(std::string::npos, text.find("DTSTART;VALUE=DATE:20261224\r\nDTEND;VALUE=DATE:20261225\r\n")) << text;
    EXPECT_NE(std::string::npos, text.find("RRULE:FREQ=YEARLY;UNTIL=20301224\r\n")) << text;
    EXPECT_NE(std::string::npos, text.find("DTSTART;VALUE=DATE:20261225\r\nSUMMARY:Christmas")) << text;

    // A handset entry from midnight to midnight is a timed entry, not two days.
    OrganizerEntry night = SkiTrip();
    night.SetDate(L"END_DATE", At(2027, 3, 2));
    text = ICalendarWriter::Write({night}, "20261206T120000Z");
    EXPECT_NE(std::string::npos, text.find("DTSTART:20270301T000000\r\nDTEND:20270302T000000\r\n")) << text;
}

// The zone's rules change on the last Sunday of March and October (Europe/Berlin) and on
// the second Sunday of March and the first of November (America/New_York).
TEST(ICalendar, TimesOfAZoneLandAtThePcsLocalTime)
{
    const std::string berlin =
        "BEGIN:VTIMEZONE\r\nTZID:Europe/Berlin\r\n"
        "BEGIN:DAYLIGHT\r\nTZOFFSETFROM:+0100\r\nTZOFFSETTO:+0200\r\nDTSTART:19810329T020000\r\n"
        "RRULE:FREQ=YEARLY;BYMONTH=3;BYDAY=-1SU\r\nEND:DAYLIGHT\r\n"
        "BEGIN:STANDARD\r\nTZOFFSETFROM:+0200\r\nTZOFFSETTO:+0100\r\nDTSTART:19961027T030000\r\n"
        "RRULE:FREQ=YEARLY;BYMONTH=10;BYDAY=-1SU\r\nEND:STANDARD\r\nEND:VTIMEZONE\r\n";
    const std::string eastern =
        "BEGIN:VTIMEZONE\r\nTZID:Eastern\r\n"
        "BEGIN:STANDARD\r\nTZOFFSETFROM:-0400\r\nTZOFFSETTO:-0500\r\nDTSTART:20071104T020000\r\n"
        "RRULE:FREQ=YEARLY;BYMONTH=11;BYDAY=1SU\r\nEND:STANDARD\r\n"
        "BEGIN:DAYLIGHT\r\nTZOFFSETFROM:-0500\r\nTZOFFSETTO:-0400\r\nDTSTART:20070311T020000\r\n"
        "RRULE:FREQ=YEARLY;BYMONTH=3;BYDAY=2SU\r\nEND:DAYLIGHT\r\nEND:VTIMEZONE\r\n";
    auto event = [](const std::string& start, const std::string& more = "") {
        return "BEGIN:VEVENT\r\nDTSTART;" + start + "\r\nSUMMARY:x\r\n" + more + "END:VEVENT\r\n";
    };
    std::vector<OrganizerEntry> read = ICalendarReader::Read(Calendar(
        berlin + eastern + event("TZID=Europe/Berlin:20261208T183000") + event("TZID=Europe/Berlin:20260329T013000") +
        event("TZID=Europe/Berlin:20260329T033000") + event("TZID=Eastern:20260307T120000") +
        event("TZID=Eastern:20260309T120000") + event("TZID=Eastern:20261101T120000") +
        event("TZID=America/Chicago:20260710T090000") + event("TZID=Mars/Olympus:20261208T120000") +
        event("TZID=Europe/Berlin:20260710T090000",
              "DTEND;TZID=Europe/Berlin:20260710T100000\r\nRRULE:FREQ=WEEKLY;UNTIL=20260731T070000Z\r\n"
              "EXDATE;TZID=Europe/Berlin:20260717T090000\r\n"
              "BEGIN:VALARM\r\nTRIGGER;RELATED=END:-PT90M\r\nEND:VALARM\r\n")));
    ASSERT_EQ(9u, read.size());
    const DATE expected[] = {LocalOfUtc(2026, 12, 8, 17, 30), LocalOfUtc(2026, 3, 29, 0, 30),
                             LocalOfUtc(2026, 3, 29, 1, 30),  LocalOfUtc(2026, 3, 7, 17, 0),
                             LocalOfUtc(2026, 3, 9, 16, 0),   LocalOfUtc(2026, 11, 1, 17, 0),
                             LocalOfUtc(2026, 7, 10, 14, 0),  At(2026, 12, 8, 12, 0),
                             LocalOfUtc(2026, 7, 10, 7, 0)};
    for (size_t i = 0; i < read.size(); ++i)
        EXPECT_DOUBLE_EQ(expected[i], read[i].Date(L"START_DATE")) << i;
    ASSERT_EQ(1u, read[7].notes.size());  // a zone neither defined nor known is said, and the time kept as written
    EXPECT_EQ("DTSTART 20261208T120000 is in the time zone \"Mars/Olympus\", which is neither defined in the file "
              "nor known here; it is taken as the PC's local time",
              read[7].notes[0]);

    // The repetition's end, the left-out occurrence and the alarm follow the zone.
    const OrganizerEntry& weekly = read[8];
    EXPECT_DOUBLE_EQ(LocalOfUtc(2026, 7, 10, 8, 0), weekly.Date(L"END_DATE"));
    EXPECT_DOUBLE_EQ(LocalOfUtc(2026, 7, 31, 7, 0), weekly.Date(L"RECURRENCE_EXPIRE_DATE"));
    ASSERT_EQ(1u, weekly.notes.size());
    EXPECT_NE(std::string::npos,
              weekly.notes[0].find("the occurrence of " + NarrowUtf8(ShownDate(LocalOfUtc(2026, 7, 17, 7, 0))) +
                                   " that EXDATE leaves out stays"))
        << weekly.notes[0];
    EXPECT_EQ(L"Minute", weekly.Text(L"ALARM_TYPE"));  // 90 minutes before a one-hour entry's end
    EXPECT_EQ(L"30", weekly.Text(L"ALARM_VALUE"));

    // A task's leads come before its due time: one the file relates to its start is moved.
    read = ICalendarReader::Read(Calendar("BEGIN:VTODO\r\nDTSTART:20261201T090000\r\nDUE:20261203T090000\r\n"
                                          "BEGIN:VALARM\r\nTRIGGER:PT0S\r\nEND:VALARM\r\nEND:VTODO\r\n"));
    ASSERT_EQ(1u, read.size());
    EXPECT_EQ(L"Day", read[0].Text(L"ALARM_TYPE"));
    EXPECT_EQ(L"2", read[0].Text(L"ALARM_VALUE"));
}

TEST(ICalendar, ChangesAreSaidInTheFilesTerms)
{
    OrganizerEntry given = ICalendarReader::Read(Calendar(
        "BEGIN:VEVENT\r\nDTSTART:19750301T090000\r\nDTEND:20261208T100000\r\nCATEGORIES:IMPORTANT\r\n"
        "SUMMARY:Quarterly planning meeting\r\nRRULE:FREQ=MONTHLY;BYDAY=2MO\r\n"
        "BEGIN:VALARM\r\nTRIGGER:-PT15M\r\nEND:VALARM\r\nEND:VEVENT\r\n"))[0];
    OrganizerEntry held = given;
    held.SetText(L"TYPE", L"0");  // an appointment on a model without important entries
    held.SetText(L"SUBJECT", L"Quarterly plan");
    held.SetDate(L"START_DATE", At(1980, 3, 1));
    held.columns[L"END_DATE"] = Variant();  // a date the handset keeps none of
    held.SetText(L"RECURRENCE_TYPE", L"3");
    held.SetText(L"RECURRENCE_FLAG", L"");
    held.SetText(L"ALARM_TYPE", L"None");
    std::vector<std::string> lines = OrganizerDifferences::Between(given, held);
    std::vector<std::string> expected = {"the entry's kind IMPORTANT is kept as APPOINTMENT",
                                         "SUMMARY is cut to 14 characters: \"Quarterly plan\"",
                                         "DTSTART 19750301T090000 is kept as 1980-03-01",
                                         "DTEND 20261208T100000 is not kept",
                                         "RRULE FREQ=MONTHLY;BYDAY=2MO is kept as FREQ=MONTHLY",
                                         "TRIGGER -PT15M is not kept"};
    EXPECT_EQ(expected, lines);

    // An appointment is "5" or "0" as the model numbers it; a date at the handset's
    // first instant is no date: neither is a change.
    held = given;
    held.SetText(L"TYPE", L"20");
    given.SetText(L"TYPE", L"5");
    held.SetText(L"TYPE", L"0");
    given.SetDate(L"END_DATE", At(1980, 1, 6));
    held.SetDate(L"END_DATE", 0);
    EXPECT_TRUE(OrganizerDifferences::Between(given, held).empty());
}

TEST(ICalendar, FindsTheEntriesTheHandsetHoldsAsTheModelCutThem)
{
    OrganizerEntry entry = ICalendarReader::Read(Calendar(
        "BEGIN:VEVENT\r\nDTSTART:19750301T090000\r\nDTEND:20261208T100000\r\nCATEGORIES:IMPORTANT\r\n"
        "SUMMARY:Quarterly planning meeting\r\nEND:VEVENT\r\n"))[0];
    OrganizerEntry held = entry;
    held.SetText(L"TYPE", L"0");
    held.SetText(L"SUBJECT", L"Quarterly plan");
    held.SetDate(L"START_DATE", At(1980, 3, 1));
    OrganizerDuplicates finder({{OrganizerKind::Calendar, 14}});  // the model keeps 14 characters
    finder.Add(0, held);
    ASSERT_TRUE(finder.Find(entry).has_value());
    EXPECT_EQ(0, *finder.Find(entry));

    OrganizerEntry later = entry;
    later.SetDate(L"END_DATE", At(2026, 12, 8, 11, 0));
    EXPECT_FALSE(finder.Find(later).has_value());
    OrganizerEntry other = entry;
    other.SetText(L"SUBJECT", L"Quarterly review");
    EXPECT_FALSE(finder.Find(other).has_value());
    // A shorter title that does not fill its field is another entry's, not a cut one.
    OrganizerDuplicates roomy({{OrganizerKind::Calendar, 45}});
    roomy.Add(0, held);
    EXPECT_FALSE(roomy.Find(entry).has_value());
    held.SetText(L"SUBJECT", L"Birthday 9");
    OrganizerEntry nextBirthday = held;
    nextBirthday.SetText(L"SUBJECT", L"Birthday 93");
    OrganizerDuplicates birthdays({{OrganizerKind::Calendar, 45}});
    birthdays.Add(0, held);
    EXPECT_FALSE(birthdays.Find(nextBirthday).has_value());
    EXPECT_TRUE(birthdays.Find(held).has_value());
    held.SetText(L"SUBJECT", L"Quarterly plan");
    OrganizerEntry birthday = entry;
    birthday.SetText(L"TYPE", L"1");
    held.SetText(L"TYPE", L"1");
    OrganizerDuplicates anniversaries({{OrganizerKind::Calendar, 14}});
    anniversaries.Add(10000, held);
    EXPECT_FALSE(anniversaries.Find(entry).has_value());  // an anniversary is no important entry
    EXPECT_EQ(10000, anniversaries.Find(birthday).value_or(-1));
}
