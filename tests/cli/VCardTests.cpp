// The host's vCard reading, the duplicate finder and the DevInf summary, without a
// handset: what each file turns into, and what is said about what cannot be kept.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <fstream>
#include <map>

#include "ComFailure.h"
#include "ComTypes.h"
#include "DevInfSummary.h"
#include "DuplicateFinder.h"
#include "VCardReader.h"
#include "VCardWriter.h"

using namespace kelvra::host;

namespace {

std::wstring Column(const VCardContact& contact, const std::wstring& name)
{
    std::wstring value;
    for (const auto& [column, text] : contact.columns) {
        if (column == name)
            value = text;  // the last one counts, as when the columns are set
    }
    return value;
}

bool Says(const VCardContact& contact, const std::string& note)
{
    return std::find(contact.notes.begin(), contact.notes.end(), note) != contact.notes.end();
}

VCardContact One(const std::string& body)
{
    auto contacts = VCardReader::Read("BEGIN:VCARD\r\nVERSION:3.0\r\n" + body + "END:VCARD\r\n");
    EXPECT_EQ(contacts.size(), 1u);
    return contacts.empty() ? VCardContact() : contacts[0];
}

}  // namespace

TEST(VCardReader, ReadsVersion21WithCodePagesAndQuotedPrintable)
{
    VCardContact contact = One("N;CHARSET=EUC-KR;ENCODING=QUOTED-PRINTABLE:=B1=E8;=B9=CE=C1=F6\r\n"
                               "NOTE;CHARSET=windows-1252;QUOTED-PRINTABLE:caf=E9 =80=\r\n5\r\n");
    EXPECT_EQ(Column(contact, L"LAST_NAME"), L"\uAE40");
    EXPECT_EQ(Column(contact, L"FIRST_NAME"), L"\uBBFC\uC9C0");
    EXPECT_EQ(Column(contact, L"NOTES"), L"caf\u00E9 \u20AC5");
    EXPECT_EQ(contact.label, L"\uBBFC\uC9C0 \uAE40");
    EXPECT_TRUE(contact.notes.empty());
}

TEST(VCardReader, LeavesOutTextItCannotDecodeAndSaysSo)
{
    VCardContact contact = One("N:Doe;Jane;;;\r\nNOTE:caf\xE9\r\nORG;CHARSET=X-NOWHERE:x\r\n"
                               "TITLE;CHARSET=X-NOWHERE:x\r\nFN;CHARSET=X-NOWHERE:x\r\n");
    EXPECT_EQ(Column(contact, L"NOTES"), L"");
    EXPECT_TRUE(Says(contact, "NOTE on line 4 left out: it is not UTF-8 text and names no CHARSET"));
    EXPECT_TRUE(Says(contact, "ORG has no place on the handset"));
    EXPECT_TRUE(Says(contact, "FN on line 7 left out: the character set \"X-NOWHERE\" is not one this system knows"));
    EXPECT_TRUE(contact.problem.empty());
}

TEST(VCardReader, ReadsVersion40NumbersWrittenAsUris)
{
    VCardContact contact = One("FN:A\r\nTEL;VALUE=uri;TYPE=\"cell,work\":tel:+1-555-0101\r\n");
    EXPECT_EQ(Column(contact, L"TEL_NUM_0"), L"+1-555-0101");
    EXPECT_EQ(Column(contact, L"TEL_TYPE_0"), L"Mobile.Business");
}

TEST(VCardReader, TakesTheFormattedNameWhenThereIsNoStructuredName)
{
    EXPECT_EQ(Column(One("FN:Grace Hopper\r\n"), L"FIRST_NAME"), L"Grace Hopper");
    EXPECT_EQ(Column(One("N:;;;;\r\nFN:Grace Hopper\r\n"), L"FIRST_NAME"), L"Grace Hopper");
    VCardContact both = One("N:Hopper;Grace;;;\r\nFN:Rear Admiral Hopper\r\n");
    EXPECT_EQ(Column(both, L"FIRST_NAME"), L"Grace");
    EXPECT_EQ(both.label, L"Rear Admiral Hopper");
}

