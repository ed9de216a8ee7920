#include "CapabilityDocuments.h"

#include <cwchar>

#include "ModelName.h"

namespace kelvra {

namespace {

const wchar_t kHeader[] =
    L"<VerDTD>2.0</VerDTD>\r\n<Man>Orvane</Man>\r\n<Mod>Unknown</Mod>\r\n<FwV>1.0</FwV>\r\n<SwV>1.0</SwV>\r\n"
    L"<HwV>1.0</HwV>\r\n<DevID>Unknwon</DevID>\r\n<DevTyp>phone</DevTyp>\r\n<UTC/>\r\n";
const wchar_t kPhonebookPreferences[] =
    L"<Rx-Pref>\r\n<CTType>PHONEBOOK</CTType>\r\n<VerCT>1.0</VerCT>\r\n</Rx-Pref>\r\n"
    L"<Tx-Pref>\r\n<CTType>PHONEBOOK</CTType>\r\n<VerCT>1.0</VerCT>\r\n</Tx-Pref>\r\n"
    L"<CTCap>\r\n<CTType>PHONEBOOK</CTType>\r\n<VerCT>1.0</VerCT>\r\n";
const wchar_t kSyncCap[] =
    L"<SyncCap>\r\n\t<SyncType>4</SyncType>\r\n\t<SyncType>5</SyncType>\r\n</SyncCap>\r\n</DataStore>\r\n";

std::vector<LONG> EnumerationOf(const std::wstring& text)
{
    std::vector<LONG> values;
    if (text.empty())
        return values;
    size_t start = 0;
    while (start <= text.size()) {
        size_t comma = text.find(L',', start);
        if (comma == std::wstring::npos)
            comma = text.size();
        values.push_back(ParseDecimal(std::wstring_view(text).substr(start, comma - start)));
        start = comma + 1;
    }
    return values;
}

// The phonebook's properties: a name line, a type line and a limit at one tab.
class PhonebookProperties {
public:
    PhonebookProperties(const ModelProfile& profile, std::wstring& out) : m_profile(profile), m_out(out) {}

