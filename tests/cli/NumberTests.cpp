// Numbers before they reach the handset: what each model stores, which numbers are
// refused because the handset would keep another number, the vCard number types the
// phonebook has no type for, and a contact as a card entry.
#include <gtest/gtest.h>

#include "CardEntry.h"
#include "ContentLineReader.h"
#include "HandsetNumber.h"
#include "VCardNumberType.h"

using namespace kelvra::host;

namespace {

const NumberRules kContacts = NumberRules::ForContacts(L"KTM-A280", 40);
const NumberRules kCard = NumberRules::ForCard(8);

ContentLine Tel(const std::string& line)
{
    ContentLineReader reader(line + "\r\n");
    ContentLine parsed;
    EXPECT_TRUE(reader.Next(parsed));
    return parsed;
}

}  // namespace

TEST(HandsetNumber, EveryFormOfAnExtensionBecomesThePauseAndIsSaid)
{
    for (const wchar_t* given : {L"+1 415 555 0100 ext. 12", L"+1 415 555 0100 x12", L"+1 (415) 555-0100 Extension 12",
                                 L"+1-415-555-0100;ext=12", L"+1 415 555 0100;12", L"+1 415 555 0100,12",
                                 L"+1 415 555 0100 EXT 12"}) {
        NumberVerdict verdict = HandsetNumber::Check(given, kContacts);
        EXPECT_EQ(verdict.listed, L"+14155550100P12") << given;
        EXPECT_EQ(verdict.refusal, "") << given;
        EXPECT_NE(verdict.note.find("the extension is dialled after the pause P"), std::string::npos) << given;
    }
}

TEST(HandsetNumber, LettersAndStraySignsAreRefusedWithWhatTheHandsetWouldKeep)
{
    NumberVerdict flowers = HandsetNumber::Check(L"0800-FLOWERS", kContacts);
    EXPECT_EQ(flowers.refusal,
              "\"0800-FLOWERS\" holds characters that are no part of a number: the handset dials digits, a leading "
              "\"+\", \"*\", \"#\" and the pauses P and T, and would store \"0800\"");
    // A pause letter inside a word is still a word; a "+" after the start is dropped.
    EXPECT_NE(HandsetNumber::Check(L"0800 PET", kContacts).refusal, "");
    EXPECT_NE(HandsetNumber::Check(L"00+44 20 7946 0000", kContacts).refusal, "");
    EXPECT_NE(HandsetNumber::Check(L"555\u00A00100", kContacts).refusal, "");
    EXPECT_NE(HandsetNumber::Check(L"555 0100 ext.", kContacts).refusal, "");  // no extension follows the mark
    EXPECT_EQ(HandsetNumber::Check(L"0800 FLOWERS", kCard).refusal,
              "\"0800 FLOWERS\" holds characters that are no part of a number: the handset dials digits, a leading "
              "\"+\", \"*\", \"#\" and the pause P, and would store \"0800\"");
}

TEST(HandsetNumber, PlainNumbersGoAsTheHandsetListsThemAndSayNothing)
{
    NumberVerdict verdict = HandsetNumber::Check(L"  +44 (20) 7946-0000 ", kContacts);
    EXPECT_EQ(verdict.stored, L"+442079460000");
    EXPECT_EQ(verdict.listed, L"+442079460000");
    EXPECT_EQ(verdict.refusal + verdict.note, "");
    EXPECT_EQ(HandsetNumber::Check(L"*31#0101p2T3", kContacts).stored, L"*31#0101P2T3");
    EXPECT_EQ(HandsetNumber::Check(L"", kContacts).stored, L"");
}

TEST(HandsetNumber, PausesTheModelDoesNotKeepBecomeItsOwn)
{
    NumberVerdict wait = HandsetNumber::Check(L"5550100w12", kContacts);
    EXPECT_EQ(wait.listed, L"5550100P12");
    EXPECT_EQ(wait.note, "\"5550100w12\" is stored as \"5550100P12\": the handset keeps no pause W and waits at P instead");
    EXPECT_EQ(HandsetNumber::Check(L"5550100T12", kContacts).stored, L"5550100T12");
    EXPECT_EQ(HandsetNumber::Check(L"555T12", kCard).listed, L"555P12");
}

