// The edit of a folder's vCard and iCalendar files with what the handset holds: only the
// properties named change, every other byte of other programs' files stays.
#include <gtest/gtest.h>

#include <chrono>

#include "ComFailure.h"
#include "FolderFileEdit.h"

using namespace kelvra::host;

namespace {

// What the vCard writer makes of a contact the handset holds.
const std::string kFreshCard =
    "BEGIN:VCARD\r\n"
    "VERSION:3.0\r\n"
    "N:Hopper;Grace;;;\r\n"
    "FN:Grace Hopper\r\n"
    "TEL;TYPE=CELL,HOME;X-KELVRA-TYPE=Mobile.Private:+15550100\r\n"
    "TEL;TYPE=VOICE,WORK;X-KELVRA-TYPE=Landline.Business:+15550199\r\n"
    "ADR;TYPE=HOME:;;1 New Street;Arlington;VA;22201;USA\r\n"
    "END:VCARD\r\n";

// What the iCalendar writer makes of an appointment.
const std::string kFreshEvent =
    "BEGIN:VCALENDAR\r\n"
    "VERSION:2.0\r\n"
    "PRODID:-//Orvane//kelvra-sync//EN\r\n"
    "BEGIN:VEVENT\r\n"
    "UID:kelvra-calendar-10003@handset\r\n"
    "DTSTAMP:20261207T063000Z\r\n"
    "DTSTART:20261201T090000Z\r\n"
    "SUMMARY:Team meeting with Ada\r\n"
    "LOCATION:Room 4\r\n"
    "BEGIN:VALARM\r\n"
    "ACTION:DISPLAY\r\n"
    "DESCRIPTION:Team meeting with Ada\r\n"
    "TRIGGER:-PT15M\r\n"
    "END:VALARM\r\n"
    "END:VEVENT\r\n"
    "END:VCALENDAR\r\n";

const std::string kPhoto =
    "PHOTO;ENCODING=b;TYPE=JPEG:/9j/4AAQSkZJRgABAQEASABIAAD/2wBDAP//////////////\r\n"
    " //////////////////////////////////////////////////////////\r\n"
    " ////////wAALCAABAAEBAREA/8QAFAABAAAAAAAAAAAAAAAAAAAAA//EABQQAQAAAAAAAAAA\r\n"
    " AAAAAAAAAAD/2gAIAQEAAD8AN//Z\r\n";

std::string Timezone()
{
    return "BEGIN:VTIMEZONE\r\n"
           "TZID:Europe/Berlin\r\n"
           "BEGIN:STANDARD\r\n"
           "DTSTART:19701025T030000\r\n"
           "TZOFFSETFROM:+0200\r\n"
           "TZOFFSETTO:+0100\r\n"
           "RRULE:FREQ=YEARLY;BYMONTH=10;BYDAY=-1SU\r\n"
           "END:STANDARD\r\n"
           "END:VTIMEZONE\r\n";
}

// An occurrence of the series moved, written before the series itself.
std::string Override()
{
    return "BEGIN:VEVENT\r\n"
           "UID:weekly-1@other.example\r\n"
           "RECURRENCE-ID;TZID=Europe/Berlin:20261208T100000\r\n"
           "DTSTART;TZID=Europe/Berlin:20261208T110000\r\n"
           "SUMMARY:Team meeting (moved)\r\n"
           "BEGIN:VALARM\r\n"
           "ACTION:AUDIO\r\n"
           "TRIGGER:-PT5M\r\n"
           "END:VALARM\r\n"
           "END:VEVENT\r\n";
}

void ExpectRefused(const std::string& existing, const std::string& fresh, const std::string& said)
{
    try {
        FolderFileEdit::Edited(existing, fresh, {{"TEL", 0}});
        ADD_FAILURE() << "no error for a file that should say: " << said;
    } catch (const InputError& e) {
        EXPECT_NE(std::string(e.what()).find(said), std::string::npos) << e.what();
    }
}

}  // namespace

