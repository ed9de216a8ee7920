// The DevInf and speed-dial documents and the privacy lock through the metadata table.
#include <gtest/gtest.h>

#include <msxml2.h>

#include "CapabilityDocuments.h"
#include "PhonebookTestSupport.h"

using namespace kelvra;
using namespace kelvra::testing;

namespace {

std::wstring Property(const std::wstring& name, const std::wstring& lines)
{
    return L"<Property>\r\n\t<PropName>" + name + L"</PropName>\r\n" + lines + L"</Property>\r\n";
}
std::wstring Sized(const std::wstring& name, int size)
{
    return Property(name, L"\t<DataType>string</DataType>\r\n\t<MaxSize>" + std::to_wstring(size) + L"</MaxSize>\r\n");
}
std::wstring Valued(const std::wstring& name, const std::wstring& value)
{
    return Property(name, L"\t<DataType>string</DataType>\r\n\t<MaxValue>" + value + L"</MaxValue>\r\n");
}
std::wstring CalendarProperty(const std::wstring& name, const std::wstring& type, const std::wstring& lines)
{
    return L"\t\t<Property>\r\n\t\t\t<PropName>" + name + L"</PropName>\r\n\t\t\t<DataType>" + type +
           L"</DataType>\r\n" + lines + L"\t\t</Property>\r\n";
}
std::wstring CalendarSized(const std::wstring& name, int size)
{
    return CalendarProperty(name, L"string", L"\t\t\t<MaxSize>" + std::to_wstring(size) + L"</MaxSize>\r\n");
}
std::wstring Lines(std::initializer_list<const wchar_t*> values, const wchar_t* indent)
{
    std::wstring out;
    for (const wchar_t* value : values)
        out += std::wstring(indent) + L"<ValEnum>" + value + L"</ValEnum>\r\n";
    return out;
}

const std::wstring kHead =
    L"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<DevInf xmlns='syncml:devinf'>\r\n"
    L"<VerDTD>2.0</VerDTD>\r\n<Man>Orvane</Man>\r\n<Mod>Unknown</Mod>\r\n<FwV>1.0</FwV>\r\n<SwV>1.0</SwV>\r\n"
    L"<HwV>1.0</HwV>\r\n<DevID>Unknwon</DevID>\r\n<DevTyp>phone</DevTyp>\r\n<UTC/>\r\n";
const std::wstring kPhonebookOpen =
    L"<DataStore>\r\n<SourceRef>PHONEBOOK</SourceRef>\r\n"
    L"<Rx-Pref>\r\n<CTType>PHONEBOOK</CTType>\r\n<VerCT>1.0</VerCT>\r\n</Rx-Pref>\r\n"
    L"<Tx-Pref>\r\n<CTType>PHONEBOOK</CTType>\r\n<VerCT>1.0</VerCT>\r\n</Tx-Pref>\r\n"
    L"<CTCap>\r\n<CTType>PHONEBOOK</CTType>\r\n<VerCT>1.0</VerCT>\r\n";
const std::wstring kSyncCap =
    L"<SyncCap>\r\n\t<SyncType>4</SyncType>\r\n\t<SyncType>5</SyncType>\r\n</SyncCap>\r\n</DataStore>\r\n";
const std::wstring kTwoTypes =
    L"\t<DataType>string</DataType>\r\n\t <MaxOccur>2</MaxOccur>\r\n\t <ValEnum>private</ValEnum>\t <ValEnum>business</ValEnum>";
const std::wstring kSixNumberTypes =
    L"\t<DataType>string</DataType>\r\n\t<MaxOccur>6</MaxOccur>\r\n" +
    Lines({L"Mobile.Private", L"Mobile.Business", L"Landline.Private", L"Landline.Business", L"Fax", L"ETC"}, L"\t");

std::wstring Phonebook(int emailLength, int memoLength, bool speedDial, bool photo, int addressInfo, const wchar_t* maxMem)
{
    std::wstring out = kPhonebookOpen;
    out += Sized(L"FIRST_NAME", 24) + Sized(L"LAST_NAME", 24) + Sized(L"DISPLAY_NAME", 60);
    out += Valued(L"URL_COUNT", L"1") + Property(L"URL_TYPE", kTwoTypes) + Sized(L"URL_ADDR", emailLength);
    out += Valued(L"EMAIL_COUNT", L"2") + Sized(L"EMAIL_ADDR", emailLength) + Property(L"EMAIL_TYPE", kTwoTypes);
    out += Sized(L"NOTES", memoLength) + Property(L"BIRTHDAY", L"\t<DataType>date</DataType>\r\n");
    if (speedDial)
        out += Property(L"TEL_DIAL", L"\t<DataType>string</DataType>\r\n");
    if (photo)
        out += Property(L"PHOTO", L"\t<DataType>string</DataType>\r\n\t <MaxOccur>1</MaxOccur>\r\n\t <ValEnum>IMAGE_PHOTO</ValEnum>");
    out += Valued(L"TEL_COUNT", L"5") + Sized(L"TEL_NUM", 40) + Property(L"TEL_TYPE", kSixNumberTypes);
    out += Valued(L"ADDR_COUNT", L"1") + Sized(L"ADDR_EXTADDR", addressInfo) + Sized(L"ADDR_STREET", addressInfo) +
           Sized(L"ADDR_POSTALCODE", 20) + Sized(L"ADDR_LOCALITY", addressInfo) + Sized(L"ADDR_REGION", addressInfo) +
           Sized(L"ADDR_COUNTRY", 20);
    out += L"</CTCap>\r\n<DSMem>\r\n\t<MaxMem>" + std::wstring(maxMem) + L"</MaxMem>\r\n</DSMem>\r\n" + kSyncCap;
    return out;
}

std::wstring Groups(int nameLength)
{
    return L"<DataStore>\r\n<SourceRef>PB_GROUP</SourceRef>\r\n"
           L"<Rx-Pref>\r\n\t<CTType>PB_GROUP</CTType>\r\n\t<VerCT>1.0</VerCT>\r\n</Rx-Pref>\r\n"
           L"<Tx-Pref>\r\n\t<CTType>PB_GROUP</CTType>\r\n\t<VerCT>1.0</VerCT>\r\n</Tx-Pref>\r\n"
           L"<CTCap>\r\n\t<CTType>PB_GROUP</CTType>\r\n\t<VerCT>1.0</VerCT>\r\n"
           L"\t<Property>\r\n<PropName>NAME</PropName>\r\n\t\t<DataType>string</DataType>\r\n\t\t<MaxSize>" +
           std::to_wstring(nameLength) + L"</MaxSize>\r\n\t</Property>\r\n"
           L"</CTCap>\r\n<DSMem>\r\n\t<MaxMem>10</MaxMem>\r\n</DSMem>\r\n" + kSyncCap;
}

const std::wstring kCalendarOpen =
    L"<DataStore>\r\n\t<SourceRef>CALENDAR_EVENT</SourceRef>\r\n"
    L"\t<Rx-Pref>\r\n\t\t<CTType>CALENDAR_EVENT</CTType>\r\n\t\t<VerCT>1.0</VerCT>\r\n\t</Rx-Pref>\r\n"
    L"\t<Tx-Pref>\r\n\t\t<CTType>CALENDAR_EVENT</CTType>\r\n\t\t<VerCT>1.0</VerCT>\r\n\t</Tx-Pref>\r\n";
const std::wstring kCapOpen = L"\t<CTCap>\r\n\t\t<CTType>CALENDAR_EVENT</CTType>\r\n\t\t<VerCT>1.0</VerCT>\r\n";
const std::wstring kWeekFlags =
    Lines({L"Sunday", L"Monday", L"Tuesday", L"Wednesday", L"Thursday", L"Friday", L"Saturday", L"Firstweek",
           L"Secondweek", L"Thirdweek", L"Fourthweek", L"Lastweek"}, L"\t\t\t");
const std::wstring kExpiry =
    L"\t\t\t<ValEnum>Enddate</ValEnum>\r\n\t\t\t<ValEnum>Noenddate</ValEnum>\r\n\t\t\t<!-- End date=0, Occurrence, No end date-->\r\n";
const std::wstring kComment = L"\t\t\t<!--Appointment=0, Anniversary=1-->\r\n";

std::wstring CalendarClose(const wchar_t* maxMem)
{
    return L"\t<DSMem>\r\n\t\t<SharedMem/>\r\n\t\t<MaxMem>" + std::wstring(maxMem) + L"</MaxMem>\r\n\t</DSMem>\r\n"
           L"\t<SyncCap>\r\n\t\t<SyncType>4</SyncType>\r\n\t\t<SyncType>5</SyncType>\r\n\t</SyncCap>\r\n</DataStore>\r\n";
}

std::wstring DevInfOf(Handset& handset)
{
    ComPtr<IDataTable> metadata = handset.Table(DTID_METADATA);
    Bstr text;
    EXPECT_EQ(S_OK, metadata->GetProperty(Bstr(L"DevInf").Get(), text.Out()));
    return text.Str();
}

bool LoadsAsXml(const std::wstring& text)
{
    ComPtr<IXMLDOMDocument> document;
    CLSID documentClass;
    if (FAILED(CLSIDFromProgID(L"Msxml2.DOMDocument.3.0", &documentClass)))
        return false;
    if (FAILED(CoCreateInstance(documentClass, nullptr, CLSCTX_INPROC_SERVER, IID_IXMLDOMDocument,
                                reinterpret_cast<void**>(document.GetAddressOf()))))
        return false;
    VARIANT_BOOL loaded = VARIANT_FALSE;
    return SUCCEEDED(document->loadXML(Bstr(text).Get(), &loaded)) && loaded == VARIANT_TRUE;
}

}  // namespace

