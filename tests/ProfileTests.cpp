// The model profile as ListDataTable loads it: every key of the seven built-in profiles,
// and the reader's rules on profiles fetched from the handset.
#include <gtest/gtest.h>

#include <fstream>
#include <atomic>
#include <map>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "DeviceDataKELVRA.h"
#include "ProfileFileLock.h"
#include "ProfileLoader.h"
#include "SimConnection.h"
#include "SimModelDatabase.h"
#include "TestEnvironment.h"

using namespace kelvra;

namespace {

using Texts = std::map<std::wstring, std::wstring>;
using Lengths = std::map<std::wstring, FieldLength>;

struct Expected {
    Texts texts;
    Lengths lengths;
    std::set<int> tables;
};

// Resource 202, model KTM-A280, with group support asked for.
Expected A280()
{
    Expected e;
    e.texts = {
        {L"PhoneBaseInfo_PhoneModel", L"KTM-A280"},
        {L"PhoneRootPath_Path", L"tfs4/a/users"},
        {L"ExternalRootPath_Path", L"mvfs/mv"},
        {L"File_MaxFolderDepth", L"16"},
        {L"File_FolderNameLen", L"50"},
        {L"File_FileNameLen", L"46"},
        {L"File_TotalMemSize", L"118628352"},
        {L"PBGroup_StartIndex", L"0"},
        {L"PBGroup_EndIndex", L"9"},
        {L"PBGroup_DefaultCount", L"4"},
        {L"Phonebook_MaxGroupCount", L"10"},
        {L"Phonebook_MaxRecordCount", L"1000"},
        {L"Phonebook_MaxSpeedDialCount", L"10"},
        {L"Phonebook_RingType", L"1"},
        {L"Phonebook_PhotoXsize", L"240"},
        {L"Phonebook_PhotoYsize", L"320"},
        {L"Phonebook_PBStartIndex", L"1"},
        {L"Phonebook_PBEndIndex", L"1000"},
        {L"Phonebook_SpeedDialStart", L"0"},
        {L"Phonebook_SpeedDialEnd", L"9"},
        {L"Phonebook_TellTypeEnum", L"0,1,2,3,4,5"},
        {L"Phonebook_NumberCnt", L"5"},
        {L"Phonebook_AddressCnt", L"1"},
        {L"Phonebook_EMailCnt", L"2"},
        {L"Phonebook_URLCnt", L"1"},
        {L"PBGroup_Support", L"true"},
        {L"PBGroup_GroupMaxCnt", L"10"},
        {L"PBGroup_NotDelete", L"0"},
        {L"RUIM_startindex", L"1"},
        {L"RUIM_cardslotcount", L"2"},
        {L"Schedule_Support", L"true"},
        {L"Schedule_startindex", L"0"},
        {L"Schedule_MaxRecordCount", L"100"},
        {L"Schedule_DiscriptionEngLeng", L"32"},
        {L"Schedule_RepeatTypeEnum", L"0,1,2,3"},
        {L"Schedule_AlarmRsvTypeEnum", L"0,1,2,3"},
        {L"Schedule_ExpireType", L"0,2"},
        {L"Anniversary_Support", L"true"},
        {L"Anniversary_AlarmRsvTypeEnum", L"0,1"},
        {L"Anniversary_RepeatTypeEnum", L"0,1,2,3"},
        {L"Anniversary_startindex", L"0"},
        {L"Anniversary_MaxRecordCnt", L"50"},
        {L"Holiday_Support", L"true"},
        {L"Holiday_startindex", L"0"},
        {L"Holiday_MaxRecordCnt", L"50"},
        {L"Important_Support", L"true"},
        {L"Important_startindex", L"0"},
        {L"Important_MaxRecordCnt", L"20"},
        {L"Private_Support", L"true"},
        {L"Private_startindex", L"0"},
        {L"Private_MaxRecordCnt", L"20"},
        {L"Memo_StartIndex", L"0"},
        {L"Memo_MaxRecordCount", L"50"},
        {L"SMS_RcvSMSStartIndex", L"1"},
        {L"SMS_SendSMSStartIndex", L"1"},
        {L"SMS_MaxCount", L"1000"},
        {L"SMS_MaxReceiverCount", L"10"},
        {L"SMS_CallBackDialLen", L"32"},
        {L"SMS_DailLen", L"34"},
        {L"SMS_DataLen", L"255"},
        {L"MMS_PAGE_MAX", L"20"},
        {L"MMS_ATTACHMENT_MAX", L"30"},
        {L"MMS_ADDR_CNT_MAX", L"20"},
        {L"MMS_EXT_INFO",
         L"jpg|jpeg|gif|bmp|wbmp|png|wmf|emf|mp4|3gp|3g2|pmd|ma2|ma3|aac|qcp|imy|mid|midi|amr|wma|mp3|m4a|wav"},
        {L"MMS_ATTACH_INFO", L"wmv|avi|divx|ra|vcf|vcs|vnt|txt|doc|xls|pdf|ppt"},
        {L"MMS_AttachAllFile", L"1"},
        {L"MMS_SubjectLen", L"60"},
        {L"MMS_TextLen", L"1000"},
        {L"MMS_MaxSize", L"307200"},
        {L"MMS_AddressLen", L"50"},
        {L"Task_Support", L"false"},
    };
    e.lengths = {
        {L"Phonebook_FileNameLen", {256, 1}},
        {L"Phonebook_MemoLne", {50, 1}},
        {L"Phonebook_FirstNameLen", {24, 1}},
        {L"Phonebook_FullNameLen", {60, 1}},
        {L"Phonebook_NumberLen", {40, 1}},
        {L"Phonebook_AddrInfoLen", {50, 1}},
        {L"Phonebook_AddrStreetNumLen", {50, 1}},
        {L"Phonebook_AddrZipCodeLen", {20, 1}},
        {L"Phonebook_AddrCityLen", {50, 1}},
        {L"Phonebook_AddrStateLen", {50, 1}},
        {L"Phonebook_AddrCountryLen", {20, 1}},
        {L"Phonebook_EMailLen", {50, 1}},
        {L"PBGroup_NameLen", {20, 1}},
        {L"PBGroup_PhotoFileNameLen", {256, 1}},
        {L"PBGroup_RingFileNameLen", {256, 1}},
        {L"RUIM_DefaultNameLen", {32, 1}},
        {L"RUIM_DefaultNumberLen", {40, 1}},
        {L"Schedule_SubjectLen", {45, 0}},
        {L"Schedule_DetailLen", {100, 0}},
        {L"Schedule_LocationLen", {45, 0}},
        {L"Schedule_SoundFileNameLen", {256, 1}},
        {L"Anniversary_TitleLen", {45, 0}},
        {L"Anniversary_DetailLen", {100, 0}},
        {L"Holiday_TitleLen", {45, 0}},
        {L"Holiday_DetailLen", {100, 0}},
        {L"Memo_TextLen", {60, 2}},
        {L"SMS_DataLen_Read", {254, 1}},
        {L"SMS_DailLen_Read", {340, 0}},
        {L"SMS_CallBackDialLen_Read", {32, 0}},
    };
    e.tables = {1, 2, 3, 4, 7, 8, 9, 10, 11, 12, 13, 14, 17, 18};
    return e;
}

// Resource 203: the "SppedDialStart" key, short counts, a group record with a video flag.
Expected A150()
{
    Expected e = A280();
    e.texts[L"PhoneBaseInfo_PhoneModel"] = L"KTM-A150";
    e.texts[L"PhoneRootPath_Path"] = L"efs2/users";
    e.texts[L"File_TotalMemSize"] = L"-1";
    e.texts[L"Phonebook_RingType"] = L"2";
    e.texts[L"Phonebook_SpeedDialStart"] = L"-1";
    e.texts[L"Phonebook_SpeedDialEnd"] = L"99";
    e.texts[L"PBGroup_NotDelete"] = L"-1";
    e.texts[L"Schedule_RepeatTypeEnum"] = L"0,1,2,3,4";
    e.texts[L"Schedule_AlarmRsvTypeEnum"] = L"-1,0,1,2,3";
    e.texts[L"Anniversary_RepeatTypeEnum"] = L"0,1,2,3,4";
    e.texts[L"Anniversary_AlarmRsvTypeEnum"] = L"-1,0,1,2,3";
    e.lengths[L"Phonebook_FileNameLen"] = {257, 0};
    e.lengths[L"Phonebook_MemoLne"] = {51, 0};
    e.lengths[L"Phonebook_FirstNameLen"] = {21, 0};
    e.lengths[L"Phonebook_FullNameLen"] = {51, 0};
    e.lengths[L"Phonebook_NumberLen"] = {41, 0};
    e.lengths[L"Phonebook_AddrInfoLen"] = {51, 0};
    e.lengths[L"Phonebook_AddrStreetNumLen"] = {51, 0};
    e.lengths[L"Phonebook_AddrZipCodeLen"] = {21, 0};
    e.lengths[L"Phonebook_AddrCityLen"] = {51, 0};
    e.lengths[L"Phonebook_AddrStateLen"] = {51, 0};
    e.lengths[L"Phonebook_AddrCountryLen"] = {21, 0};
    e.lengths[L"Phonebook_EMailLen"] = {51, 0};
    e.lengths[L"PBGroup_NameLen"] = {21, 0};
    e.lengths[L"PBGroup_PhotoFileNameLen"] = {257, 0};
    e.lengths[L"PBGroup_RingFileNameLen"] = {1, 0};  // field 6 is "Addr,uint16,1,1" here
    e.lengths[L"Schedule_SoundFileNameLen"] = {257, 0};
    e.lengths[L"SMS_DataLen_Read"] = {255, 0};
    // Its list lacks 8 and 13; the model rule adds 3, 7, 8, 9 and 10.
    e.tables = {1, 2, 3, 4, 7, 8, 9, 10, 11, 12, 14};
    return e;
}

// Resource 208: no address block, a speed-dial store without its description.
Expected A230()
{
    Expected e = A280();
    e.texts[L"PhoneBaseInfo_PhoneModel"] = L"KTM-A230";
    e.texts[L"PBGroup_DefaultCount"] = L"5";
    e.texts[L"Phonebook_MaxRecordCount"] = L"500";
    e.texts[L"Phonebook_PBEndIndex"] = L"500";
    e.texts[L"Phonebook_NumberCnt"] = L"3";
    e.texts[L"Phonebook_AddressCnt"] = L"0";
    e.texts[L"RUIM_cardslotcount"] = L"1";
    e.texts[L"Anniversary_RepeatTypeEnum"] = L"3";
    e.texts[L"Anniversary_AlarmRsvTypeEnum"] = L"2,3";
    e.texts[L"SMS_MaxCount"] = L"500";
    e.texts[L"SMS_DataLen"] = L"160";
    e.texts[L"MMS_ATTACHMENT_MAX"] = L"40";
    e.texts[L"MMS_EXT_INFO"] =
        L"au|aif|wav|mp3|aac|imy|mid|qcp|pmd|m4a|3gp|3g2|3gpp|3gpp2|mp4|wma|Bmp|wbmp|gif|jpeg|png|mpeg|avi|txt";
    e.texts[L"MMS_AttachAllFile"] = L"0";
    e.texts[L"MMS_ATTACH_INFO"] = L"768";
    e.texts[L"PhoneRootPath_Path"] = L"efs2/users";
    e.texts[L"File_TotalMemSize"] = L"0";
    e.texts[L"ExternalRootPath_Path"] = L"tfs4/e";
    e.lengths[L"Phonebook_MemoLne"] = {128, 1};
    e.lengths[L"Phonebook_FirstNameLen"] = {20, 1};
    e.lengths[L"Phonebook_FullNameLen"] = {42, 1};
    e.lengths[L"Phonebook_NumberLen"] = {32, 1};
    e.lengths[L"Phonebook_EMailLen"] = {50, 1};
    for (const wchar_t* key : {L"Phonebook_AddrInfoLen", L"Phonebook_AddrStreetNumLen", L"Phonebook_AddrZipCodeLen",
                               L"Phonebook_AddrCityLen", L"Phonebook_AddrStateLen", L"Phonebook_AddrCountryLen"})
        e.lengths.erase(key);
    e.lengths[L"SpeedDial_Name"] = {-1, 0};
    e.lengths[L"SpeedDial_Number"] = {-1, 0};
    e.tables = {1, 2, 3, 4, 7, 8, 9, 10, 12, 13, 14, 16, 17, 18};
    return e;
}

// The longer fields that resources 210, 211 and 212 share.
void WiderFields(Expected& e)
{
    e.texts[L"PBGroup_DefaultCount"] = L"8";
    e.texts[L"PhoneRootPath_Path"] = L"/tfs4/a/users";
    e.texts[L"File_TotalMemSize"] = L"0";
    e.texts[L"Schedule_DiscriptionEngLeng"] = L"-1";
    e.lengths[L"Phonebook_MemoLne"] = {64, 1};
    e.lengths[L"Phonebook_AddrInfoLen"] = {64, 1};
    e.lengths[L"Phonebook_AddrStreetNumLen"] = {64, 1};
    e.lengths[L"Phonebook_AddrCityLen"] = {64, 1};
    e.lengths[L"Phonebook_AddrStateLen"] = {64, 1};
    e.lengths[L"Phonebook_EMailLen"] = {128, 1};
    e.lengths[L"PBGroup_NameLen"] = {32, 1};
}

Expected A260()
{
    Expected e = A280();
    WiderFields(e);
    e.texts[L"PhoneBaseInfo_PhoneModel"] = L"KTM-A260";
    e.texts[L"RUIM_cardslotcount"] = L"1";
    e.texts[L"Anniversary_RepeatTypeEnum"] = L"3";
    e.texts[L"Anniversary_AlarmRsvTypeEnum"] = L"2,3";
    e.texts[L"MMS_ATTACH_INFO"] = L"vcf|vcs|vnt|txt|doc|xls|pdf|ppt";
    e.texts[L"ExternalRootPath_Path"] = L"/tfs4/e";
    return e;
}

Expected A130()
{
    Expected e = A260();
    e.texts[L"PhoneBaseInfo_PhoneModel"] = L"KTM-A130";
    e.texts[L"MMS_ATTACH_INFO"] = L"vcf|vcs|vnt";
    return e;
}

// Resource 211: tasks, and no holiday, important or private store.
Expected A290()
{
    Expected e = A280();
    WiderFields(e);
    e.texts[L"PhoneBaseInfo_PhoneModel"] = L"KTM-A290";
    e.texts[L"Phonebook_MaxRecordCount"] = L"2000";
    e.texts[L"Phonebook_MaxSpeedDialCount"] = L"0";
    e.texts[L"Phonebook_PhotoYsize"] = L"400";
    e.texts[L"Phonebook_PBEndIndex"] = L"2000";
    e.texts[L"Schedule_MaxRecordCount"] = L"200";
    e.texts[L"Schedule_RepeatTypeEnum"] = L"-1,0,1,2,3";
    e.texts[L"Schedule_AlarmRsvTypeEnum"] = L"-1,4,10,11,5,7,12";
    e.texts[L"Anniversary_MaxRecordCnt"] = L"100";
    e.texts[L"Anniversary_RepeatTypeEnum"] = L"3";
    e.texts[L"Anniversary_AlarmRsvTypeEnum"] = L"-1,4,10,11,5,7,12";
    e.texts[L"Memo_MaxRecordCount"] = L"100";
    e.texts[L"SMS_MaxCount"] = L"1200";
    e.texts[L"MMS_ATTACH_INFO"] = L"vcf|vcs|vnt";
    e.texts[L"ExternalRootPath_Path"] = L"/mvfs/mv";
    for (const wchar_t* key : {L"Holiday_startindex", L"Holiday_MaxRecordCnt", L"Important_startindex",
                               L"Important_MaxRecordCnt", L"Private_startindex", L"Private_MaxRecordCnt"})
        e.texts.erase(key);
    e.texts[L"Holiday_Support"] = L"false";
    e.texts[L"Important_Support"] = L"false";
    e.texts[L"Private_Support"] = L"false";
    e.texts[L"Task_Support"] = L"true";
    e.texts[L"Task_StartIndex"] = L"0";
    e.texts[L"Task_MaxRecordCount"] = L"100";
    e.texts[L"Task_AlarmRsvTypeEnum"] = L"-1,13,14,5,15,7";
    e.lengths.erase(L"Holiday_TitleLen");
    e.lengths.erase(L"Holiday_DetailLen");
    e.lengths[L"Memo_TextLen"] = {100, 2};
    e.lengths[L"Task_TitleLen"] = {45, 1};
    e.lengths[L"Task_DetailLen"] = {100, 1};
    e.lengths[L"Task_SndFileName"] = {256, 1};
    e.tables = {1, 2, 3, 4, 5, 7, 11, 12, 13, 14, 17, 18};
    return e;
}

// Resource 218: no file system or MMS sections, and the event store.
Expected A110()
{
    Expected e = A280();
    e.texts[L"PhoneBaseInfo_PhoneModel"] = L"KTM-A110";
    e.texts[L"PhoneRootPath_Path"] = L"-1";
    e.texts[L"ExternalRootPath_Path"] = L"-1";
    e.texts[L"File_MaxFolderDepth"] = L"-1";
    e.texts[L"File_FolderNameLen"] = L"-1";
    e.texts[L"File_FileNameLen"] = L"-1";
    e.texts[L"File_TotalMemSize"] = L"0";
    e.texts[L"PBGroup_DefaultCount"] = L"8";
    e.texts[L"Phonebook_MaxRecordCount"] = L"500";
    e.texts[L"Phonebook_PBEndIndex"] = L"500";
    e.texts[L"Phonebook_TellTypeEnum"] = L"0,1,2";
    e.texts[L"Phonebook_NumberCnt"] = L"3";
    e.texts[L"Phonebook_EMailCnt"] = L"1";
    e.texts[L"RUIM_cardslotcount"] = L"1";
    e.texts[L"Schedule_MaxRecordCount"] = L"20";
    e.texts[L"Schedule_DiscriptionEngLeng"] = L"-1";
    e.texts[L"Schedule_AlarmRsvTypeEnum"] = L"-1";
    e.texts[L"Anniversary_MaxRecordCnt"] = L"20";
    e.texts[L"Anniversary_RepeatTypeEnum"] = L"-1";
    e.texts[L"Anniversary_AlarmRsvTypeEnum"] = L"-1";
    for (const wchar_t* key : {L"Holiday_startindex", L"Holiday_MaxRecordCnt", L"Important_startindex",
                               L"Important_MaxRecordCnt", L"Private_startindex", L"Private_MaxRecordCnt"})
        e.texts.erase(key);
    e.texts[L"Holiday_Support"] = L"false";
    e.texts[L"Important_Support"] = L"false";
    e.texts[L"Private_Support"] = L"false";
    e.texts[L"SMS_MaxCount"] = L"300";
    e.texts[L"SMS_MaxReceiverCount"] = L"20";
    for (const wchar_t* key : {L"MMS_PAGE_MAX", L"MMS_ATTACHMENT_MAX", L"MMS_ADDR_CNT_MAX", L"MMS_EXT_INFO",
                               L"MMS_ATTACH_INFO", L"MMS_AttachAllFile", L"MMS_SubjectLen", L"MMS_TextLen",
                               L"MMS_MaxSize", L"MMS_AddressLen"})
        e.texts[key] = L"-1";
    e.lengths[L"Phonebook_FileNameLen"] = {260, 1};
    e.lengths[L"Phonebook_MemoLne"] = {64, 1};
    e.lengths[L"Phonebook_FirstNameLen"] = {20, 1};
    e.lengths[L"Phonebook_FullNameLen"] = {50, 1};
    e.lengths[L"Phonebook_NumberLen"] = {32, 1};
    e.lengths[L"Phonebook_AddrInfoLen"] = {64, 1};
    e.lengths[L"Phonebook_AddrStreetNumLen"] = {64, 1};
    e.lengths[L"Phonebook_AddrCityLen"] = {64, 1};
    e.lengths[L"Phonebook_AddrStateLen"] = {64, 1};
    e.lengths[L"Phonebook_EMailLen"] = {64, 1};
    e.lengths[L"PBGroup_NameLen"] = {32, 1};
    e.lengths[L"PBGroup_PhotoFileNameLen"] = {260, 1};
    e.lengths[L"PBGroup_RingFileNameLen"] = {260, 1};
    e.lengths[L"Schedule_SoundFileNameLen"] = {260, 1};
    e.lengths.erase(L"Holiday_TitleLen");
    e.lengths.erase(L"Holiday_DetailLen");
    e.lengths[L"Memo_TextLen"] = {70, 2};
    e.texts[L"Event_startindex"] = L"0";
    e.texts[L"Event_MaxRecordCnt"] = L"20";
    e.lengths[L"Event_DetailLen"] = {45, 1};
    e.lengths[L"SMS_DailLen_Read"] = {680, 0};
    e.tables = {1, 2, 3, 4, 7, 12, 13, 14, 18, 19};
    return e;
}

// A connected device data object over the simulator.
struct Session {
    ComPtr<CDeviceDataKELVRA> device = CDeviceDataKELVRA::Make();
    ComPtr<sim::SimConnection> handset = sim::SimConnection::Make();
    ComPtr<sim::SimModelDatabase> models = sim::SimModelDatabase::Make();

