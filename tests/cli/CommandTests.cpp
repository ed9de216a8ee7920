// The host's command parts without a handset: how much of a text one SMS holds, what a
// model profile says the model keeps, one command's lines of the usage, and the DevInf
// summary as JSON.
#include <gtest/gtest.h>

#include "CommandHelp.h"
#include "CommandTable.h"
#include "DevInfSummary.h"
#include "MessageSync.h"
#include "ModelProfileText.h"

using namespace kelvra::host;

TEST(SmsText, FitsWholeCharactersByTheirBytesInUtf8)
{
    EXPECT_EQ(2u, CharactersWithin(L"abc", 2));
    EXPECT_EQ(3u, CharactersWithin(L"abc", 254));
    // Korean syllables take three bytes, an accented letter two: none is split.
    EXPECT_EQ(1u, CharactersWithin(L"\uD68C\uD68C", 5));
    EXPECT_EQ(2u, CharactersWithin(L"\uD68C\uD68C", 6));
    EXPECT_EQ(1u, CharactersWithin(L"\u00E9\u00E9", 3));
    // A character beyond the BMP is a surrogate pair of four bytes, kept or left whole.
    EXPECT_EQ(1u, CharactersWithin(L"a\U0001F600b", 4));
    EXPECT_EQ(3u, CharactersWithin(L"a\U0001F600b", 5));
    EXPECT_EQ(0u, CharactersWithin(L"\uD68C", 2));
}

TEST(ModelProfileText, ReadsWhatTheModelKeepsFromItsTablesAndSections)
{
    ModelProfileText profile(
        "[Phone Base Info]\r\nPhoneModel = KTM-X1\r\n\r\n"
        "[Memo]\r\nMaxRecordCount = 50\r\n\r\n"
        "[DB]\r\nDB_Count = 4\r\nDB_Table_Index = 1,2,4,12,13\r\n\r\n"
        "[DB_TABLE_1]\r\nField_Index_3 = wrong,byte,1,0\r\n\r\n"
        "[DB_TABLE_13]\r\nField_Count = 3\r\nField_Index_3 = data,byte,160,0\r\n");
    EXPECT_EQ("KTM-X1", profile.ModelName());
    EXPECT_EQ(160, profile.Count("DB_TABLE_13", "Field_Index_3"));
    EXPECT_EQ(50, profile.Count("Memo", "MaxRecordCount"));
    EXPECT_EQ(0, profile.Count("DB_TABLE_5", "Field_Index_3"));
    EXPECT_EQ("", profile.Value("DB", "DB_Table"));  // a key is matched whole
    EXPECT_TRUE(profile.KeepsTable(L"memos"));
    EXPECT_TRUE(profile.KeepsTable(L"sms"));
    EXPECT_FALSE(profile.KeepsTable(L"tasks"));
    EXPECT_FALSE(profile.KeepsTable(L"calendar"));
    EXPECT_FALSE(profile.KeepsTable(L"mms"));
    EXPECT_FALSE(profile.KeepsTable(L"files"));
    EXPECT_FALSE(profile.KeepsTable(L"card"));
}

TEST(CommandHelp, TakesOneCommandsLinesOfTheUsage)
{
    std::string rm = CommandHelp::UsageOf("rm", CommandTable::Usage());
    EXPECT_NE(std::string::npos, rm.find("mkdir PATH | rmdir PATH | rm PATH\n"));
    EXPECT_NE(std::string::npos, rm.find("makes or removes a folder"));
    EXPECT_EQ(std::string::npos, rm.find("mv PATH"));
    std::string send = CommandHelp::UsageOf("send-sms", CommandTable::Usage());
    EXPECT_EQ(0u, send.find("  send-sms "));
    EXPECT_NE(std::string::npos, send.find("--cut sent as far as it fits"));
    EXPECT_EQ(std::string::npos, send.find("export-sms"));
    // A word of another command's synopsis is no command.
    EXPECT_EQ("", CommandHelp::UsageOf("TABLE", CommandTable::Usage()));
    EXPECT_EQ("", CommandHelp::UsageOf("PATH", CommandTable::Usage()));
}

TEST(DevInfSummary, GivesTheStoresAsJson)
{
    std::vector<StoreLimits> stores = {{"PHONEBOOK", "1000", {{"FIRST_NAME", "24", ""}, {"TEL_COUNT", "", "5"}}},
                                       {"MEMO", "", {}}};
    EXPECT_EQ(DevInfSummary::Json(stores),
              "[\n"
              " {\"store\": \"PHONEBOOK\", \"maxItems\": 1000, \"properties\": [{\"name\": \"FIRST_NAME\", "
              "\"maxSize\": 24}, {\"name\": \"TEL_COUNT\", \"maxValue\": 5}]},\n"
              " {\"store\": \"MEMO\", \"properties\": []}\n"
              "]\n");
    EXPECT_EQ(DevInfSummary::Json({}), "[]\n");
}