TEST(DevInf, KTM_A280WholeDocument)
{
    Handset handset(202);
    std::wstring expected = kHead + Phonebook(50, 50, true, false, 50, L"1000") + Groups(20) + kCalendarOpen;
    expected += kCapOpen + CalendarSized(L"SUBJECT", 45) + CalendarSized(L"DETAIL", 100) +
                CalendarProperty(L"START_DATE", L"datetime", L"") + CalendarProperty(L"END_DATE", L"datetime", L"") +
                CalendarSized(L"LOCATION", 45) +
                CalendarProperty(L"ALARM_TYPE", L"string", Lines({L"Minute", L"Hour", L"Day", L"Week"}, L"\t")) +
                CalendarProperty(L"RECURRENCE_UI_TYPE", L"string", L"\t\t\t<ValEnum>Type5</ValEnum>\r\n") +
                CalendarProperty(L"RECURRENCE_FLAG", L"integer", kWeekFlags) +
                CalendarProperty(L"RECURRENCE_TYPE", L"string",
                                 Lines({L"Daily", L"Weekly", L"Monthly", L"MonthlyNth", L"Yearly", L"YearlyNth"}, L"\t")) +
                CalendarProperty(L"RECURRENCE_EXPIRE_TYPE", L"integer", kExpiry) +
                CalendarProperty(L"TYPE", L"integer",
                                 L"\t\t\t<ValEnum>5</ValEnum>\r\n\t\t\t<ValEnum>20</ValEnum>\r\n\t\t\t<ValEnum>25</ValEnum>\r\n"
                                 L"\t\t\t<DisplayName>Appointment</DisplayName>\r\n" + kComment) +
                L"\t</CTCap>\r\n";
    expected += kCapOpen + CalendarSized(L"SUBJECT", 45) + CalendarSized(L"DETAIL", 100) +
                CalendarProperty(L"START_DATE", L"datetime", L"") +
                CalendarProperty(L"ALARM_TYPE", L"string", Lines({L"Minute", L"Hour"}, L"\t")) +
                CalendarProperty(L"RECURRENCE_UI_TYPE", L"string", L"\t\t\t<ValEnum>Type4</ValEnum>") +
                CalendarProperty(L"RECURRENCE_TYPE", L"string", Lines({L"Daily", L"Weekly", L"Monthly", L"Yearly"}, L"\t")) +
                CalendarProperty(L"TYPE", L"integer",
                                 L"\t\t\t<ValEnum>1</ValEnum>\r\n\t\t\t<DisplayName>Anniversary</DisplayName>\r\n" + kComment) +
                L"\t</CTCap>\r\n";
    expected += kCapOpen + CalendarSized(L"SUBJECT", 45) + CalendarSized(L"DETAIL", 100) +
                CalendarProperty(L"START_DATE", L"date", L"") +
                CalendarProperty(L"RECURRENCE_UI_TYPE", L"string", L"\t\t\t<ValEnum>Type4</ValEnum>") +
                CalendarProperty(L"RECURRENCE_TYPE", L"string", L"\t\t\t<ValEnum>Yearly</ValEnum>\r\n") +
                CalendarProperty(L"TYPE", L"integer",
                                 L"\t\t\t<ValEnum>4</ValEnum>\r\n\t\t\t<DisplayName>Holiday</DisplayName>\r\n" + kComment) +
                L"\t</CTCap>\r\n";
    expected += CalendarClose(L"100") + L"</DevInf>\r\n";
    EXPECT_EQ(NarrowUtf8(expected), NarrowUtf8(DevInfOf(handset)));
}

