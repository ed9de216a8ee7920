// Contact, group and card records byte for byte, built here from the record tables.
#include <gtest/gtest.h>

#include "ByteCursor.h"
#include "KelvraPB.h"
#include "PhonebookTestSupport.h"
#include "PhonebookTypes.h"
#include "RecordBuilder.h"

using namespace kelvra;
using kelvra::testing::Handset;
using kelvra::testing::RecordBuilder;

namespace {

Variant Date(WORD year, WORD month, WORD day)
{
    SYSTEMTIME time = {};
    time.wYear = year;
    time.wMonth = month;
    time.wDay = day;
    Variant date;
    date.Get().vt = VT_DATE;
    SystemTimeToVariantTime(&time, &date.Get().date);
    return date;
}

std::string WriteRequest(uint32_t store, uint32_t index, const std::string& record)
{
    return ByteWriter().U16LE(0x4130).U32LE(static_cast<uint32_t>(record.size() + 8)).U32LE(store).U32LE(index)
        .Bytes(record).Take();
}

RecordBuilder& EmptyRing(RecordBuilder& record, size_t fileNameUnits)
{
    return record.Narrow("", fileNameUnits).U16(0).U8(0).U32(0).U32(0);
}

struct Codec {
    Handset handset;
    PhonebookSettings settings;
    CKelvraPB codec;

    explicit Codec(int resource)
        : handset(resource), settings(PhonebookSettings::Load(handset.device->Model())),
          codec(handset.device->Agent(), settings)
    {
    }
    std::string LastRequest() { return handset.Sim().LastRequest(); }
};

}  // namespace