TEST(FolderFileEdit, ReplacesTheNamedPropertiesOfAForeignVCardAndKeepsEveryOtherByte)
{
    const std::string head = "BEGIN:VCARD\r\n"
                             "VERSION:3.0\r\n"
                             "PRODID:-//Other Program//EN\r\n"
                             "UID:urn:uuid:4fbe8971-0bc3-424c-9c26-36c3e1eff6b1\r\n"
                             "N:Hopper;Grace;Brewster;Rear Admiral;\r\n"
                             "FN:Rear Admiral Grace Hopper\r\n"
                             "ORG:US Navy;Programming Languages\r\n" +
                             kPhoto;
    const std::string tail = "ADR;TYPE=WORK:;;Pentagon;Washington;DC;20301;USA\r\n"
                             "ADR;TYPE=OTHER:;;3 Harbour Road;Norfolk;VA;23511;USA\r\n"
                             "CATEGORIES:Navy,Computing\r\n"
                             "X-OTHER-APP-ID:7731\r\n"
                             "END:VCARD\r\n";
    std::string existing = head +
                           "TEL;TYPE=CELL:+1 555 0100\r\n"
                           "ADR;TYPE=HOME:;;12 Old Street;Arlington;VA;22201;USA\r\n"
                           "TEL;TYPE=WORK,VOICE:+1 555 0199\r\n" +
                           tail;

    EXPECT_EQ(FolderFileEdit::Edited(existing, kFreshCard, {{"TEL", 0}, {"ADR", 1}}),
              head +
                  "TEL;TYPE=CELL,HOME;X-KELVRA-TYPE=Mobile.Private:+15550100\r\n"
                  "TEL;TYPE=VOICE,WORK;X-KELVRA-TYPE=Landline.Business:+15550199\r\n"
                  "ADR;TYPE=HOME:;;1 New Street;Arlington;VA;22201;USA\r\n" +
                  tail);
    // N and FN differ from the fresh card but were not named: the person's stay.
    EXPECT_EQ(FolderFileEdit::Edited(existing, kFreshCard, {}), existing);
    // A second card in the file is another item's.
    std::string second = "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Other\r\nTEL:1\r\nEND:VCARD\r\n";
    EXPECT_EQ(FolderFileEdit::Edited("BEGIN:VCARD\r\nVERSION:3.0\r\nTEL:9\r\nEND:VCARD\r\n" + second, kFreshCard,
                                     {{"TEL", 0}, {"TEL", 0}}),
              "BEGIN:VCARD\r\nVERSION:3.0\r\n"
              "TEL;TYPE=CELL,HOME;X-KELVRA-TYPE=Mobile.Private:+15550100\r\n"
              "TEL;TYPE=VOICE,WORK;X-KELVRA-TYPE=Landline.Business:+15550199\r\n"
              "END:VCARD\r\n" +
                  second);
}

// vCard 4.0 from a phone's address book: LF line ends, grouped and lower-case names, no
// line end after the last line. Only the lines the handset took in go.
TEST(FolderFileEdit, MatchesNamesWithoutGroupOrCaseAndKeepsTheFilesLineEnds)
{
    std::string existing = "BEGIN:VCARD\n"
                           "VERSION:4.0\n"
                           "UID:urn:uuid:0a2d1f3e-7a5c-4b8e-9d61-2f0c3b4a5e6f\n"
                           "FN:Grace Hopper\n"
                           "n:Hopper;Grace;;;\n"
                           "tel;type=home:+1 555 0111\n"
                           "item1.TEL;VALUE=uri;TYPE=cell:tel:+1-555-0112\n"
                           "item1.X-ABLABEL:Lab\n"
                           "\n"
                           "TEL;TYPE=fax:+1 555 0113\n"
                           "END:VCARD";

    std::string expected = "BEGIN:VCARD\n"
                           "VERSION:4.0\n"
                           "UID:urn:uuid:0a2d1f3e-7a5c-4b8e-9d61-2f0c3b4a5e6f\n"
                           "FN:Grace Hopper\n"
                           "N:Hopper;Grace;;;\n"
                           "TEL;TYPE=CELL,HOME;X-KELVRA-TYPE=Mobile.Private:+15550100\n"
                           "TEL;TYPE=VOICE,WORK;X-KELVRA-TYPE=Landline.Business:+15550199\n"
                           "item1.X-ABLABEL:Lab\n"
                           "\n"
                           "TEL;TYPE=fax:+1 555 0113\n"
                           "END:VCARD";
    EXPECT_EQ(FolderFileEdit::Edited(existing, kFreshCard, {{"tel", 2}, {"N", 0}}), expected);
    const std::string byteOrderMark = "\xEF\xBB\xBF";
    EXPECT_EQ(FolderFileEdit::Edited(byteOrderMark + existing, kFreshCard, {{"tel", 2}, {"N", 0}}),
              byteOrderMark + expected);
}