TEST(DevInf, KTM_A290WholeDocument)
{
    Handset handset(211);
    const auto allAlarms = Lines({L"None", L"Minute", L"Hour", L"Day", L"Week", L"Date"}, L"\t");
    std::wstring expected = kHead + Phonebook(128, 64, false, true, 64, L"2000") + Groups(32) + kCalendarOpen;
    expected += kCapOpen + CalendarSized(L"SUBJECT", 45) + CalendarSized(L"DETAIL", 100) +
                CalendarProperty(L"START_DATE", L"datetime", L"") + CalendarProperty(L"END_DATE", L"datetime", L"") +
                CalendarSized(L"LOCATION", 45) + CalendarProperty(L"ISHOLIDAY", L"string", L"") +
                CalendarProperty(L"ALARM_TYPE", L"string", allAlarms) +
                CalendarProperty(L"RECURRENCE_UI_TYPE", L"string", L"\t\t\t<ValEnum>Type1</ValEnum>\r\n") +
                CalendarProperty(L"RECURRENCE_FLAG", L"integer", kWeekFlags) +
                CalendarProperty(L"RECURRENCE_TYPE", L"string",
                                 Lines({L"Daily", L"Weekly", L"Monthly", L"MonthlyNth", L"Yearly", L"YearlyNth"}, L"\t")) +
                CalendarProperty(L"RECURRENCE_EXPIRE_TYPE", L"integer", kExpiry) +
                CalendarProperty(L"TYPE", L"integer",
                                 L"\t\t\t<ValEnum>0</ValEnum>\r\n\t\t\t<DisplayName>Appointment</DisplayName>\r\n" + kComment) +
                L"\t</CTCap>\r\n";
    expected += kCapOpen + CalendarSized(L"SUBJECT", 45) + CalendarSized(L"DETAIL", 100) +
                CalendarProperty(L"START_DATE", L"datetime", L"") + CalendarProperty(L"ISHOLIDAY", L"string", L"") +
                CalendarProperty(L"ALARM_TYPE", L"string", allAlarms) +
                CalendarProperty(L"RECURRENCE_UI_TYPE", L"string", L"\t\t\t<ValEnum>Type4</ValEnum>") +
                CalendarProperty(L"RECURRENCE_TYPE", L"string", L"\t<ValEnum>Yearly</ValEnum>\r\n") +
                CalendarProperty(L"TYPE", L"integer",
                                 L"\t\t\t<ValEnum>1</ValEnum>\r\n\t\t\t<DisplayName>Anniversary</DisplayName>\r\n" + kComment) +
                L"\t</CTCap>\r\n";
    expected += CalendarClose(L"200") + L"</DevInf>\r\n";
    EXPECT_EQ(NarrowUtf8(expected), NarrowUtf8(DevInfOf(handset)));
}