TEST(ContactRecord, KTM_A280)
{
    Codec c(202);
    ColumnMap map;
    map.SetValue(L"SUID", VT_I4, 7);
    map.SetText(L"FIRST_NAME", L"Ada");
    map.SetText(L"LAST_NAME", L"Lovelace");
    map.SetText(L"TEL_NUM_0", L"+44 (20) 7946-0000");
    map.SetText(L"TEL_TYPE_0", L"Mobile.Business");
    map.SetText(L"TEL_DIAL_0", L"3");
    map.SetText(L"TEL_NUM_1", L"0123");
    map.SetText(L"TEL_TYPE_1", L"Fax");
    map.SetText(L"EMAIL_ADDR_0", L"ada@example.org");
    map.SetText(L"EMAIL_TYPE_0", L"business");
    map.SetText(L"URL_ADDR_0", L"example.org");
    map.SetText(L"ADDR_EXTADDR_0", L"Flat 2");
    map.SetText(L"ADDR_STREET_0", L"12 St James's Square");
    map.SetText(L"ADDR_POSTALCODE_0", L"SW1Y 4JH");
    map.SetText(L"ADDR_LOCALITY_0", L"London");
    map.SetText(L"ADDR_COUNTRY_0", L"UK");
    map.SetText(L"ADDR_TYPE_0", L"private");
    map[L"BIRTHDAY"] = Date(1815, 12, 10);
    map.SetText(L"NOTES", L"Analyst");
    map.SetText(L"RINGTON", L"ring.mid");
    map.SetValue(L"GROUP_ID_0", VT_I4, 2);
    c.codec.WriteContact(map, false, true);

    RecordBuilder record;
    record.U8(0).U8(0).U8(2).Fill(9, 0xFF);           // occupied, extended id, ten group slots
    record.Narrow("", 257).Wide(L"Analyst", 51);       // photo file name, memo
    record.U16(7).U16(0).U16(1815).U16(12).U16(10);    // table address, main number, birthday
    record.Wide(L"Ada", 25).Wide(L"LovelaceAda", 61);  // first name, no last-name field, full name
    record.Wide(L"+44 (20) 7946-0000", 41).U8(1).U16(3);
    record.Wide(L"0123", 41).U8(4).U16(0);
    for (int n = 2; n < 5; ++n)
        record.Wide(L"", 41).U8(5).U16(0);
    record.Wide(L"Flat 2", 51).Wide(L"12 St James's Square", 51).Wide(L"SW1Y 4JH", 21).Wide(L"London", 51)
        .Wide(L"", 51).Wide(L"UK", 21).U8(17);
    record.Wide(L"ada@example.org", 51).U8(7).Wide(L"", 51).U8(6);
    record.Wide(L"http://example.org", 51).U8(8);
    record.Narrow("ring.mid", 257).U16(0).U8(0).U32(0).U32(0);
    EmptyRing(record, 257);
    ASSERT_EQ(2316u, record.Bytes().size());
    EXPECT_EQ(WriteRequest(1, 7, record.Bytes()), c.LastRequest());
    EXPECT_EQ(L"1", map.Text(L"URL_COUNT"));
    EXPECT_EQ(L"bell", map.Text(L"RINGTON_TYPE"));
    EXPECT_EQ(L"", map.Text(L"PHOTO_LOCAL_PATH"));

    ColumnMap read;
    c.codec.ReadContact(7, read);
    EXPECT_EQ(VT_UI2, read.at(L"SUID").Type());
    EXPECT_EQ(7, read.Number(L"SUID"));
    EXPECT_EQ(L"Ada", read.Text(L"FIRST_NAME"));
    EXPECT_EQ(L"Lovelace", read.Text(L"LAST_NAME"));  // found again in the full name
    EXPECT_EQ(L"LovelaceAda", read.Text(L"DISPLAY_NAME"));
    EXPECT_EQ(5, read.Number(L"TEL_COUNT"));
    EXPECT_EQ(L"+442079460000", read.Text(L"TEL_NUM_0"));
    EXPECT_EQ(L"Mobile.Business", read.Text(L"TEL_TYPE_0"));
    EXPECT_EQ(L"3", read.Text(L"TEL_DIAL_0"));
    EXPECT_EQ(L"Fax", read.Text(L"TEL_TYPE_1"));
    EXPECT_EQ(VT_NULL, read.at(L"TEL_DIAL_1").Type());
    EXPECT_EQ(L"", read.Text(L"TEL_NUM_2"));
    EXPECT_FALSE(read.Has(L"TEL_TYPE_2"));
    EXPECT_FALSE(read.Has(L"TEL_DIAL_2"));
    EXPECT_EQ(1, read.Number(L"EMAIL_COUNT"));
    EXPECT_EQ(L"business", read.Text(L"EMAIL_TYPE_0"));
    EXPECT_EQ(L"ada@example.org", read.Text(L"EMAIL_ADDR_0"));
    EXPECT_EQ(1, read.Number(L"URL_COUNT"));
    EXPECT_EQ(L"private", read.Text(L"URL_TYPE_0"));
    EXPECT_EQ(L"http://example.org", read.Text(L"URL_ADDR_0"));
    EXPECT_EQ(1, read.Number(L"ADDR_COUNT"));
    EXPECT_EQ(L"private", read.Text(L"ADDR_TYPE_0"));
    EXPECT_EQ(L"12 St James's Square", read.Text(L"ADDR_STREET_0"));
    EXPECT_EQ(L"UK", read.Text(L"ADDR_COUNTRY_0"));
    EXPECT_EQ(L"", read.Text(L"ADDR_REGION_0"));
    ASSERT_EQ(VT_DATE, read.at(L"BIRTHDAY").Type());
    EXPECT_EQ(Date(1815, 12, 10).Get().date, read.at(L"BIRTHDAY").Get().date);
    EXPECT_EQ(L"ring.mid", read.Text(L"RINGTON"));
    EXPECT_EQ(L"bell", read.Text(L"RINGTON_TYPE"));
    EXPECT_EQ(L"NONE", read.Text(L"PHOTO_TYPE"));
    EXPECT_EQ(L"Analyst", read.Text(L"NOTES"));
    EXPECT_EQ(2, read.Number(L"GROUP_ID_0"));
    EXPECT_EQ(0, read.Number(L"GROUP_ID_9"));  // 0xFF is no group
}

TEST(ContactRecord, KTM_A230WithoutAddressOrMessageRing)
{
    Codec c(208);
    ColumnMap map;
    map.SetValue(L"SUID", VT_I4, 3);
    map.SetText(L"FIRST_NAME", L"Kim");
    map.SetText(L"LAST_NAME", L"Lee");
    map.SetText(L"TEL_NUM_0", L"010-1234-5678");
    map.SetText(L"TEL_TYPE_0", L"Mobile");
    map.SetText(L"EMAIL_ADDR_0", L"k@x.kr");
    map.SetText(L"URL_ADDR_0", L"https://x.kr");
    map.SetText(L"ADDR_STREET_0", L"never stored");
    c.codec.WriteContact(map, false, true);

    RecordBuilder record;
    record.U8(0).U8(0).Fill(10, 0xFF).Narrow("", 257).Wide(L"", 129);
    record.U16(3).U16(0).U16(0).U16(0).U16(0);
    record.Wide(L"Kim", 21).Wide(L"Kim Lee", 43);
    record.Wide(L"010-1234-5678", 33).U8(0).U16(0);
    record.Wide(L"", 33).U8(5).U16(0).Wide(L"", 33).U8(5).U16(0);
    record.Wide(L"k@x.kr", 51).U8(6).Wide(L"", 51).U8(6);
    record.Wide(L"https://x.kr", 51).U8(8);
    EmptyRing(record, 257);
    EXPECT_EQ(WriteRequest(1, 3, record.Bytes()), c.LastRequest());
    EXPECT_EQ(L"137", map.Text(L"RINGTON"));

    ColumnMap read;
    c.codec.ReadContact(3, read);
    EXPECT_EQ(L"010-1234-5678", read.Text(L"TEL_NUM_0"));  // kept as stored on this model
    EXPECT_EQ(L"Mobile.Private", read.Text(L"TEL_TYPE_0"));
    EXPECT_EQ(L"Kim Lee", read.Text(L"DISPLAY_NAME"));
    EXPECT_EQ(L"https://x.kr", read.Text(L"URL_ADDR_0"));
    EXPECT_FALSE(read.Has(L"ADDR_COUNT"));
    EXPECT_EQ(VT_UI2, read.at(L"RINGTON").Type());
}