TEST(VCardReader, ReadsBirthdaysInEveryFormatItCanStore)
{
    const std::pair<const char*, const wchar_t*> readable[] = {
        {"1991-04-12", L"1991-04-12"}, {"19910412", L"1991-04-12"}, {"1991-04-12T10:15:00Z", L"1991-04-12"},
        {"19910412T101500", L"1991-04-12"}, {"2000-02-29", L"2000-02-29"}};
    for (const auto& [text, date] : readable)
        EXPECT_EQ(Column(One(std::string("FN:A\r\nBDAY:") + text + "\r\n"), L"BIRTHDAY"), date) << text;
    for (const char* text : {"--0412", "1991-02-29", "1991-13-01", "12.04.1991", "1991041"}) {
        VCardContact contact = One(std::string("FN:A\r\nBDAY:") + text + "\r\n");
        EXPECT_EQ(Column(contact, L"BIRTHDAY"), L"") << text;
        EXPECT_TRUE(Says(contact, std::string("birthday \"") + text + "\" is not a date the handset can store"));
    }
}

TEST(VCardReader, SaysWhatHasNoColumnAtAll)
{
    std::string body = "N:Doe;Jane;Q.;Dr.;\r\nPHOTO;ENCODING=b;TYPE=JPEG:AAAA\r\n";
    for (int n = 0; n < 11; ++n)
        body.append("TEL:55500").append(std::to_string(10 + n)).append("\r\n");
    body += "EMAIL:a@x\r\nEMAIL:b@x\r\nEMAIL:c@x\r\nADR:box 7;;street;;;;\r\nADR:;;second;;;;\r\n";
    VCardContact contact = One(body);
    EXPECT_TRUE(Says(contact, "the name's \"Q.\" (middle name, prefix or suffix) has no place on the handset"));
    EXPECT_TRUE(Says(contact, "the picture on line 4 left out: it is no JPEG, PNG, GIF or BMP picture"));
    EXPECT_TRUE(Says(contact, "number 5550020 has no place on the handset"));
    EXPECT_EQ(Column(contact, L"TEL_NUM_9"), L"5550019");
    EXPECT_TRUE(Says(contact, "e-mail c@x has no place on the handset"));
    EXPECT_TRUE(Says(contact, "the address's post office box has no place on the handset"));
    EXPECT_TRUE(Says(contact, "a second address has no place on the handset"));
    EXPECT_EQ(Column(contact, L"ADDR_STREET_0"), L"street");
}

TEST(VCardReader, OneBrokenContactDoesNotTakeTheOthersWithIt)
{
    auto contacts = VCardReader::Read("BEGIN:VCARD\r\nN:Doe;Jane\r\nthis line is broken\r\nEND:VCARD\r\n"
                                      "BEGIN:VCARD\r\nVERSION:3.0\r\nEND:VCARD\r\n"
                                      "BEGIN:VCARD\r\nFN:Ann\r\nEND:VCARD\r\n"
                                      "BEGIN:VCARD\r\nFN:Cut\r\n");
    ASSERT_EQ(contacts.size(), 4u);
    EXPECT_EQ(contacts[0].problem, "line 3: this is not a content line (\"NAME:value\")");
    EXPECT_EQ(contacts[1].problem, "it holds nothing the handset can store");
    EXPECT_EQ(contacts[1].label, L"the contact on line 5");
    EXPECT_TRUE(contacts[2].problem.empty());
    EXPECT_EQ(contacts[3].problem, "the vCard has no END:VCARD (the file is cut short)");
}

TEST(VCardReader, RefusesFilesThatHoldNoVCard)
{
    EXPECT_THROW(VCardReader::Read(""), InputError);
    EXPECT_THROW(VCardReader::Read("FN:Ann\r\n"), InputError);
    EXPECT_THROW(VCardReader::Read(std::string("\x89PNG\r\n\x1A\n\0\0", 10)), InputError);
    // More contacts than any phonebook takes would cost memory far beyond the file's size.
    std::string card = "BEGIN:VCARD\r\nFN:A\r\nEND:VCARD\r\n", many;
    for (int n = 0; n < 10000; ++n)
        many += card;
    EXPECT_EQ(VCardReader::Read(many).size(), 10000u);
    EXPECT_THROW(VCardReader::Read(many + card), InputError);
}

TEST(VCardWriter, GivesAContactWithOnlyAFullNameAName)
{
    std::map<std::wstring, std::wstring> none;
    std::string written = VCardWriter::Write({{L"DISPLAY_NAME", L"Solo"}}, none);
    EXPECT_NE(written.find("N:Solo;;;;\r\nFN:Solo\r\n"), std::string::npos);
    written = VCardWriter::Write({{L"FIRST_NAME", L"Ada"}, {L"DISPLAY_NAME", L"LovelaceAda"},
                                  {L"URL_ADDR_0", L"http://x.example/a,b;c"}},
                                 none);
    EXPECT_NE(written.find("N:Lovelace;Ada;;;\r\nFN:Ada Lovelace\r\n"), std::string::npos);
    EXPECT_NE(written.find("URL:http://x.example/a,b;c\r\n"), std::string::npos);
}