TEST(DevInf, OtherModelsDifferWhereTheirProfilesDo)
{
    struct Case {
        int resource;
        bool photo, telDial, address;
        int calendarCaps;
    };
    for (Case c : {Case{203, false, true, true, 3}, Case{208, false, true, false, 3}, Case{210, false, true, true, 3},
                   Case{212, false, true, true, 3}, Case{218, true, true, true, 2}}) {
        Handset handset(c.resource);
        std::wstring text = DevInfOf(handset);
        auto has = [&](const wchar_t* fragment) { return text.find(fragment) != std::wstring::npos; };
        EXPECT_EQ(c.photo, has(L"<PropName>PHOTO</PropName>")) << c.resource;
        EXPECT_EQ(c.telDial, has(L"<PropName>TEL_DIAL</PropName>")) << c.resource;
        EXPECT_EQ(c.address, has(L"<PropName>ADDR_COUNTRY</PropName>")) << c.resource;
        EXPECT_TRUE(has(L"<SourceRef>PB_GROUP</SourceRef>")) << c.resource;
        size_t caps = 0;
        for (size_t at = text.find(L"\t<CTCap>\r\n"); at != std::wstring::npos; at = text.find(L"\t<CTCap>\r\n", at + 1))
            ++caps;
        EXPECT_EQ(static_cast<size_t>(c.calendarCaps), caps) << c.resource;
        EXPECT_TRUE(LoadsAsXml(text)) << c.resource;
    }
    // KTM-A110 lists three number types.
    Handset a110(218);
    EXPECT_NE(std::wstring::npos, DevInfOf(a110).find(L"\t<MaxOccur>3</MaxOccur>\r\n" + Lines({L"Mobile.Private", L"Mobile.Business", L"Landline.Private"}, L"\t")));
}