TEST(ContactRecord, KTM_A110ShortTypesFullNameAndRingByte)
{
    Codec c(218);
    ColumnMap map;
    map.SetValue(L"SUID", VT_I4, 12);
    map.SetText(L"FIRST_NAME", L"Park Jisoo");
    map.SetText(L"LAST_NAME", L"");
    map.SetText(L"TEL_NUM_0", L"0311234567");
    map.SetText(L"TEL_TYPE_0", L"Mobile");
    map.SetText(L"TEL_NUM_1", L"5550000");
    map.SetText(L"TEL_TYPE_1", L"Fax");
    map.SetText(L"EMAIL_ADDR_0", L"p@x.kr");
    map.SetText(L"EMAIL_TYPE_0", L"business");
    c.codec.WriteContact(map, false, true);

    RecordBuilder record;
    record.U8(0).U8(0).Fill(10, 0xFF).Narrow("", 261).Wide(L"", 65);
    record.U16(12).U16(0).U16(0).U16(0).U16(0);
    record.Wide(L"Park Jisoo", 21).Wide(L"Park Jisoo", 51);
    record.Wide(L"0311234567", 33).U8(1).U16(0);
    record.Wide(L"5550000", 33).U8(0).U16(0);
    record.Wide(L"", 33).U8(0).U16(0);
    record.Wide(L"", 65).Wide(L"", 65).Wide(L"", 21).Wide(L"", 65).Wide(L"", 65).Wide(L"", 21).U8(17);
    record.Wide(L"p@x.kr", 65).U8(7);
    record.Wide(L"", 65).U8(8);
    record.Narrow("", 261).U8(0x86).U8(0).U8(0).U32(0).U32(0);
    EmptyRing(record, 261);
    EXPECT_EQ(WriteRequest(1, 12, record.Bytes()), c.LastRequest());

    ColumnMap read;
    c.codec.ReadContact(12, read);
    EXPECT_EQ(L"Park Jisoo", read.Text(L"FIRST_NAME"));  // the full name
    EXPECT_FALSE(read.Has(L"DISPLAY_NAME"));
    // The short table's names, which write back as the same codes.
    EXPECT_EQ(L"Mobile", read.Text(L"TEL_TYPE_0"));
    EXPECT_EQ(L"NONE", read.Text(L"TEL_TYPE_1"));
    EXPECT_EQ(0x86, read.Number(L"RINGTON"));
    EXPECT_EQ(0, read.Number(L"ADDR_COUNT"));
}

TEST(ContactRecord, AShortReplyFailsTheReadWithoutReadingPastIt)
{
    Codec c(202);
    c.handset.Sim().PutRecord(1, 5, std::string(100, '\x01'));
    ColumnMap map;
    try {
        c.codec.ReadContact(5, map);
        FAIL() << "no exception";
    } catch (const _tam_error& e) {
        EXPECT_EQ(1, e.Code());
    }
    EXPECT_TRUE(map.empty());
}