// The handset's full name is its own make-up of the names; the file gets the name as the
// person writes it, and a full name edited on the handset as it is.
TEST(VCardWriter, WritesTheFullNameInThePersonsOrderUnlessItWasEdited)
{
    std::map<std::wstring, std::wstring> none;
    auto names = [&](std::map<std::wstring, std::wstring> columns) {
        std::string written = VCardWriter::Write(columns, none);
        size_t start = written.find("\r\nN:") + 2;
        return written.substr(start, written.find("\r\nTEL") - start);
    };
    // Made by a last-then-first model, with and without a last-name field of its own.
    EXPECT_EQ(names({{L"FIRST_NAME", L"Zo\u00EB"}, {L"LAST_NAME", L"M\u00FCller"}, {L"DISPLAY_NAME", L"M\u00FCllerZo\u00EB"}}),
              "N:M\xC3\xBCller;Zo\xC3\xAB;;;\r\nFN:Zo\xC3\xAB M\xC3\xBCller\r\nEND:VCARD\r\n");
    EXPECT_EQ(names({{L"FIRST_NAME", L"Grace"}, {L"DISPLAY_NAME", L"HopperGrace"}}),
              "N:Hopper;Grace;;;\r\nFN:Grace Hopper\r\nEND:VCARD\r\n");
    // Hangul: family name first, no blank, as the handset shows it (김 민지).
    EXPECT_EQ(names({{L"FIRST_NAME", L"\uBBFC\uC9C0"}, {L"LAST_NAME", L"\uAE40"}, {L"DISPLAY_NAME", L"\uAE40\uBBFC\uC9C0"}}),
              "N:\xEA\xB9\x80;\xEB\xAF\xBC\xEC\xA7\x80;;;\r\nFN:\xEA\xB9\x80\xEB\xAF\xBC\xEC\xA7\x80\r\nEND:VCARD\r\n");
    // Edited on the handset: kept, and what it holds around the names is the prefix and suffix.
    EXPECT_EQ(names({{L"FIRST_NAME", L"Grace"}, {L"LAST_NAME", L"Hopper"}, {L"DISPLAY_NAME", L"Rear Adm. Grace Hopper Ret."}}),
              "N:Hopper;Grace;;Rear Adm.;Ret.\r\nFN:Rear Adm. Grace Hopper Ret.\r\nEND:VCARD\r\n");
    // A model that keeps no last name: the edited full name still gives it.
    EXPECT_EQ(names({{L"FIRST_NAME", L"Zo\u00EB"}, {L"DISPLAY_NAME", L"Dr. Zo\u00EB M\u00FCller"}}),
              "N:M\xC3\xBCller;Zo\xC3\xAB;;Dr.;\r\nFN:Dr. Zo\xC3\xAB M\xC3\xBCller\r\nEND:VCARD\r\n");
    EXPECT_EQ(names({{L"FIRST_NAME", L"Nick"}, {L"DISPLAY_NAME", L"Nicky"}}), "N:;Nick;;;\r\nFN:Nicky\r\nEND:VCARD\r\n");
}

TEST(VCardWriter, WritesTheCachedPictureInline)
{
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    std::wstring path = std::wstring(folder) + L"vcard-writer-face.jpg";
    std::ofstream(std::string(path.begin(), path.end()), std::ios::binary) << std::string("\xFF\xD8\xFF\xE0", 4);
    std::string written = VCardWriter::Write({{L"FIRST_NAME", L"Face"}, {L"PHOTO_TYPE", L"IMAGE_PHOTO"},
                                              {L"PHOTO_LOCAL_PATH", path}}, {});
    EXPECT_NE(written.find("\r\nPHOTO;ENCODING=b;TYPE=JPEG:/9j/4A==\r\nEND:VCARD\r\n"), std::string::npos);
    written = VCardWriter::Write({{L"FIRST_NAME", L"Face"}, {L"PHOTO_TYPE", L"NONE"}, {L"PHOTO_LOCAL_PATH", path}}, {});
    EXPECT_EQ(written.find("PHOTO"), std::string::npos);
    DeleteFileW(path.c_str());
}