// A line goes whole: its folded lines and vCard 2.1 quoted-printable soft breaks with it.
TEST(FolderFileEdit, ReplacesFoldedAndSoftBrokenLinesWhole)
{
    const std::string note = "NOTE;ENCODING=QUOTED-PRINTABLE:first=0D=0A=\r\n"
                             "second\r\n";
    std::string existing = "BEGIN:VCARD\r\n"
                           "VERSION:2.1\r\n"
                           "N;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:M=C3=BCller;J=\r\n"
                           "=C3=BCrgen\r\n" +
                           note +
                           "FN:J\r\n"
                           "  \xC3\xBCrgen M\xC3\xBCller\r\n"
                           "END:VCARD\r\n";

    EXPECT_EQ(FolderFileEdit::Edited(existing, kFreshCard, {{"N", 1}, {"FN", 1}}),
              "BEGIN:VCARD\r\n"
              "VERSION:2.1\r\n"
              "N:Hopper;Grace;;;\r\n" +
                  note +
                  "FN:Grace Hopper\r\n"
                  "END:VCARD\r\n");
}

TEST(FolderFileEdit, EditsTheSeriesOfAForeignCalendarAndLeavesItsTimeZoneAndOverridesAlone)
{
    const std::string head = "BEGIN:VCALENDAR\r\n"
                             "PRODID:-//Other Calendar//EN\r\n"
                             "VERSION:2.0\r\n" +
                             Timezone() + Override() +
                             "BEGIN:VEVENT\r\n"
                             "UID:weekly-1@other.example\r\n"
                             "DTSTAMP:20261201T090000Z\r\n"
                             "DTSTART;TZID=Europe/Berlin:20261201T100000\r\n"
                             "RRULE:FREQ=WEEKLY;BYDAY=TU\r\n";
    const std::string description = "DESCRIPTION:Agenda in the wiki\\, see the link in the invitation sent \r\n"
                                    " last week\r\n";
    const std::string tail = "END:VEVENT\r\n"
                             "END:VCALENDAR\r\n";
    std::string existing = head +
                           "SUMMARY:Team meeting\r\n" +
                           description +
                           "BEGIN:VALARM\r\n"
                           "ACTION:AUDIO\r\n"
                           "TRIGGER:-PT30M\r\n"
                           "END:VALARM\r\n"
                           "BEGIN:VALARM\r\n"
                           "ACTION:DISPLAY\r\n"
                           "DESCRIPTION:Leave now\r\n"
                           "TRIGGER:-PT10M\r\n"
                           "END:VALARM\r\n" +
                           tail;

    EXPECT_EQ(FolderFileEdit::Edited(existing, kFreshEvent, {{"SUMMARY", 1}, {"VALARM", 0}}),
              head +
                  "SUMMARY:Team meeting with Ada\r\n" +
                  description +
                  "BEGIN:VALARM\r\n"
                  "ACTION:DISPLAY\r\n"
                  "DESCRIPTION:Team meeting with Ada\r\n"
                  "TRIGGER:-PT15M\r\n"
                  "END:VALARM\r\n" +
                  tail);
}