    void Sized(const wchar_t* name, const wchar_t* lengthKey)
    {
        Open(name, L"string");
        m_out += L"\t<MaxSize>" + std::to_wstring(m_profile.Length(lengthKey).first) + L"</MaxSize>\r\n";
        Close();
    }
    void Counted(const wchar_t* name, const wchar_t* valueKey)
    {
        Open(name, L"string");
        m_out += L"\t<MaxValue>" + XmlEscaped(m_profile.Text(valueKey)) + L"</MaxValue>\r\n";
        Close();
    }
    void Open(const wchar_t* name, const wchar_t* type)
    {
        m_out += L"<Property>\r\n\t<PropName>";
        m_out += name;
        m_out += L"</PropName>\r\n\t<DataType>";
        m_out += type;
        m_out += L"</DataType>\r\n";
    }
    void Close() { m_out += L"</Property>\r\n"; }
    void Line(const std::wstring& line) { m_out += line; }

private:
    const ModelProfile& m_profile;
    std::wstring& m_out;
};

void PhonebookDataStore(const ModelProfile& profile, std::wstring& out)
{
    out += L"<DataStore>\r\n<SourceRef>PHONEBOOK</SourceRef>\r\n";
    out += kPhonebookPreferences;
    PhonebookProperties p(profile, out);
    p.Sized(L"FIRST_NAME", L"Phonebook_FirstNameLen");
    p.Sized(L"LAST_NAME", L"Phonebook_FirstNameLen");
    p.Sized(L"DISPLAY_NAME", L"Phonebook_FullNameLen");
    p.Counted(L"URL_COUNT", L"Phonebook_URLCnt");
    const wchar_t* const kPrivateOrBusiness =
        L"\t <MaxOccur>2</MaxOccur>\r\n\t <ValEnum>private</ValEnum>\t <ValEnum>business</ValEnum>";
    p.Open(L"URL_TYPE", L"string");
    p.Line(kPrivateOrBusiness);
    p.Close();
    p.Sized(L"URL_ADDR", L"Phonebook_EMailLen");
    p.Counted(L"EMAIL_COUNT", L"Phonebook_EMailCnt");
    p.Sized(L"EMAIL_ADDR", L"Phonebook_EMailLen");
    p.Open(L"EMAIL_TYPE", L"string");
    p.Line(kPrivateOrBusiness);
    p.Close();
    p.Sized(L"NOTES", L"Phonebook_MemoLne");
    p.Open(L"BIRTHDAY", L"date");
    p.Close();
    if (profile.Text(L"Phonebook_MaxSpeedDialCount") != L"0") {
        p.Open(L"TEL_DIAL", L"string");
        p.Close();
    }
    ModelName model(profile.Text(L"PhoneBaseInfo_PhoneModel"));
    if (!model.OccursInList(L"KTM-A280;KTM-A150;KTM-A230;KTM-A130;KTM-A260")) {
        p.Open(L"PHOTO", L"string");
        p.Line(L"\t <MaxOccur>1</MaxOccur>\r\n\t <ValEnum>IMAGE_PHOTO</ValEnum>");
        p.Close();
    }
    p.Counted(L"TEL_COUNT", L"Phonebook_NumberCnt");
    p.Sized(L"TEL_NUM", L"Phonebook_NumberLen");
    p.Open(L"TEL_TYPE", L"string");
    std::vector<LONG> types = EnumerationOf(profile.Text(L"Phonebook_TellTypeEnum"));
    p.Line(L"\t<MaxOccur>" + std::to_wstring(types.size()) + L"</MaxOccur>\r\n");
    static const wchar_t* const kTypeNames[] = {L"Mobile.Private", L"Mobile.Business", L"Landline.Private",
                                                L"Landline.Business", L"Fax", L"ETC"};
    for (LONG type : types) {
        if (type >= 0 && type <= 5)
            p.Line(std::wstring(L"\t<ValEnum>") + kTypeNames[type] + L"</ValEnum>\r\n");
    }
    p.Close();
    if (profile.Text(L"Phonebook_AddressCnt") != L"0") {
        p.Counted(L"ADDR_COUNT", L"Phonebook_AddressCnt");
        p.Sized(L"ADDR_EXTADDR", L"Phonebook_AddrInfoLen");
        p.Sized(L"ADDR_STREET", L"Phonebook_AddrStreetNumLen");
        p.Sized(L"ADDR_POSTALCODE", L"Phonebook_AddrZipCodeLen");
        p.Sized(L"ADDR_LOCALITY", L"Phonebook_AddrCityLen");
        p.Sized(L"ADDR_REGION", L"Phonebook_AddrStateLen");
        p.Sized(L"ADDR_COUNTRY", L"Phonebook_AddrCountryLen");
    }
    out += L"</CTCap>\r\n<DSMem>\r\n\t<MaxMem>" + XmlEscaped(profile.Text(L"Phonebook_MaxRecordCount")) +
           L"</MaxMem>\r\n</DSMem>\r\n";
    out += kSyncCap;
}

void GroupDataStore(const ModelProfile& profile, std::wstring& out)
{
    if (profile.Text(L"PBGroup_Support") != L"true")
        return;
    const wchar_t* const kType = L"\t<CTType>PB_GROUP</CTType>\r\n\t<VerCT>1.0</VerCT>\r\n";
    out += L"<DataStore>\r\n<SourceRef>PB_GROUP</SourceRef>\r\n";
    out += std::wstring(L"<Rx-Pref>\r\n") + kType + L"</Rx-Pref>\r\n<Tx-Pref>\r\n" + kType + L"</Tx-Pref>\r\n";
    out += std::wstring(L"<CTCap>\r\n") + kType;
    out += L"\t<Property>\r\n<PropName>NAME</PropName>\r\n\t\t<DataType>string</DataType>\r\n\t\t<MaxSize>" +
           std::to_wstring(profile.Length(L"PBGroup_NameLen").first) + L"</MaxSize>\r\n\t</Property>\r\n";
    out += L"</CTCap>\r\n<DSMem>\r\n\t<MaxMem>" + XmlEscaped(profile.Text(L"PBGroup_GroupMaxCnt")) +
           L"</MaxMem>\r\n</DSMem>\r\n";
    out += kSyncCap;
}

// The calendar's properties: everything one tab deeper.
class CalendarProperties {
public:
    CalendarProperties(const ModelProfile& profile, std::wstring& out) : m_profile(profile), m_out(out) {}