// Pictures as each version writes them: 2.1 base64 over folded lines, 3.0 "b", 4.0 a
// data: URI, or a file on this PC.
TEST(VCardReader, TakesPicturesInEveryFormItCanRead)
{
    const std::string jpeg("\xFF\xD8\xFF\xE0", 4), png("\x89PNG\r\n\x1A\n", 8);
    auto contacts = VCardReader::Read(
        "BEGIN:VCARD\r\nVERSION:2.1\r\nN:One;A\r\nPHOTO;ENCODING=BASE64;TYPE=JPEG:\r\n /9j/\r\n 4A==\r\n\r\nEND:VCARD\r\n"
        "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Two;B\r\nPHOTO;ENCODING=b;TYPE=PNG:iVBORw0KGgo=\r\nEND:VCARD\r\n"
        "BEGIN:VCARD\r\nVERSION:4.0\r\nN:Three;C\r\nPHOTO:data:image/jpeg;base64,/9j/4A==\r\nEND:VCARD\r\n"
        "BEGIN:VCARD\r\nVERSION:4.0\r\nN:Four;D\r\nPHOTO:http://example.com/d.jpg\r\nEND:VCARD\r\n");
    ASSERT_EQ(contacts.size(), 4u);
    EXPECT_EQ(contacts[0].picture, jpeg);
    EXPECT_EQ(contacts[0].pictureFormat, "jpg");
    EXPECT_EQ(contacts[1].picture, png);
    EXPECT_EQ(contacts[1].pictureFormat, "png");
    EXPECT_EQ(contacts[2].picture, jpeg);
    EXPECT_TRUE(contacts[2].notes.empty());
    EXPECT_TRUE(contacts[3].picture.empty());
    EXPECT_TRUE(Says(contacts[3], "the picture on line 22 left out: only pictures inside the file or in a file on this PC are read"));

    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    std::wstring path = std::wstring(folder) + L"vcard reader face.jpg";
    std::ofstream(std::string(path.begin(), path.end()), std::ios::binary) << jpeg;
    std::string uri = "file:///" + kelvra::NarrowUtf8(path);
    for (char& c : uri)
        c = c == '\\' ? '/' : c;
    uri.replace(uri.find(" reader "), 8, "%20reader%20");
    EXPECT_EQ(One("N:Five;E\r\nPHOTO;VALUE=uri:" + uri + "\r\n").picture, jpeg);
    DeleteFileW(path.c_str());
}

// A vCard begun inside another is a contact of its own, and the outer one keeps what
// follows it; an AGENT's vCard is no contact at all.
TEST(VCardReader, KeepsTheOuterContactWholeAroundAnInnerVCard)
{
    auto contacts = VCardReader::Read("BEGIN:VCARD\r\nVERSION:2.1\r\nN:Outer;Olga\r\n"
                                      "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Inner;Ida\r\nEND:VCARD\r\n"
                                      "TEL:555 0101\r\nAGENT:\r\nBEGIN:VCARD\r\nN:Agent;Al\r\nTEL:999\r\nEND:VCARD\r\n"
                                      "NOTE:after\r\n the agent\r\nEND:VCARD\r\n");
    ASSERT_EQ(contacts.size(), 2u);
    EXPECT_EQ(Column(contacts[0], L"LAST_NAME"), L"Outer");
    EXPECT_EQ(Column(contacts[0], L"TEL_NUM_0"), L"555 0101");
    EXPECT_EQ(Column(contacts[0], L"TEL_NUM_1"), L"");
    // Version 2.1 again after the inner 3.0 card: the folded line keeps its blank.
    EXPECT_EQ(Column(contacts[0], L"NOTES"), L"after the agent");
    EXPECT_TRUE(Says(contacts[0], "AGENT has no place on the handset"));
    EXPECT_TRUE(contacts[0].problem.empty());
    EXPECT_EQ(Column(contacts[1], L"LAST_NAME"), L"Inner");
}

// A quoted-printable value with a stray "=" at its end does not swallow the vCard's end.
TEST(VCardReader, AStraySoftBreakDoesNotTakeTheEndOfTheVCard)
{
    auto contacts = VCardReader::Read("BEGIN:VCARD\r\nVERSION:2.1\r\nN:Doe;Jane\r\n"
                                      "NOTE;ENCODING=QUOTED-PRINTABLE:caf=C3=A9=\r\nEND:VCARD\r\n"
                                      "BEGIN:VCARD\r\nVERSION:2.1\r\nN:Roe;Rick\r\nEND:VCARD\r\n");
    ASSERT_EQ(contacts.size(), 2u);
    EXPECT_EQ(Column(contacts[0], L"NOTES"), L"caf\u00E9");
    EXPECT_EQ(Column(contacts[0], L"LAST_NAME"), L"Doe");
    EXPECT_TRUE(contacts[0].problem.empty());
    EXPECT_EQ(Column(contacts[1], L"LAST_NAME"), L"Roe");
}