    Session()
    {
        EXPECT_EQ(S_OK, device->SetConneciton(static_cast<ISimHandset*>(handset.Get()),
                                              static_cast<ISimModelDatabase*>(models.Get())));
    }

    void Answer(const wchar_t* key, const wchar_t* value) { models->SetValue(Bstr(key).Get(), Bstr(value).Get()); }

    ModelProfile& LoadBuiltIn(int resource, const wchar_t* groups = L"true")
    {
        Answer(L"PhoneInfo.FromRes", L"true");
        Answer(L"PhoneInfo.ResID", std::to_wstring(resource).c_str());
        Answer(L"Datastore.Phonebook.PB_GROUP", groups);
        EXPECT_EQ(S_OK, device->ListDataTable());
        return device->Model();
    }

    // A profile the handset holds at "/PhoneInfo.ini", fetched through the agent.
    ModelProfile& LoadFromHandset(const std::string& ini, const wchar_t* fromRes = L"false")
    {
        std::wstring root = kelvra::testing::MakeTempFolder(L"handset");
        std::ofstream(std::string(root.begin(), root.end()) + "\\PhoneInfo.ini", std::ios::binary) << ini;
        handset->put_FileRoot(Bstr(root).Get());
        Answer(L"PhoneInfo.FromRes", fromRes);
        Answer(L"PhoneInfo.FilePath", L"/PhoneInfo.ini");
        EXPECT_EQ(S_OK, device->ListDataTable());
        return device->Model();
    }
};

Texts TextsOf(ModelProfile& profile)
{
    Texts texts;
    for (auto& [key, value] : profile.texts)
        texts[key] = profile.Text(key);
    return texts;
}

Lengths LengthsOf(const ModelProfile& profile)
{
    return Lengths(profile.lengths.begin(), profile.lengths.end());
}

std::set<int> TablesOf(const ModelProfile& profile)
{
    std::set<int> tables;
    for (int table = 1; table <= kTablePresenceCount; ++table) {
        if (profile.HasTable(table))
            tables.insert(table);
    }
    return tables;
}

std::string Describe(const Texts& texts)
{
    std::string out;
    for (auto& [key, value] : texts)
        out += NarrowUtf8(key) + "=" + NarrowUtf8(value) + "\n";
    return out;
}

std::string Describe(const Lengths& lengths)
{
    std::string out;
    for (auto& [key, value] : lengths)
        out += NarrowUtf8(key) + "=(" + std::to_string(value.first) + "," + std::to_string(value.second) + ")\n";
    return out;
}

struct BuiltIn {
    int resource;
    Expected (*expected)();
};

void PrintTo(const BuiltIn& profile, std::ostream* out)
{
    *out << "resource " << profile.resource;
}

class BuiltInProfile : public ::testing::TestWithParam<BuiltIn> {};

}  // namespace