    void Open(const wchar_t* name, const wchar_t* type)
    {
        m_out += L"\t\t<Property>\r\n\t\t\t<PropName>";
        m_out += name;
        m_out += L"</PropName>\r\n\t\t\t<DataType>";
        m_out += type;
        m_out += L"</DataType>\r\n";
    }
    void Close() { m_out += L"\t\t</Property>\r\n"; }
    void Line(const std::wstring& line) { m_out += line; }
    void Plain(const wchar_t* name, const wchar_t* type)
    {
        Open(name, type);
        Close();
    }
    void Sized(const wchar_t* name, const wchar_t* lengthKey)
    {
        Open(name, L"string");
        m_out += L"\t\t\t<MaxSize>" + std::to_wstring(m_profile.Length(lengthKey).first) + L"</MaxSize>\r\n";
        Close();
    }
    void Values(const wchar_t* name, const wchar_t* type, const std::wstring& lines)
    {
        Open(name, type);
        m_out += lines;
        Close();
    }
    void Alarms(const wchar_t* enumerationKey)
    {
        static const wchar_t* const kCategories[] = {L"None", L"Minute", L"Hour", L"Day", L"Week", L"Date"};
        bool set[6] = {};
        for (LONG value : EnumerationOf(m_profile.Text(enumerationKey))) {
            int category = AlarmCategory(value);
            if (category >= 0)
                set[category] = true;
        }
        std::wstring lines;
        for (int category = 0; category < 6; ++category) {
            if (set[category])
                lines += std::wstring(L"\t<ValEnum>") + kCategories[category] + L"</ValEnum>\r\n";
        }
        Values(L"ALARM_TYPE", L"string", lines);
    }
    void Repeats(const wchar_t* enumerationKey, bool withNth)
    {
        std::wstring lines;
        for (LONG value : EnumerationOf(m_profile.Text(enumerationKey))) {
            if (value == 0)
                lines += L"\t<ValEnum>Daily</ValEnum>\r\n";
            else if (value == 1)
                lines += L"\t<ValEnum>Weekly</ValEnum>\r\n";
            else if (value == 2)
                lines += withNth ? L"\t<ValEnum>Monthly</ValEnum>\r\n\t<ValEnum>MonthlyNth</ValEnum>\r\n"
                                 : L"\t<ValEnum>Monthly</ValEnum>\r\n";
            else if (value == 3)
                lines += withNth ? L"\t<ValEnum>Yearly</ValEnum>\r\n\t<ValEnum>YearlyNth</ValEnum>\r\n"
                                 : L"\t<ValEnum>Yearly</ValEnum>\r\n";
        }
        Values(L"RECURRENCE_TYPE", L"string", lines);
    }

private:
    static int AlarmCategory(LONG value)
    {
        switch (value) {
        case -1: return 0;
        case 0: case 10: return 1;
        case 1: case 11: return 2;
        case 2: case 5: case 6: case 15: return 3;
        case 3: case 7: return 4;
        case 4: case 12: case 13: case 14: return 5;
        default: return -1;
        }
    }