TEST(HandsetNumber, ANumberLongerThanTheFieldIsRefusedNotCut)
{
    std::wstring forty(40, L'1');
    EXPECT_EQ(HandsetNumber::Check(forty, kContacts).refusal, "");
    // The phonebook's field holds the "+" too.
    EXPECT_EQ(HandsetNumber::Check(L"+" + forty, kContacts).refusal,
              "\"+" + std::string(40, '1') + "\" is longer than the handset keeps: it would store \"+" +
                  std::string(39, '1') + "\"");
    // Blanks and dashes do not count.
    NumberVerdict dashes = HandsetNumber::Check(L"1-1-1-1-1-1-1-1-1-1-1-1-1-1-1-1-1-1-1-1-1-1-1", kContacts);
    EXPECT_EQ(dashes.refusal, "");
    EXPECT_EQ(dashes.stored, L"11111111111111111111111");
    // The card's "+" does not count against its limit of 8 here.
    EXPECT_EQ(HandsetNumber::Check(L"+12345678", kCard).stored, L"+12345678");
    EXPECT_EQ(HandsetNumber::Check(L"123456789", kCard).refusal,
              "\"123456789\" is longer than the handset keeps: it would store \"12345678\"");
}

TEST(HandsetNumber, AModelThatListsNumbersAsWrittenKeepsTheirBlanks)
{
    NumberRules asWritten = NumberRules::ForContacts(L"KTM-A230", 32);
    NumberVerdict verdict = HandsetNumber::Check(L"+1 415 555 0100 ext. 12", asWritten);
    EXPECT_EQ(verdict.stored, L"+1 415 555 0100 P12");
    EXPECT_EQ(HandsetNumber::Check(L"0800-FLOWERS", asWritten).refusal,
              "\"0800-FLOWERS\" holds characters that are no part of a number: the handset dials digits, a leading "
              "\"+\", \"*\", \"#\" and the pauses P and T");
    // Here the blanks take room in the field.
    EXPECT_NE(HandsetNumber::Check(L"1 2 3 4 5 6 7 8 9 0 1 2 3 4 5 6 7", asWritten).refusal, "");
    EXPECT_TRUE(NumberRules::ForContacts(L"KTM-A230 HUTCH", 32).keepsAsWritten);
}

TEST(VCardNumberType, TypesWithoutAnEquivalentAreNamed)
{
    std::string unkept;
    EXPECT_EQ(VCardNumberType::Of(Tel("TEL;TYPE=PAGER:555"), unkept), L"Landline.Private");
    EXPECT_EQ(unkept, "PAGER");
    EXPECT_EQ(VCardNumberType::Of(Tel("TEL;TYPE=\"main,x-assistant\":555"), unkept), L"Landline.Private");
    EXPECT_EQ(unkept, "MAIN,X-ASSISTANT");
    EXPECT_EQ(VCardNumberType::Of(Tel("TEL;CELL;WORK;PAGER:555"), unkept), L"Mobile.Business");
    EXPECT_EQ(unkept, "PAGER");
    EXPECT_EQ(VCardNumberType::Of(Tel("TEL;TYPE=work,voice,pref:555"), unkept), L"Landline.Business");
    EXPECT_EQ(unkept, "");
    EXPECT_EQ(VCardNumberType::Of(Tel("TEL;TYPE=FAX;TYPE=HOME:555"), unkept), L"Fax");
    EXPECT_EQ(unkept, "");
}

TEST(CardEntry, AContactBecomesOneNameAndOneNumberAndTheRestIsSaid)
{
    VCardContact contact;
    contact.label = L"Jane Doe";
    contact.columns = {{L"LAST_NAME", L"Doe"},          {L"FIRST_NAME", L"Jane"},
                       {L"TEL_NUM_0", L"555 0101"},     {L"TEL_TYPE_0", L"Mobile.Private"},
                       {L"TEL_DIAL_0", L"3"},           {L"TEL_NUM_1", L"555 0102"},
                       {L"TEL_TYPE_1", L"Fax"},         {L"EMAIL_ADDR_0", L"jane@example.com"},
                       {L"EMAIL_TYPE_0", L"private"},   {L"ADDR_STREET_0", L"1 Main St"},
                       {L"ADDR_LOCALITY_0", L"Springfield"}, {L"GROUP_NAME_0", L"Friends"}};
    std::vector<std::string> notes;
    std::string problem;
    ContactColumns entry = CardEntry::FromContact(contact, notes, problem);
    EXPECT_EQ(problem, "");
    EXPECT_EQ(entry, (ContactColumns{{L"DISPLAY_NAME", L"Jane Doe"}, {L"TEL_NUM_0", L"555 0101"}}));
    EXPECT_EQ(notes, (std::vector<std::string>{"TEL_DIAL_0 \"3\" has no place on the card",
                                               "TEL_NUM_1 \"555 0102\" has no place on the card",
                                               "EMAIL_ADDR_0 \"jane@example.com\" has no place on the card",
                                               "group \"Friends\" has no place on the card",
                                               "the address has no place on the card"}));

    VCardContact noNumber;
    noNumber.columns = {{L"FIRST_NAME", L"Jane"}};
    EXPECT_TRUE(CardEntry::FromContact(noNumber, notes, problem).empty());
    EXPECT_EQ(problem, "a card entry needs a number");
}