TEST(GroupRecord, WritesNameAndPhotoAndReadsEveryColumn)
{
    Codec c(202);
    ColumnMap map;
    map.SetText(L"NAME", L"Family");
    map.SetText(L"PHOTO", L"fam.jpg");
    map.SetText(L"RINGTON", L"not stored");
    c.codec.WriteGroup(3, map, true);
    RecordBuilder record;
    record.U8(0).U8(0).Wide(L"Family", 21).Narrow("fam.jpg", 257).U16(0).Narrow("", 257).U16(0);
    EXPECT_EQ(WriteRequest(2, 3, record.Bytes()), c.LastRequest());

    RecordBuilder stored;
    stored.U8(1).U8(0).Wide(L"Work", 21).Narrow("", 257).U16(0).Narrow("g.mid", 257).U16(5);
    c.handset.Sim().PutRecord(2, 0, stored.Bytes());
    ColumnMap read;
    c.codec.ReadGroup(0, read);
    EXPECT_EQ(0, read.Number(L"SUID"));
    EXPECT_EQ(0, read.Number(L"INDEX"));
    EXPECT_EQ(L"DISABLE_DEL", read.Text(L"ATTRIBUTE"));  // not above "GroupNotDelete" 0
    EXPECT_EQ(L"Work", read.Text(L"NAME"));
    EXPECT_EQ(VT_UI2, read.at(L"RINGTON_TYPE").Type());
    EXPECT_EQ(5, read.Number(L"RINGTON_TYPE"));
    EXPECT_EQ(L"g.mid", read.Text(L"RINGTON"));
    EXPECT_EQ(L"NONE", read.Text(L"PHOTO_TYPE"));
    EXPECT_EQ(L"0", read.Text(L"MESSAGETON_TYPE"));
    EXPECT_EQ(L"0", read.Text(L"VCARD_IMAGE_TYPE"));
    EXPECT_EQ(0, read.Number(L"MODE"));

    c.codec.ReadGroup(3, read);
    EXPECT_EQ(L"NORMAL", read.Text(L"ATTRIBUTE"));
    EXPECT_EQ(L"IMAGE_PHOTO", read.Text(L"PHOTO_TYPE"));
    EXPECT_EQ(L"fam.jpg", read.Text(L"PHOTO"));
}

TEST(PhoneNumbers, CleanupKeepsDigitsDialSignsAndALeadingPlus)
{
    EXPECT_EQ(L"+442079460000", CleanContactNumber(L"+44 (20) 7946-0000", 40));
    EXPECT_EQ(L"12P3T4*#", CleanContactNumber(L"1-2P3T4p*#", 40));
    EXPECT_EQ(L"12", CleanContactNumber(L"1+2", 40));
    EXPECT_EQ(L"+1234", CleanContactNumber(L"+12345", 4));  // the plus does not count
    EXPECT_EQ(L"123", CleanContactNumber(L"12345", 3));
    EXPECT_EQ(L"12P", CleanCardNumber(L"1 2 P T", 40));
    EXPECT_EQ(L"+12125550", CleanCardNumber(L"+1 (212) 555-0100", 8));
}

TEST(PhoneNumbers, TypeNamesBothWays)
{
    EXPECT_EQ(L"Mobile.Private", TypeName(0, 0));
    EXPECT_EQ(L"NONE", TypeName(0, 1));
    EXPECT_EQ(L"Fax", TypeName(3, 1));
    EXPECT_EQ(L"Fax", TypeName(4, 0));
    EXPECT_EQ(L"ETC", TypeName(4, 1));
    EXPECT_EQ(L"private", TypeName(17, 0));
    EXPECT_EQ(L"business", TypeName(9, 1));
    EXPECT_EQ(L"ETC", TypeName(5, 0));
    EXPECT_EQ(L"ETC", TypeName(19, 0));

    PhonebookSettings settings;
    settings.model = ModelName(L"KTM-A280");
    EXPECT_EQ(0, NumberTypeCode(L"Mobile", settings));
    EXPECT_EQ(5, NumberTypeCode(L"pager", settings));
    EXPECT_EQ(5, NumberTypeCode(L"mobile.private", settings));  // names compare case-sensitively
    settings.model = ModelName(L"ktm-a290");
    EXPECT_EQ(2, NumberTypeCode(L"pager", settings));
    settings.model = ModelName(L"KTM-A250");
    EXPECT_EQ(0, NumberTypeCode(L"pager", settings));
    settings.numberTypeSetting = 1;
    EXPECT_EQ(5, NumberTypeCode(L"NONE", settings));
    EXPECT_EQ(3, NumberTypeCode(L"Fax", settings));
    settings.model = ModelName(L"KTM-A100");
    EXPECT_EQ(1, NumberTypeCode(L"Mobile.Business", settings));
    EXPECT_EQ(0, NumberTypeCode(L"Fax", settings));
}

TEST(PhoneNumbers, UrlsWithoutASchemeBecomeHttp)
{
    EXPECT_EQ(L"http://example.org", UrlForHandset(L"example.org"));
    EXPECT_EQ(L"HTTP://EXAMPLE.ORG", UrlForHandset(L"HTTP://EXAMPLE.ORG"));
    EXPECT_EQ(L"https://example.org", UrlForHandset(L"https://example.org"));
    EXPECT_EQ(L"ftp://files.example.org", UrlForHandset(L"ftp://files.example.org"));
    EXPECT_EQ(L"http://example.org:8080/x", UrlForHandset(L"example.org:8080/x"));
    EXPECT_EQ(L"", UrlForHandset(L""));
}