TEST(DevInf, EveryBuiltInDocumentIsWellFormedXml)
{
    for (int resource : {202, 211}) {
        Handset handset(resource);
        EXPECT_TRUE(LoadsAsXml(DevInfOf(handset))) << resource;
    }
}

TEST(DevInf, ReadsSupportAndEnumerationsAsTheProfileGivesThem)
{
    ModelProfile profile;
    profile.SetText(L"PBGroup_Support", L"TRUE");
    profile.SetText(L"Phonebook_TellTypeEnum", L"0,7");
    profile.SetText(L"Phonebook_AddressCnt", L"0");
    profile.SetText(L"Phonebook_MaxRecordCount", L"<1000 & more>");
    std::wstring text = BuildDevInf(profile);
    EXPECT_EQ(std::wstring::npos, text.find(L"PB_GROUP"));
    EXPECT_NE(std::wstring::npos,
              text.find(L"\t<MaxOccur>2</MaxOccur>\r\n\t<ValEnum>Mobile.Private</ValEnum>\r\n</Property>\r\n"));
    EXPECT_EQ(std::wstring::npos, text.find(L"ADDR_"));
    EXPECT_NE(std::wstring::npos, text.find(L"<MaxMem>&lt;1000 &amp; more&gt;</MaxMem>"));
    EXPECT_TRUE(LoadsAsXml(text));
    EXPECT_FALSE(LoadsAsXml(L"<DevInf><MaxMem><1000 & more></MaxMem></DevInf>"));
    // With no calendar support at all the datastore keeps its frame and no CTCap.
    EXPECT_NE(std::wstring::npos, text.find(kCalendarOpen + CalendarClose(L"")));

    profile.SetText(L"Schedule_Support", L"true");
    profile.SetText(L"Schedule_AlarmRsvTypeEnum", L"-1,4,10,11,5,7,12,8,-5");
    profile.SetText(L"Schedule_RepeatTypeEnum", L"0,1,2,3,4");
    text = BuildDevInf(profile);
    EXPECT_NE(std::wstring::npos, text.find(CalendarProperty(
        L"ALARM_TYPE", L"string", Lines({L"None", L"Minute", L"Hour", L"Day", L"Week", L"Date"}, L"\t"))));
    EXPECT_NE(std::wstring::npos, text.find(CalendarProperty(
        L"RECURRENCE_TYPE", L"string", Lines({L"Daily", L"Weekly", L"Monthly", L"MonthlyNth", L"Yearly", L"YearlyNth"}, L"\t"))));
}

TEST(SpeedDialInfo, ListsTheCardSpeedDialsAfterAPhonebookListing)
{
    Handset handset(202);
    ComPtr<IDataTable> metadata = handset.Table(DTID_METADATA);
    Bstr text;
    ASSERT_EQ(S_OK, metadata->GetProperty(Bstr(L"SpeedDialInfo").Get(), text.Out()));
    EXPECT_EQ(L"", text.Str());

    handset.Answer(L"Application.Phonebook.SupportSIMSpeedDial", L"true");
    handset.Sim().PutRecord(15, 1, Bytes("00 00 03 00 E9 03"));
    handset.Sim().PutRecord(15, 2, Bytes("00 00 07 00 F0 03"));
    ASSERT_EQ(S_OK, handset.Table(DTID_PHONEBOOK)->ListItemsAllBegin());
    ASSERT_EQ(S_OK, metadata->GetProperty(Bstr(L"SpeedDialInfo").Get(), text.Out()));
    std::wstring expected =
        L"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<SpeedDialInfo xmlns='syncml:SpeedDialInfo'>\r\n" +
        kHead.substr(kHead.find(L"<VerDTD>")) + kPhonebookOpen +
        L"<Property>\r\n\t<PropName>SPEEDDIAL_COUNT</PropName>\r\n\t<DataType>string</DataType>\r\n\t<ValEnum>2</ValEnum>\r\n</Property>\r\n"
        L"<Property>\r\n\t<PropName>USED_NUMBER</PropName>\r\n\t<DataType>string</DataType>\r\n"
        L"\t<ValueEnum>3</ValueEnum>\r\n\t<ValueEnum>7</ValueEnum>\r\n</Property>\r\n"
        L"\t</CTCap>\r\n\t<SyncCap>\r\n\t\t<SyncType>4</SyncType>\r\n\t\t<SyncType>5</SyncType>\r\n\t</SyncCap>\r\n"
        L"</DataStore>\r\n</SpeedDialInfo>\r\n";
    EXPECT_EQ(NarrowUtf8(expected), NarrowUtf8(text.Str()));
}

