#include "PhonebookSettings.h"

#include <cwchar>

namespace kelvra {

PhonebookSettings PhonebookSettings::Load(const ModelProfile& profile)
{
    PhonebookSettings s;
    s.model = ModelName(profile.Text(L"PhoneBaseInfo_PhoneModel"));
    s.phoneRootPath = profile.Text(L"PhoneRootPath_Path");
    s.startIndex = profile.Number(L"Phonebook_PBStartIndex");
    s.endIndex = profile.Number(L"Phonebook_PBEndIndex");
    s.maxRecords = profile.Number(L"Phonebook_MaxRecordCount");
    s.numbers = profile.Number(L"Phonebook_NumberCnt");
    s.addresses = profile.Number(L"Phonebook_AddressCnt");
    s.emails = profile.Number(L"Phonebook_EMailCnt");
    s.urls = profile.Number(L"Phonebook_URLCnt");
    s.groupSlots = profile.Number(L"Phonebook_MaxGroupCount");
    s.numberTypeSetting = profile.Number(L"Phonebook_TelIdxType");
    s.number = profile.Length(L"Phonebook_NumberLen");
    s.firstName = profile.Length(L"Phonebook_FirstNameLen");
    s.lastName = profile.Length(L"Phonebook_LastNameLen");
    s.email = profile.Length(L"Phonebook_EMailLen");
    s.memo = profile.Length(L"Phonebook_MemoLne");
    s.fileName = profile.Length(L"Phonebook_FileNameLen");
    s.fullName = profile.Length(L"Phonebook_FullNameLen");
    s.addressInfo = profile.Length(L"Phonebook_AddrInfoLen");
    s.addressStreet = profile.Length(L"Phonebook_AddrStreetNumLen");
    s.addressZipCode = profile.Length(L"Phonebook_AddrZipCodeLen");
    s.addressCity = profile.Length(L"Phonebook_AddrCityLen");
    s.addressState = profile.Length(L"Phonebook_AddrStateLen");
    s.addressCountry = profile.Length(L"Phonebook_AddrCountryLen");
    s.speedDialStart = profile.Number(L"Phonebook_SpeedDialStart");
    s.speedDialEnd = profile.Number(L"Phonebook_SpeedDialEnd");
    s.mainEmailWord = _wcsicmp(profile.Text(L"Phonebook_SupportMainEmail").c_str(), L"true") == 0;

    s.groupSupport = profile.Text(L"PBGroup_Support") == L"true";
    if (s.groupSupport) {
        s.groupName = profile.Length(L"PBGroup_NameLen");
        s.maxGroups = profile.Number(L"PBGroup_GroupMaxCnt");
        s.undeletableGroups = profile.Number(L"PBGroup_NotDelete");
        s.groupPhotoFileName = profile.Length(L"PBGroup_PhotoFileNameLen");
        s.groupRingFileName = profile.Length(L"PBGroup_RingFileNameLen");
    }
    s.speedDialName = profile.Length(L"SpeedDial_Name");
    s.speedDialNumber = profile.Length(L"SpeedDial_Number");
    return s;
}

bool PhonebookSettings::SkipsLastName() const
{
    return model.OccursInListAsWholeEntry(L"KTM-A300;");
}

bool PhonebookSettings::KeepsNumbersAsStored() const
{
    return model.IsOneOf({L"KTM-A230", L"KTM-A230 HUTCH"});
}

bool PhonebookSettings::HasNoAddressBlock() const
{
    return model.OccursInList(L"KTM-A230;KTM-A160");
}

bool PhonebookSettings::UsesShortTypeTable() const
{
    return model.IsOneOf({L"KTM-A110", L"KTM-A100"});
}

bool PhonebookSettings::NamesFromFullName() const
{
    return model.IsOneOf({L"KTM-A220", L"KTM-A110", L"KTM-A300", L"KTM-A100"});
}

FullNameRule PhonebookSettings::NameRule() const
{
    if (model.IsOneOfIgnoringCase({L"KTM-A230", L"KTM-A160", L"KTM-A120 INDIA_OPEN"}))
        return FullNameRule::FirstBlankLast;
    if (model.IsOneOf({L"KTM-A220", L"KTM-A110", L"KTM-A100"}))
        return FullNameRule::SingleName;
    if (SkipsLastName())
        return FullNameRule::LastNameInFirstName;
    return FullNameRule::LastThenFirst;
}

}  // namespace kelvra