// What the file lacked goes in before its alarms or its end; what the handset no longer
// holds goes.
TEST(FolderFileEdit, AddsWhatTheFileLackedAndRemovesWhatTheHandsetCleared)
{
    std::string event = "BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nUID:a\r\nDESCRIPTION:old\r\n"
                        "BEGIN:VALARM\r\nTRIGGER:-PT1M\r\nEND:VALARM\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";
    EXPECT_EQ(FolderFileEdit::Edited(event, kFreshEvent, {{"LOCATION", 0}, {"DESCRIPTION", 0}}),
              "BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nUID:a\r\nLOCATION:Room 4\r\n"
              "BEGIN:VALARM\r\nTRIGGER:-PT1M\r\nEND:VALARM\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n");

    std::string task = "BEGIN:VCALENDAR\nBEGIN:VTODO\nUID:t\nEND:VTODO\nEND:VCALENDAR\n";
    std::string freshTask = "BEGIN:VCALENDAR\r\nBEGIN:VTODO\r\nUID:x\r\nSUMMARY:Call Ada\r\n"
                            "BEGIN:VALARM\r\nTRIGGER;RELATED=END:-PT5M\r\nEND:VALARM\r\nEND:VTODO\r\nEND:VCALENDAR\r\n";
    EXPECT_EQ(FolderFileEdit::Edited(task, freshTask, {{"VALARM", 0}, {"SUMMARY", 0}}),
              "BEGIN:VCALENDAR\nBEGIN:VTODO\nUID:t\nSUMMARY:Call Ada\n"
              "BEGIN:VALARM\nTRIGGER;RELATED=END:-PT5M\nEND:VALARM\nEND:VTODO\nEND:VCALENDAR\n");

    EXPECT_EQ(FolderFileEdit::Edited("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:G\r\nEND:VCARD", kFreshCard, {{"TEL", 0}}),
              "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:G\r\n"
              "TEL;TYPE=CELL,HOME;X-KELVRA-TYPE=Mobile.Private:+15550100\r\n"
              "TEL;TYPE=VOICE,WORK;X-KELVRA-TYPE=Landline.Business:+15550199\r\n"
              "END:VCARD");
}

TEST(FolderFileEdit, SetsAndReadsTheUidOfACardOrComponent)
{
    const std::string cardHead = "BEGIN:VCARD\r\nVERSION:3.0\r\n";
    EXPECT_EQ(FolderFileEdit::WithUid(kFreshCard, "urn:uuid:4fbe8971"),
              cardHead + "UID:urn:uuid:4fbe8971\r\n" + kFreshCard.substr(cardHead.size()));
    std::string withUid = FolderFileEdit::WithUid(kFreshEvent, "weekly-1@other.example");
    std::string expected = kFreshEvent;
    const std::string ours = "kelvra-calendar-10003@handset";
    EXPECT_EQ(withUid, expected.replace(expected.find(ours), ours.size(), "weekly-1@other.example"));
    EXPECT_EQ(FolderFileEdit::UidOf(withUid), "weekly-1@other.example");

    std::string longUid(100, 'u');
    EXPECT_EQ(FolderFileEdit::UidOf(FolderFileEdit::WithUid(kFreshCard, longUid)), longUid);
    // Folded, with blanks around it, and in the series' first occurrence written first.
    EXPECT_EQ(FolderFileEdit::UidOf("BEGIN:VCARD\nUID: urn:uuid:\n 0a2d \nEND:VCARD\n"), "urn:uuid:0a2d");
    EXPECT_EQ(FolderFileEdit::UidOf("BEGIN:VCALENDAR\r\n" + Timezone() + Override() + "END:VCALENDAR\r\n"),
              "weekly-1@other.example");
    std::string utf16 = "\xFF\xFE";
    for (char c : std::string("BEGIN:VCARD\r\nUID:u-16\r\nEND:VCARD\r\n"))
        utf16 += std::string{c, '\0'};
    EXPECT_EQ(FolderFileEdit::UidOf(utf16), "u-16");
    EXPECT_EQ(FolderFileEdit::UidOf(kFreshCard), "");
    EXPECT_EQ(FolderFileEdit::UidOf("BEGIN:VCALENDAR\r\n" + Timezone() + "END:VCALENDAR\r\n"), "");

    // A UID from another file cannot put lines of its own into ours.
    EXPECT_THROW(FolderFileEdit::WithUid(kFreshCard, "a\r\nTEL:666"), InputError);
    EXPECT_THROW(FolderFileEdit::WithUid(kFreshCard, ""), InputError);
}