TEST(PrivacyLock, StatusComesFromOneRequestAndUnlockingMarksEveryEntry)
{
    Handset handset(202);
    handset.connection->SetPrivacyLock(Bstr(L"01 00 01 00 00 01 00").Get(), Bstr(L"1234").Get());
    ComPtr<IDataTable> metadata = handset.Table(DTID_METADATA);
    long before = handset.Sim().RequestCount();
    Bstr status;
    ASSERT_EQ(S_OK, metadata->GetProperty(Bstr(L"PRIVACY_LOCK").Get(), status.Out()));
    EXPECT_EQ(L"1,1,0,1,0,0,0,0,0,0,0,0,0,0,0", status.Str());
    EXPECT_EQ(Bytes("20 10 00 00 00 00"), handset.Sim().LastRequest());
    ASSERT_EQ(S_OK, metadata->GetProperty(Bstr(L"PRIVACY_LOCK").Get(), status.Out()));
    EXPECT_EQ(before + 1, handset.Sim().RequestCount());

    ComPtr<IItem> none;
    EXPECT_EQ(static_cast<HRESULT>(0x80042EF4), metadata->Execute(Bstr(L"PRIVACY_UNLOCK:9999").Get(), nullptr, none.GetAddressOf()));
    ASSERT_EQ(S_OK, metadata->Execute(Bstr(L"  PRIVACY_UNLOCK :1234").Get(), nullptr, none.GetAddressOf()));
    EXPECT_EQ(Bytes("10 10 09 00 00 00 31 32 33 34 00 00 00 00 00"), handset.Sim().LastRequest());
    ASSERT_EQ(S_OK, metadata->GetProperty(Bstr(L"PRIVACY_LOCK").Get(), status.Out()));
    EXPECT_EQ(L"2,2,2,2,2,2,2,2,2,2,2,2,2,2,2", status.Str());
}

TEST(PrivacyLock, RefusesWhatTheHandsetCannotTakeAndSendsNothing)
{
    Handset handset(202);
    ComPtr<IDataTable> metadata = handset.Table(DTID_METADATA);
    ComPtr<IItem> none;
    long before = handset.Sim().RequestCount();
    EXPECT_EQ(E_FAIL, metadata->Execute(Bstr(L"PRIVACY_UNLOCK").Get(), nullptr, none.GetAddressOf()));
    EXPECT_EQ(E_FAIL, metadata->Execute(Bstr(L"UNLOCK:1234").Get(), nullptr, none.GetAddressOf()));
    EXPECT_EQ(E_INVALIDARG, metadata->Execute(Bstr(L"PRIVACY_UNLOCK:\uBE44\uBC00\uBC88\uD638").Get(), nullptr,
                                              none.GetAddressOf()));
    EXPECT_EQ(before, handset.Sim().RequestCount());

    // Nine characters: the first eight are sent.
    handset.connection->SetPrivacyLock(Bstr(L"00 00 00 00 00 00 00").Get(), Bstr(L"12345678").Get());
    EXPECT_EQ(S_OK, metadata->Execute(Bstr(L"PRIVACY_UNLOCK:123456789").Get(), nullptr, none.GetAddressOf()));
    EXPECT_EQ(Bytes("10 10 09 00 00 00 31 32 33 34 35 36 37 38 00"), handset.Sim().LastRequest());

    Bstr value;
    EXPECT_EQ(E_FAIL, metadata->GetProperty(Bstr(L"devinf").Get(), value.Out()));
    IItem* item = reinterpret_cast<IItem*>(1);
    EXPECT_EQ(S_OK, metadata->NewItem(QELDT_PHONEBOOK, 0, 0, &item));
    EXPECT_EQ(nullptr, item);
}