// A model with 10-character first names, 16-character full names and 8-digit numbers.
TEST(DuplicateFinder, MatchesACutTextOnlyWhereItFillsItsField)
{
    PhonebookCapabilities model = PhonebookCapabilities::FromDevInf(
        L"<DataStore>\r\n<SourceRef>PHONEBOOK</SourceRef>\r\n"
        L"<Property>\r\n\t<PropName>FIRST_NAME</PropName>\r\n\t<MaxSize>10</MaxSize>\r\n</Property>\r\n"
        L"<Property>\r\n\t<PropName>DISPLAY_NAME</PropName>\r\n\t<MaxSize>16</MaxSize>\r\n</Property>\r\n"
        L"<Property>\r\n\t<PropName>TEL_NUM</PropName>\r\n\t<MaxSize>8</MaxSize>\r\n</Property>\r\n"
        L"<Property>\r\n\t<PropName>PHOTO</PropName>\r\n</Property>\r\n</DataStore>\r\n");
    EXPECT_TRUE(model.keepsPictures);
    DuplicateFinder finder(model);
    finder.Add(4, {{L"FIRST_NAME", L"Bartholome"}, {L"DISPLAY_NAME", L"SmytheBartholome"}, {L"TEL_COUNT", L"2"},
                   {L"TEL_NUM_0", L"01011112"}, {L"TEL_NUM_1", L"1800"}});
    finder.Add(5, {{L"FIRST_NAME", L"Al"}, {L"DISPLAY_NAME", L"SmithAl"}, {L"TEL_COUNT", L"2"}, {L"TEL_NUM_0", L"0101"}});
    ContactColumns same = {{L"LAST_NAME", L"Smythe"}, {L"FIRST_NAME", L"Bartholomew"},
                           {L"TEL_NUM_0", L"010-1111-2222"}, {L"TEL_NUM_1", L"1-800-FLOWERS"},
                           {L"TEL_NUM_2", L"02-555-6666"}};
    EXPECT_EQ(finder.Find(same), 4);
    ContactColumns otherNumber = same;
    otherNumber[2].second = L"010-1111-3222";
    EXPECT_EQ(finder.Find(otherNumber), 0);
    ContactColumns otherName = same;
    otherName[0].second = L"Smith";
    EXPECT_EQ(finder.Find(otherName), 0);
    ContactColumns fewerNumbers(same.begin(), same.begin() + 3);
    EXPECT_EQ(finder.Find(fewerNumbers), 0);
    // "Al Smith 0101" fills none of its fields: it holds no longer name or number.
    EXPECT_EQ(finder.Find({{L"LAST_NAME", L"Smithson"}, {L"FIRST_NAME", L"Alice"}, {L"TEL_NUM_0", L"01012345678"}}), 0);
    EXPECT_EQ(finder.Find({{L"LAST_NAME", L"Smith"}, {L"FIRST_NAME", L"Al"}, {L"TEL_NUM_0", L"0101"}}), 5);
    EXPECT_EQ(finder.Find({}), 0);
}

TEST(DevInfSummary, ListsEachStoreWithItsLimitsOnce)
{
    std::wstring document =
        L"<DevInf><DataStore><SourceRef>PHONEBOOK</SourceRef><CTCap>"
        L"<Property><PropName>FIRST_NAME</PropName><DataType>string</DataType><MaxSize>24</MaxSize></Property>"
        L"<Property><PropName>BIRTHDAY</PropName></Property>"
        L"<Property><PropName>TEL_COUNT</PropName><MaxValue>5</MaxValue></Property>"
        L"</CTCap><DSMem><MaxMem>1000</MaxMem></DSMem></DataStore>"
        L"<DataStore><SourceRef>CALENDAR_EVENT</SourceRef>"
        L"<CTCap><Property><PropName>SUBJECT</PropName><MaxSize>45</MaxSize></Property></CTCap>"
        L"<CTCap><Property><PropName>SUBJECT</PropName><MaxSize>45</MaxSize></Property></CTCap>"
        L"</DataStore></DevInf>";
    EXPECT_EQ(DevInfSummary::Of(document),
              "PHONEBOOK: up to 1000 items\n"
              "  FIRST_NAME          24 characters\n"
              "  TEL_COUNT           at most 5\n"
              "CALENDAR_EVENT\n"
              "  SUBJECT             45 characters\n");
}