TEST(FolderFileEdit, RefusesFilesItCannotEditWithoutLosingLines)
{
    ExpectRefused("", kFreshCard, "no vCard");
    ExpectRefused("\x01\x02garbage\x00\xFF", kFreshCard, "line 1: this is not a content line");
    ExpectRefused("BEGIN:VCARD\r\nVERSION:3.0\r\nTEL:1\r\n", kFreshCard, "the BEGIN:VCARD of line 1 is never ended");
    ExpectRefused("BEGIN:VCARD\r\nBEGIN:VCARD\r\nEND:VCARD\r\n", kFreshCard, "never ended");
    ExpectRefused("BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nEND:VTODO\r\nEND:VCALENDAR\r\n", kFreshEvent,
                  "line 3: END:VTODO ends the BEGIN:VEVENT of line 2");
    ExpectRefused("END:VCARD\r\n", kFreshCard, "ends no component");
    ExpectRefused("BEGIN:VCALENDAR\r\n" + Override() + "END:VCALENDAR\r\n", kFreshEvent, "no VEVENT");
    ExpectRefused("BEGIN:VEVENT\r\nUID:a\r\nEND:VEVENT\r\n", kFreshEvent, "no VEVENT");
    ExpectRefused(kFreshEvent, kFreshCard, "no vCard");
    ExpectRefused(std::string("\xFF\xFE", 2) + "B\0E\0", kFreshCard, "UTF-16");
    ExpectRefused(kFreshCard, "garbage", "the file written for the item");
    ExpectRefused(kFreshCard, "BEGIN:VCALENDAR\r\nEND:VCALENDAR\r\n", "the file written for the item");
    ExpectRefused(std::string((64u << 20) + 1, 'A'), kFreshCard, "larger than 64 MiB");
    std::string tinyLines = "BEGIN:VCARD\n";
    for (int i = 0; i < (1 << 20); ++i)
        tinyLines += "X:\n";
    ExpectRefused(tinyLines + "END:VCARD\n", kFreshCard, "more than 1048576 lines");
}

// A picture of megabytes is kept as it is, and a long line made to look like the start of
// a quoted-printable one is refused at once, not after a search of it for every piece.
TEST(FolderFileEdit, HandlesHugeLinesInTimeProportionalToTheirSize)
{
    auto started = std::chrono::steady_clock::now();
    std::string photo = "PHOTO;ENCODING=b:";
    for (int i = 0; i < 100000; ++i)
        photo += std::string(74, 'Q') + "\r\n ";
    photo += "Q\r\n";
    std::string existing = "BEGIN:VCARD\r\nVERSION:3.0\r\n" + photo + "TEL:1\r\nEND:VCARD\r\n";
    EXPECT_EQ(FolderFileEdit::Edited(existing, kFreshCard, {{"TEL", 0}}),
              "BEGIN:VCARD\r\nVERSION:3.0\r\n" + photo +
                  "TEL;TYPE=CELL,HOME;X-KELVRA-TYPE=Mobile.Private:+15550100\r\n"
                  "TEL;TYPE=VOICE,WORK;X-KELVRA-TYPE=Landline.Business:+15550199\r\n"
                  "END:VCARD\r\n");

    std::string noColon = "BEGIN:VCARD\r\nNOTE=";
    for (int i = 0; i < 300000; ++i)
        noColon += "\r\n  =";
    ExpectRefused(noColon + "\r\nEND:VCARD\r\n", kFreshCard, "line 2");
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));
}
