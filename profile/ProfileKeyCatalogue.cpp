#include "ProfileKeyCatalogue.h"

namespace kelvra {

namespace {

using Key = ProfileKeyCatalogue::KeyMapping;

const Key kFileSystemTexts[] = {
    {L"MAX_FODER_DEPTH", L"File_MaxFolderDepth"},
    {L"FOLDER_NAME_LENGTH", L"File_FolderNameLen"},
    {L"FILE_NAME_LENGTH", L"File_FileNameLen"},
};

const Key kPhonebookTexts[] = {
    {L"GroupStartIndex", L"PBGroup_StartIndex"},
    {L"GroupEndIndex", L"PBGroup_EndIndex"},
    {L"GroupDefaultCount", L"PBGroup_DefaultCount"},
    {L"MaxGroupCount", L"Phonebook_MaxGroupCount"},
    {L"MaxRecordCount", L"Phonebook_MaxRecordCount"},
    {L"MaxSpeedDialCount", L"Phonebook_MaxSpeedDialCount"},
    {L"RingType", L"Phonebook_RingType"},
    {L"PhotoXsize", L"Phonebook_PhotoXsize"},
    {L"PhotoYsize", L"Phonebook_PhotoYsize"},
    {L"PBStartIndex", L"Phonebook_PBStartIndex"},
    {L"PBEndIndex", L"Phonebook_PBEndIndex"},
    {L"SpeedDialStart", L"Phonebook_SpeedDialStart"},
    {L"SpeedDialEnd", L"Phonebook_SpeedDialEnd"},
    {L"TellTypeEnum", L"Phonebook_TellTypeEnum"},
    {L"PhonebookNumberCnt", L"Phonebook_NumberCnt"},
    {L"AddressCnt", L"Phonebook_AddressCnt"},
    {L"EmailCnt", L"Phonebook_EMailCnt"},
    {L"URLCnt", L"Phonebook_URLCnt"},
};

const Key kPhonebookLengths[] = {
    {L"Field_Index_4", L"Phonebook_FileNameLen"},
    {L"Field_Index_5", L"Phonebook_MemoLne"},
    {L"Field_Index_11", L"Phonebook_FirstNameLen"},
    {L"Field_Index_13", L"Phonebook_FullNameLen"},
    {L"Field_Index_14", L"Phonebook_NumberLen"},
};

// The two models whose contact record has no address block.
const Key kPhonebookLengthsWithoutAddress[] = {
    {L"Field_Index_17", L"Phonebook_EMailLen"},
};

const Key kPhonebookLengthsWithAddress[] = {
    {L"Field_Index_17", L"Phonebook_AddrInfoLen"},
    {L"Field_Index_18", L"Phonebook_AddrStreetNumLen"},
    {L"Field_Index_19", L"Phonebook_AddrZipCodeLen"},
    {L"Field_Index_20", L"Phonebook_AddrCityLen"},
    {L"Field_Index_21", L"Phonebook_AddrStateLen"},
    {L"Field_Index_22", L"Phonebook_AddrCountryLen"},
    {L"Field_Index_24", L"Phonebook_EMailLen"},
};

const Key kSpeedDialLengths[] = {
    {L"Field_Index_3", L"SpeedDial_Name"},
    {L"Field_Index_4", L"SpeedDial_Number"},
};

const Key kGroupTexts[] = {
    {L"MaxGroupCount", L"PBGroup_GroupMaxCnt"},
    {L"GroupStartIndex", L"PBGroup_StartIndex"},
    {L"GroupEndIndex", L"PBGroup_EndIndex"},
    {L"GroupDefaultCount", L"PBGroup_DefaultCount"},
    {L"GroupNotDelete", L"PBGroup_NotDelete"},
};

const Key kGroupLengths[] = {
    {L"Field_Index_3", L"PBGroup_NameLen"},
    {L"Field_Index_4", L"PBGroup_PhotoFileNameLen"},
    {L"Field_Index_6", L"PBGroup_RingFileNameLen"},
};

const Key kCardTexts[] = {
    {L"startindex", L"RUIM_startindex"},
    {L"cardslotcount", L"RUIM_cardslotcount"},
};

const Key kCardLengths[] = {
    {L"Field_Index_2", L"RUIM_DefaultNameLen"},
    {L"Field_Index_3", L"RUIM_DefaultNumberLen"},
};

const Key kScheduleTexts[] = {
    {L"startindex", L"Schedule_startindex"},
    {L"MaxRecordCount", L"Schedule_MaxRecordCount"},
    {L"DiscriptionENGLeng", L"Schedule_DiscriptionEngLeng"},
    {L"RepeatTypeEnum", L"Schedule_RepeatTypeEnum"},
    {L"AlarmRsvTypeEnum", L"Schedule_AlarmRsvTypeEnum"},
};

const Key kScheduleLengths[] = {
    {L"Field_Index_3", L"Schedule_SubjectLen"},
    {L"Field_Index_4", L"Schedule_DetailLen"},
    {L"Field_Index_9", L"Schedule_LocationLen"},
    {L"Field_Index_15", L"Schedule_SoundFileNameLen"},
};

const Key kAnniversaryTexts[] = {
    {L"AlarmRsvTypeEnum", L"Anniversary_AlarmRsvTypeEnum"},
    {L"RepeatTypeEnum", L"Anniversary_RepeatTypeEnum"},
    {L"startindex", L"Anniversary_startindex"},
    {L"MaxRecordCount", L"Anniversary_MaxRecordCnt"},
};

const Key kAnniversaryLengths[] = {
    {L"Field_Index_2", L"Anniversary_TitleLen"},
    {L"Field_Index_3", L"Anniversary_DetailLen"},
};

const Key kHolidayTexts[] = {
    {L"startindex", L"Holiday_startindex"},
    {L"MaxRecordCount", L"Holiday_MaxRecordCnt"},
};

const Key kHolidayLengths[] = {
    {L"Field_Index_2", L"Holiday_TitleLen"},
    {L"Field_Index_3", L"Holiday_DetailLen"},
};

const Key kImportantTexts[] = {
    {L"startindex", L"Important_startindex"},
    {L"MaxRecordCount", L"Important_MaxRecordCnt"},
};

// Events: the section and field list that the models keeping them carry.
const Key kEventTexts[] = {
    {L"Startindex", L"Event_startindex"},
    {L"MaxRecordCount", L"Event_MaxRecordCnt"},
};

const Key kEventLengths[] = {
    {L"Field_Index_2", L"Event_DetailLen"},
};

const Key kPrivateTexts[] = {
    {L"startindex", L"Private_startindex"},
    {L"MaxRecordCount", L"Private_MaxRecordCnt"},
};

const Key kMemoTexts[] = {
    {L"StartIndex", L"Memo_StartIndex"},
    {L"MaxRecordCount", L"Memo_MaxRecordCount"},
};

const Key kMemoLengths[] = {
    {L"Field_Index_2", L"Memo_TextLen"},
};

const Key kSmsTexts[] = {
    {L"RcvSMSStartIndex", L"SMS_RcvSMSStartIndex"},
    {L"SendSMSStartIndex", L"SMS_SendSMSStartIndex"},
    {L"SMSMaxCount", L"SMS_MaxCount"},
    {L"MaxReceiverCnt", L"SMS_MaxReceiverCount"},
};

const Key kReceivedSmsLengths[] = {
    {L"Field_Index_2", L"SMS_DataLen_Read"},
    {L"Field_Index_3", L"SMS_DailLen_Read"},
};

// The sent-message layout is kept as the count texts, not parsed.
const Key kSentSmsTexts[] = {
    {L"Field_Index_2", L"SMS_DailLen"},
    {L"Field_Index_3", L"SMS_DataLen"},
};

const Key kMmsTexts[] = {
    {L"PAGE_MAX", L"MMS_PAGE_MAX"},
    {L"ATTACHMENT_MAX", L"MMS_ATTACHMENT_MAX"},
    {L"ADDR_CNT_MAX", L"MMS_ADDR_CNT_MAX"},
    {L"EXT_INFO", L"MMS_EXT_INFO"},
    {L"ATTACH_INFO", L"MMS_ATTACH_INFO"},
    {L"ATTACH_ALLFILE", L"MMS_AttachAllFile"},
};

const Key kMmsLimitTexts[] = {
    {L"Field_Index_1", L"MMS_SubjectLen"},
    {L"Field_Index_2", L"MMS_TextLen"},
    {L"Field_Index_3", L"MMS_MaxSize"},
    {L"Field_Index_4", L"MMS_AddressLen"},
};

const Key kTaskTexts[] = {
    {L"StartIndex", L"Task_StartIndex"},
    {L"MaxRecordCount", L"Task_MaxRecordCount"},
    {L"AlarmRsvTypeEnum", L"Task_AlarmRsvTypeEnum"},
};

const Key kTaskLengths[] = {
    {L"Field_Index_3", L"Task_TitleLen"},
    {L"Field_Index_4", L"Task_DetailLen"},
    {L"Field_Index_12", L"Task_SndFileName"},
};

bool HasFixedMemorySize(const std::wstring& model)
{
    return model == L"KTM-A280" || model == L"KTM-A150";
}

}  // namespace

void ProfileKeyCatalogue::LoadDomains()
{
    LoadFileSystem();
    LoadPhonebook();
    LoadPhonebookGroups();
    LoadCard();
    LoadOrganizer();
    LoadMemo();
    LoadSms();
    LoadMms();
    LoadTask();
}

template <size_t N>
void ProfileKeyCatalogue::ReadTexts(const wchar_t* section, const KeyMapping (&keys)[N])
{
    for (const KeyMapping& key : keys)
        m_profile.SetText(key.profileKey, m_loader.ReadProfileString(section, key.iniKey));
}

template <size_t N>
void ProfileKeyCatalogue::ReadLengths(const wchar_t* section, const KeyMapping (&keys)[N])
{
    for (const KeyMapping& key : keys)
        ReadLength(section, key.iniKey, key.profileKey);
}

FieldLength ProfileKeyCatalogue::ReadLength(const wchar_t* section, const wchar_t* fieldKey, const wchar_t* profileKey)
{
    FieldLength length = ProfileLoader::ParseFieldCount(m_loader.ReadProfileString(section, fieldKey));
    m_profile.lengths[profileKey] = length;
    return length;
}

bool ProfileKeyCatalogue::SetSupport(const wchar_t* supportKey, bool supported)
{
    m_profile.SetText(supportKey, supported ? L"true" : L"false");
    return supported;
}

void ProfileKeyCatalogue::LoadFileSystem()
{
    ReadTexts(L"PhoneRootPath", kFileSystemTexts);
    m_profile.SetText(L"File_TotalMemSize", HasFixedMemorySize(m_profile.phoneModel)
                                                ? m_loader.ReadProfileString(L"PhoneRootPath", L"total_memory_size")
                                                : L"0");
}

void ProfileKeyCatalogue::LoadPhonebook()
{
    ReadTexts(L"Phone Book", kPhonebookTexts);
    ReadLengths(L"DB_TABLE_1", kPhonebookLengths);
    std::wstring model = m_profile.Text(L"PhoneBaseInfo_PhoneModel");
    if (model == L"KTM-A230" || model == L"KTM-A160")
        ReadLengths(L"DB_TABLE_1", kPhonebookLengthsWithoutAddress);
    else
        ReadLengths(L"DB_TABLE_1", kPhonebookLengthsWithAddress);
    if (m_profile.HasTable(16))
        ReadLengths(L"DB_TABLE_16", kSpeedDialLengths);
}

void ProfileKeyCatalogue::LoadPhonebookGroups()
{
    if (!SetSupport(L"PBGroup_Support", m_loader.Ask(L"Datastore.Phonebook.PB_GROUP") == L"true"))
        return;
    ReadTexts(L"Phone Book", kGroupTexts);
    ReadLengths(L"DB_TABLE_2", kGroupLengths);
}

void ProfileKeyCatalogue::LoadCard()
{
    ReadTexts(L"RUIM", kCardTexts);
    ReadLengths(L"DB_TABLE_14", kCardLengths);
}

void ProfileKeyCatalogue::LoadOrganizer()
{
    if (SetSupport(L"Schedule_Support", m_profile.HasTable(3))) {
        ReadTexts(L"SCHEDULE", kScheduleTexts);
        m_profile.SetText(L"Schedule_ExpireType", L"0,2");
        ReadLengths(L"DB_TABLE_3", kScheduleLengths);
    }
    if (SetSupport(L"Anniversary_Support", m_profile.HasTable(7))) {
        ReadTexts(L"Anniversary", kAnniversaryTexts);
        ReadLengths(L"DB_TABLE_7", kAnniversaryLengths);
    }
    if (SetSupport(L"Holiday_Support", m_profile.HasTable(10))) {
        ReadTexts(L"Holiday", kHolidayTexts);
        ReadLengths(L"DB_TABLE_10", kHolidayLengths);
    }
    if (SetSupport(L"Important_Support", m_profile.HasTable(8)))
        ReadTexts(L"Important", kImportantTexts);
    if (SetSupport(L"Private_Support", m_profile.HasTable(9)))
        ReadTexts(L"Private", kPrivateTexts);
    if (m_profile.HasTable(19)) {
        ReadTexts(L"Event", kEventTexts);
        ReadLengths(L"DB_TABLE_19", kEventLengths);
    }
}

void ProfileKeyCatalogue::LoadMemo()
{
    ReadTexts(L"Memo", kMemoTexts);
    ReadLengths(L"DB_TABLE_4", kMemoLengths);
}

void ProfileKeyCatalogue::LoadSms()
{
    ReadTexts(L"SMS", kSmsTexts);
    ReadLengths(L"DB_TABLE_12", kReceivedSmsLengths);
    FieldLength callBack = ReadLength(L"DB_TABLE_12", L"Field_Index_4", L"SMS_CallBackDialLen_Read");
    m_profile.SetText(L"SMS_CallBackDialLen", std::to_wstring(callBack.first + callBack.second));
    ReadTexts(L"DB_TABLE_13", kSentSmsTexts);
}

void ProfileKeyCatalogue::LoadMms()
{
    ReadTexts(L"MMS", kMmsTexts);
    ReadTexts(L"DB_TABLE_17", kMmsLimitTexts);
}

void ProfileKeyCatalogue::LoadTask()
{
    if (!SetSupport(L"Task_Support", m_profile.HasTable(5)))
        return;
    ReadTexts(L"Todo", kTaskTexts);
    ReadLengths(L"DB_TABLE_5", kTaskLengths);
}

}  // namespace kelvra