TEST_P(BuiltInProfile, LoadsEveryKeyOfTheModel)
{
    Session session;
    ModelProfile& profile = session.LoadBuiltIn(GetParam().resource);
    Expected expected = GetParam().expected();
    EXPECT_EQ(Describe(expected.texts), Describe(TextsOf(profile)));
    EXPECT_EQ(Describe(expected.lengths), Describe(LengthsOf(profile)));
    EXPECT_EQ(expected.tables, TablesOf(profile));
    EXPECT_EQ(expected.texts[L"PhoneBaseInfo_PhoneModel"], profile.phoneModel);
    EXPECT_EQ(GetParam().resource, profile.resourceId);

    // Keys that no loader writes read as empty.
    EXPECT_EQ(FieldLength(0, 0), profile.Length(L"Phonebook_LastNameLen"));
    EXPECT_EQ(L"", profile.Text(L"Phonebook_TelIdxType"));
    EXPECT_EQ(FieldLength(0, 0), profile.Length(L"Event_SoundFileNameLen"));
}

INSTANTIATE_TEST_SUITE_P(SevenModels, BuiltInProfile,
                         ::testing::Values(BuiltIn{202, A280}, BuiltIn{203, A150}, BuiltIn{208, A230},
                                           BuiltIn{210, A260}, BuiltIn{211, A290}, BuiltIn{212, A130},
                                           BuiltIn{218, A110}),
                         [](const ::testing::TestParamInfo<BuiltIn>& info) {
                             return "Resource" + std::to_string(info.param.resource);
                         });

