// Calendar entries, tasks and memos as iCalendar text, both ways, without a handset.
#include <gtest/gtest.h>

#include "ComFailure.h"
#include "ICalendarReader.h"
#include "ICalendarTerms.h"
#include "ICalendarWriter.h"

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

OrganizerEntry Birthday()
{
    OrganizerEntry entry;
    entry.SetText(L"SUID", L"10001");
    entry.SetText(L"TYPE", L"1");
    entry.SetText(L"SUBJECT", L"Mum");
    entry.SetDate(L"START_DATE", At(2026, 4, 12));
    entry.SetText(L"START_DATE_TYPE", L"LUNAR");
    entry.SetText(L"ALARM_TYPE", L"None");
    entry.SetText(L"RECURRENCE_TYPE", L"5");
    entry.SetText(L"RECURRENCE_EXPIRE_TYPE", L"2");
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
    std::vector<OrganizerEntry> written = {Appointment(), Birthday(), Chore(), Note()};
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
            if (value.Type() == VT_DATE)
                EXPECT_DOUBLE_EQ(value.Get().date, read[i].Date(column)) << NarrowUtf8(column);
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
    EXPECT_DOUBLE_EQ(At(2026, 12, 8, 14, 0), board.Date(L"START_DATE"));
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
    EXPECT_EQ("the alarm PT5M has no equivalent on the handset", standUp.notes[1]);
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