    const ModelProfile& m_profile;
    std::wstring& m_out;
};

const wchar_t kCalendarCapOpen[] =
    L"\t<CTCap>\r\n\t\t<CTType>CALENDAR_EVENT</CTType>\r\n\t\t<VerCT>1.0</VerCT>\r\n";
const wchar_t kTypeComment[] = L"\t\t\t<!--Appointment=0, Anniversary=1-->\r\n";

void AppointmentCap(const ModelProfile& profile, bool special, std::wstring& out)
{
    CalendarProperties p(profile, out);
    out += kCalendarCapOpen;
    p.Sized(L"SUBJECT", L"Schedule_SubjectLen");
    p.Sized(L"DETAIL", L"Schedule_DetailLen");
    p.Plain(L"START_DATE", L"datetime");
    p.Plain(L"END_DATE", L"datetime");
    p.Sized(L"LOCATION", L"Schedule_LocationLen");
    if (special)
        p.Plain(L"ISHOLIDAY", L"string");
    p.Alarms(L"Schedule_AlarmRsvTypeEnum");
    p.Values(L"RECURRENCE_UI_TYPE", L"string",
             special ? L"\t\t\t<ValEnum>Type1</ValEnum>\r\n" : L"\t\t\t<ValEnum>Type5</ValEnum>\r\n");
    std::wstring flags;
    for (const wchar_t* flag : {L"Sunday", L"Monday", L"Tuesday", L"Wednesday", L"Thursday", L"Friday", L"Saturday",
                                L"Firstweek", L"Secondweek", L"Thirdweek", L"Fourthweek", L"Lastweek"})
        flags += std::wstring(L"\t\t\t<ValEnum>") + flag + L"</ValEnum>\r\n";
    p.Values(L"RECURRENCE_FLAG", L"integer", flags);
    p.Repeats(L"Schedule_RepeatTypeEnum", true);
    p.Values(L"RECURRENCE_EXPIRE_TYPE", L"integer",
             L"\t\t\t<ValEnum>Enddate</ValEnum>\r\n\t\t\t<ValEnum>Noenddate</ValEnum>\r\n"
             L"\t\t\t<!-- End date=0, Occurrence, No end date-->\r\n");
    std::wstring types = special ? L"\t\t\t<ValEnum>0</ValEnum>\r\n" : L"\t\t\t<ValEnum>5</ValEnum>\r\n";
    if (profile.Text(L"Important_Support") == L"true")
        types += L"\t\t\t<ValEnum>20</ValEnum>\r\n";
    if (profile.Text(L"Private_Support") == L"true")
        types += L"\t\t\t<ValEnum>25</ValEnum>\r\n";
    types += L"\t\t\t<DisplayName>Appointment</DisplayName>\r\n";
    types += kTypeComment;
    p.Values(L"TYPE", L"integer", types);
    out += L"\t</CTCap>\r\n";
}

void AnniversaryCap(const ModelProfile& profile, bool special, std::wstring& out)
{
    CalendarProperties p(profile, out);
    out += kCalendarCapOpen;
    p.Sized(L"SUBJECT", L"Anniversary_TitleLen");
    p.Sized(L"DETAIL", L"Anniversary_DetailLen");
    p.Plain(L"START_DATE", L"datetime");
    if (special)
        p.Plain(L"ISHOLIDAY", L"string");
    p.Alarms(L"Anniversary_AlarmRsvTypeEnum");
    p.Values(L"RECURRENCE_UI_TYPE", L"string", L"\t\t\t<ValEnum>Type4</ValEnum>");
    p.Repeats(L"Anniversary_RepeatTypeEnum", false);
    p.Values(L"TYPE", L"integer",
             std::wstring(L"\t\t\t<ValEnum>1</ValEnum>\r\n\t\t\t<DisplayName>Anniversary</DisplayName>\r\n") +
                 kTypeComment);
    out += L"\t</CTCap>\r\n";
}

void HolidayCap(const ModelProfile& profile, std::wstring& out)
{
    CalendarProperties p(profile, out);
    out += kCalendarCapOpen;
    p.Sized(L"SUBJECT", L"Holiday_TitleLen");
    p.Sized(L"DETAIL", L"Holiday_DetailLen");
    p.Plain(L"START_DATE", L"date");
    p.Values(L"RECURRENCE_UI_TYPE", L"string", L"\t\t\t<ValEnum>Type4</ValEnum>");
    p.Values(L"RECURRENCE_TYPE", L"string", L"\t\t\t<ValEnum>Yearly</ValEnum>\r\n");
    p.Values(L"TYPE", L"integer",
             std::wstring(L"\t\t\t<ValEnum>4</ValEnum>\r\n\t\t\t<DisplayName>Holiday</DisplayName>\r\n") +
                 kTypeComment);
    out += L"\t</CTCap>\r\n";
}

void CalendarDataStore(const ModelProfile& profile, std::wstring& out)
{
    bool special = ModelName(profile.Text(L"PhoneBaseInfo_PhoneModel")).IsOneOfIgnoringCase({L"KTM-A290", L"KTM-A180"});
    const wchar_t* const kType = L"\t\t<CTType>CALENDAR_EVENT</CTType>\r\n\t\t<VerCT>1.0</VerCT>\r\n";
    out += L"<DataStore>\r\n\t<SourceRef>CALENDAR_EVENT</SourceRef>\r\n";
    out += std::wstring(L"\t<Rx-Pref>\r\n") + kType + L"\t</Rx-Pref>\r\n\t<Tx-Pref>\r\n" + kType + L"\t</Tx-Pref>\r\n";
    if (profile.Text(L"Schedule_Support") == L"true")
        AppointmentCap(profile, special, out);
    if (profile.Text(L"Anniversary_Support") == L"true")
        AnniversaryCap(profile, special, out);
    if (profile.Text(L"Holiday_Support") == L"true")
        HolidayCap(profile, out);
    out += L"\t<DSMem>\r\n\t\t<SharedMem/>\r\n\t\t<MaxMem>" + XmlEscaped(profile.Text(L"Schedule_MaxRecordCount")) +
           L"</MaxMem>\r\n\t</DSMem>\r\n";
    out += L"\t<SyncCap>\r\n\t\t<SyncType>4</SyncType>\r\n\t\t<SyncType>5</SyncType>\r\n\t</SyncCap>\r\n</DataStore>\r\n";
}

}  // namespace

std::wstring XmlEscaped(std::wstring_view text)
{
    std::wstring escaped;
    for (wchar_t c : text) {
        switch (c) {
        case L'&': escaped += L"&amp;"; break;
        case L'<': escaped += L"&lt;"; break;
        case L'>': escaped += L"&gt;"; break;
        case L'\'': escaped += L"&apos;"; break;
        case L'"': escaped += L"&quot;"; break;
        default: escaped += c;
        }
    }
    return escaped;
}

std::wstring BuildDevInf(const ModelProfile& profile)
{
    std::wstring out = L"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<DevInf xmlns='syncml:devinf'>\r\n";
    out += kHeader;
    PhonebookDataStore(profile, out);
    GroupDataStore(profile, out);
    CalendarDataStore(profile, out);
    out += L"</DevInf>\r\n";
    return out;
}

std::wstring BuildSpeedDialInfo(const std::vector<uint32_t>& usedNumbers)
{
    if (usedNumbers.empty())
        return {};
    std::wstring out =
        L"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<SpeedDialInfo xmlns='syncml:SpeedDialInfo'>\r\n";
    out += kHeader;
    out += L"<DataStore>\r\n<SourceRef>PHONEBOOK</SourceRef>\r\n";
    out += kPhonebookPreferences;
    out += L"<Property>\r\n\t<PropName>SPEEDDIAL_COUNT</PropName>\r\n\t<DataType>string</DataType>\r\n\t<ValEnum>" +
           std::to_wstring(usedNumbers.size()) + L"</ValEnum>\r\n</Property>\r\n";
    out += L"<Property>\r\n\t<PropName>USED_NUMBER</PropName>\r\n\t<DataType>string</DataType>\r\n";
    for (uint32_t number : usedNumbers)
        out += L"\t<ValueEnum>" + std::to_wstring(number) + L"</ValueEnum>\r\n";
    out += L"</Property>\r\n";
    out += L"\t</CTCap>\r\n\t<SyncCap>\r\n\t\t<SyncType>4</SyncType>\r\n\t\t<SyncType>5</SyncType>\r\n\t</SyncCap>\r\n"
           L"</DataStore>\r\n</SpeedDialInfo>\r\n";
    return out;
}

}  // namespace kelvra