TEST(Profile, WritesTheProfileFileUnderTheApplicationDataFolder)
{
    Session session;
    ModelProfile& profile = session.LoadBuiltIn(202);
    EXPECT_EQ(kelvra::testing::Services().appData + L"\\Orvane\\Tarn\\PhoneInfo.ini", profile.path);
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(profile.path.c_str()));
    EXPECT_EQ(0, session.handset->State().mode);
}

// Every program of the user writes the profile to one path; a load waits while another
// program's load holds it, so that it never reads the other model's keys.
TEST(Profile, ALoadWaitsWhileAnotherProgramsLoadHoldsTheProfile)
{
    Session session;
    std::wstring path = ProfileLoader::ProfileFilePath();
    HANDLE other = CreateFileW(ProfileFileLock::LockPath(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, other);
    OVERLAPPED firstByte = {};
    ASSERT_TRUE(LockFileEx(other, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &firstByte));

    std::atomic<bool> loaded{false};
    std::thread loading([&] {
        session.LoadBuiltIn(202);
        loaded = true;
    });
    Sleep(500);
    EXPECT_FALSE(loaded);
    // The other program writes its model's profile while it holds the file.
    std::ofstream(std::string(path.begin(), path.end()), std::ios::trunc) << "[Phone Base Info]\nPhoneModel=KTM-A110\n";
    UnlockFileEx(other, 0, 1, 0, &firstByte);
    CloseHandle(other);
    loading.join();
    EXPECT_EQ(L"KTM-A280", session.device->Model().phoneModel);
}

TEST(Profile, GroupSupportNeedsExactlyTrue)
{
    Session session;
    ModelProfile& profile = session.LoadBuiltIn(202, L"TRUE");
    EXPECT_EQ(L"false", profile.Text(L"PBGroup_Support"));
    // The phonebook loader's group keys stay; the group loader's are never written.
    EXPECT_EQ(L"9", profile.Text(L"PBGroup_EndIndex"));
    EXPECT_EQ(0u, profile.texts.count(L"PBGroup_GroupMaxCnt"));
    EXPECT_EQ(0u, profile.lengths.count(L"PBGroup_NameLen"));
}

TEST(Profile, FetchesFromTheHandsetUnlessTheAnswerIsExactlyTrue)
{
    Session session;
    ModelProfile& profile = session.LoadFromHandset(
        "[Phone Base Info]\r\nPhoneModel = KTM-T100\r\n[DB]\r\nDB_Table_Index = 1,2, 3,,18\r\n", L"True");
    EXPECT_EQ(L"KTM-T100", profile.phoneModel);
    EXPECT_EQ((std::set<int>{1, 2, 3, 18}), TablesOf(profile));
    EXPECT_EQ(L"-1", profile.Text(L"Phonebook_MaxRecordCount"));
    EXPECT_EQ(FieldLength(-1, 0), profile.Length(L"Phonebook_NumberLen"));
    EXPECT_EQ(L"false", profile.Text(L"Task_Support"));
}

TEST(Profile, TableNumbersOutsideTheRangeSetNoFlag)
{
    Session session;
    ModelProfile& profile =
        session.LoadFromHandset("[Phone Base Info]\nPhoneModel=KTM-T100\n[DB]\nDB_Table_Index=0,19,20,-1,x\n");
    EXPECT_EQ((std::set<int>{19}), TablesOf(profile));
}

TEST(Profile, TwoModelsAlwaysHaveTheOrganizerStores)
{
    Session session;
    ModelProfile& profile =
        session.LoadFromHandset("[Phone Base Info]\nPhoneModel=KTM-A150\n[DB]\nDB_Table_Index=1,2\n");
    EXPECT_EQ((std::set<int>{1, 2, 3, 7, 8, 9, 10}), TablesOf(profile));
    EXPECT_EQ(L"true", profile.Text(L"Important_Support"));
}

TEST(Profile, ReadsFieldCountsAndCallBackLengths)
{
    Session session;
    ModelProfile& profile = session.LoadFromHandset(
        "[Phone Base Info]\nPhoneModel=KTM-T100\n"
        "[DB_TABLE_1]\nField_Index_5=Memo,wchar,50+1,0\nField_Index_11=NoComma\nField_Index_13=Full,60\n"
        "[DB_TABLE_12]\nField_Index_4=call_back_dial,byte,40+1,0\n");
    EXPECT_EQ(FieldLength(50, 1), profile.Length(L"Phonebook_MemoLne"));
    EXPECT_EQ(FieldLength(0, 0), profile.Length(L"Phonebook_FirstNameLen"));
    EXPECT_EQ(FieldLength(0, 0), profile.Length(L"Phonebook_FullNameLen"));
    EXPECT_EQ(FieldLength(40, 1), profile.Length(L"SMS_CallBackDialLen_Read"));
    EXPECT_EQ(L"41", profile.Text(L"SMS_CallBackDialLen"));

    EXPECT_EQ(FieldLength(24, 1), ProfileLoader::ParseFieldCount(L"24+1"));
    EXPECT_EQ(FieldLength(45, 0), ProfileLoader::ParseFieldCount(L"45"));
    EXPECT_EQ(FieldLength(-1, 0), ProfileLoader::ParseFieldCount(L"-1"));
    EXPECT_EQ(FieldLength(0, 0), ProfileLoader::ParseFieldCount(L""));
    EXPECT_EQ(7, ParseDecimal(L"  7x"));
    EXPECT_EQ(0, ParseDecimal(L"abc"));
}

TEST(Profile, ALaterLoadOverwritesButRemovesNothing)
{
    Session session;
    session.LoadBuiltIn(211);
    ModelProfile& profile = session.LoadBuiltIn(202);
    EXPECT_EQ(L"false", profile.Text(L"Task_Support"));
    // Resource 202 has no tasks: the task keys of the first load are still there.
    EXPECT_EQ(L"100", profile.Text(L"Task_MaxRecordCount"));
    EXPECT_EQ(L"KTM-A280", profile.phoneModel);
}

TEST(Profile, AFailedFetchLeavesTheStoresAsTheyWere)
{
    Session session;
    session.LoadBuiltIn(202);
    session.handset->State().failures[L"GetFile"] = E_ACCESSDENIED;
    session.Answer(L"PhoneInfo.FromRes", L"false");
    session.Answer(L"PhoneInfo.FilePath", L"/PhoneInfo.ini");
    // The listing goes on without a new profile, as the host expects.
    EXPECT_EQ(S_OK, session.device->ListDataTable());
    EXPECT_EQ(L"KTM-A280", session.device->Model().phoneModel);
}

TEST(Profile, WithoutAModelDatabaseNothingIsLoaded)
{
    ComPtr<CDeviceDataKELVRA> device = CDeviceDataKELVRA::Make();
    ComPtr<sim::SimConnection> handset = sim::SimConnection::Make();
    ASSERT_EQ(S_OK, device->SetConneciton(static_cast<ISimHandset*>(handset.Get()), nullptr));
    EXPECT_EQ(S_OK, device->ListDataTable());
    EXPECT_TRUE(device->Model().texts.empty());
}
