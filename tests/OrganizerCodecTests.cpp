// Calendar, task and memo records byte for byte, built here from the record tables.
#include <gtest/gtest.h>

#include <tuple>

#include "HandsetTime.h"
#include "OrganizerPlaces.h"
#include "OrganizerTestSupport.h"
#include "RecordBuilder.h"
#include "ScriptedAgent.h"

using namespace kelvra;
using kelvra::testing::DateTime;
using kelvra::testing::OrgCodec;
using kelvra::testing::RecordBuilder;

namespace {

// 2024-03-15 09:30, 10:15 and 09:00, and 2024-12-31, as handset seconds from 1980-01-06.
constexpr uint32_t kStart = 1394530200;
constexpr uint32_t kEnd = 1394532900;
constexpr uint32_t kAlarmAt = 1394528400;
constexpr uint32_t kExpiry = 1419638400;
const char kMelodyUtf8[] = "bells/\xC3\xA9t\xC3\xA9.mp3";

ColumnMap Appointment()
{
    ColumnMap map;
    map.SetValue(L"SUID", VT_I4, 3);
    map.SetText(L"TYPE", L"5");
    map.SetText(L"SUBJECT", L"Dentist");
    map.SetText(L"DETAIL", L"Check-up");
    map.SetText(L"LOCATION", L"Main St");
    map[L"START_DATE"] = DateTime(2024, 3, 15, 9, 30);
    map[L"END_DATE"] = DateTime(2024, 3, 15, 10, 15);
    map.SetText(L"ALARM_MELODY_TYPE", L"path");
    map.SetValue(L"ALARM_MELODY_INDEX", VT_I4, 7);
    map.SetText(L"ALARM_MELODY", L"bells/\u00e9t\u00e9.mp3");
    map.SetText(L"RECURRENCE_EXPIRE_TYPE", L"0");
    map[L"RECURRENCE_EXPIRE_DATE"] = DateTime(2024, 12, 31);
    return map;
}

// Index, kind byte, title, details, the four times and the location of a schedule record.
RecordBuilder& Head(RecordBuilder& r)
{
    return r.U32(3).U8(0).Wide(L"Dentist", 45).Wide(L"Check-up", 100).U32(kStart).U32(kStart).U32(kEnd).U32(kEnd)
        .Wide(L"Main St", 45);
}

double DateOf(const ColumnMap& map, const wchar_t* name)
{
    Variant date;
    EXPECT_EQ(S_OK, VariantChangeType(date.Out(), const_cast<VARIANT*>(&map.at(name).Get()), 0, VT_DATE));
    return date.Get().date;
}

}  // namespace

TEST(ScheduleRecord, OrdinaryModel_KTM_A280)
{
    OrgCodec c(202);
    ColumnMap map = Appointment();
    map.SetText(L"ALARM_TYPE", L"Hour");
    map.SetValue(L"ALARM_VALUE", VT_I4, 2);
    map.SetText(L"RECURRENCE_TYPE", L"2");
    map.SetValue(L"RECURRENCE_EVERY", VT_I4, 1);
    map.SetText(L"RECURRENCE_FLAG", L"10");  // Monday and Wednesday
    c.codec.WriteOrganizerRecord(OrgKind::Schedule, map, true);

    RecordBuilder expected;
    Head(expected).U8(1).U32(2).U32(1).U8(3).U16(7).Narrow(kMelodyUtf8, 257)
        .U8(1).U32(1).U32(1).U8(0)
        .U8(1).U8(0).U8(1).U8(0).U8(0).U8(0).U8(0).U8(0).U8(0)  // Monday .. Sunday, then two more
        .U8(0).U32(0).U32(0).U32(0).U32(0).U32(0).U8(1).U32(kExpiry);
    ASSERT_EQ(715u, expected.Bytes().size());
    EXPECT_EQ(expected.Bytes(), c.handset.Record(3, 3));

    ColumnMap read;
    c.codec.ReadOrganizerRecord(OrgKind::Schedule, 3, read);
    EXPECT_EQ(L"Dentist", read.Text(L"SUBJECT"));
    EXPECT_EQ(L"Check-up", read.Text(L"DETAIL"));
    EXPECT_EQ(L"Main St", read.Text(L"LOCATION"));
    EXPECT_DOUBLE_EQ(DateTime(2024, 3, 15, 9, 30).Get().date, DateOf(read, L"START_DATE"));
    EXPECT_DOUBLE_EQ(DateTime(2024, 3, 15, 10, 15).Get().date, DateOf(read, L"END_DATE"));
    EXPECT_EQ(L"Hour", read.Text(L"ALARM_TYPE"));
    EXPECT_EQ(2, read.Number(L"ALARM_VALUE"));
    EXPECT_EQ(L"path", read.Text(L"ALARM_MELODY_TYPE"));
    EXPECT_EQ(7, read.Number(L"ALARM_MELODY_INDEX"));
    EXPECT_EQ(L"bells/\u00e9t\u00e9.mp3", read.Text(L"ALARM_MELODY"));
    EXPECT_EQ(L"2", read.Text(L"RECURRENCE_TYPE"));
    EXPECT_EQ(L"10", read.Text(L"RECURRENCE_FLAG"));
    EXPECT_EQ(1, read.Number(L"RECURRENCE_EVERY"));
    EXPECT_EQ(L"Type5", read.Text(L"RECURRENCE_UI_TYPE"));
    EXPECT_EQ(L"0", read.Text(L"RECURRENCE_EXPIRE_TYPE"));
    EXPECT_DOUBLE_EQ(DateTime(2024, 12, 31).Get().date, DateOf(read, L"RECURRENCE_EXPIRE_DATE"));
}

TEST(ScheduleRecord, ExtendedAlarmModel_KTM_A290)
{
    OrgCodec c(211);
    ColumnMap map = Appointment();
    map.SetText(L"ALARM_TYPE", L"Minute");
    map.SetValue(L"ALARM_VALUE", VT_I4, 30);
    map.SetText(L"ISHOLIDAY", L"set");
    map.SetText(L"RECURRENCE_TYPE", L"5");
    map.SetValue(L"RECURRENCE_EVERY", VT_I4, 1);
    c.codec.WriteOrganizerRecord(OrgKind::Schedule, map, true);

    RecordBuilder expected;
    Head(expected).U8(1).U32(0).U32(0).U8(3).U16(7).Narrow(kMelodyUtf8, 257)
        .U8(1).U32(0).Fill(35, 0).U8(1).U32(kExpiry)
        .U8(1).U32(2).U32(0).U32(0).U32(4);  // holiday, AlarmMode 30 minutes, no custom term, yearly
    ASSERT_EQ(732u, expected.Bytes().size());
    EXPECT_EQ(expected.Bytes(), c.handset.Record(3, 3));

    ColumnMap read;
    c.codec.ReadOrganizerRecord(OrgKind::Schedule, 3, read);
    EXPECT_EQ(L"Minute", read.Text(L"ALARM_TYPE"));
    EXPECT_EQ(30, read.Number(L"ALARM_VALUE"));
    EXPECT_EQ(L"SET", read.Text(L"ISHOLIDAY"));
    EXPECT_EQ(L"5", read.Text(L"RECURRENCE_TYPE"));
    EXPECT_EQ(1, read.Number(L"RECURRENCE_EVERY"));
    EXPECT_EQ(L"Type1", read.Text(L"RECURRENCE_UI_TYPE"));
}

TEST(ScheduleRecord, CompactRepeatModel_KTM_A110)
{
    OrgCodec c(218);
    ColumnMap map = Appointment();
    map.SetText(L"ALARM_TYPE", L"Target");
    map[L"ALARM_TARGET_DATE"] = DateTime(2024, 3, 15, 9, 0);
    map.SetText(L"RECURRENCE_TYPE", L"3");
    map.SetValue(L"RECURRENCE_EVERY", VT_I4, 1);
    map.SetText(L"RECURRENCE_EXPIRE_TYPE", L"2");
    c.codec.WriteOrganizerRecord(OrgKind::Schedule, map, true);

    // 2024-03-15 is a Friday: weekday index 4, week 15 / 7 + 1, one more for a Friday.
    RecordBuilder expected;
    Head(expected).U8(1).U32(0).U32(0).U8(3).U16(7).Narrow(kMelodyUtf8, 261)
        .U8(1).U32(3).U32(0).U8(0)
        .U8(0).U8(0).U8(0).U8(0).U8(1).U8(0).U8(0)
        .U8(1).U32(15).U32(2).U32(2).U32(4).U32(4).U8(0).U32(0)
        .U32(kAlarmAt).U32(kAlarmAt);
    ASSERT_EQ(725u, expected.Bytes().size());
    EXPECT_EQ(expected.Bytes(), c.handset.Record(3, 3));

    ColumnMap read;
    c.codec.ReadOrganizerRecord(OrgKind::Schedule, 3, read);
    EXPECT_EQ(L"Target", read.Text(L"ALARM_TYPE"));
    EXPECT_DOUBLE_EQ(DateTime(2024, 3, 15, 9, 0).Get().date, DateOf(read, L"ALARM_TARGET_DATE"));
    EXPECT_EQ(L"3", read.Text(L"RECURRENCE_TYPE"));
    EXPECT_EQ(L"32", read.Text(L"RECURRENCE_FLAG"));  // Friday
    EXPECT_EQ(L"2", read.Text(L"RECURRENCE_EXPIRE_TYPE"));

    // Every recurrence these handsets keep reads back as it was written.
    for (const wchar_t* type : {L"0", L"1", L"2", L"3", L"5"}) {
        ColumnMap again = Appointment();
        again.SetText(L"RECURRENCE_TYPE", type);
        again.SetValue(L"RECURRENCE_EVERY", VT_I4, 1);
        c.codec.WriteOrganizerRecord(OrgKind::Schedule, again, true);
        ColumnMap back;
        c.codec.ReadOrganizerRecord(OrgKind::Schedule, 3, back);
        EXPECT_EQ(type, back.Text(L"RECURRENCE_TYPE"));
    }
}

// The alarm and recurrence rules of ordinary models, both ways.
TEST(ScheduleRecord, OrdinaryAlarmAndRecurrenceRules)
{
    OrgCodec c(202);
    struct Alarm {
        const wchar_t *type;
        LONG value;
        const wchar_t *readType;
    };
    // A new record of these models keeps no alarm at a target: none is written, and the
    // item says so.
    for (Alarm alarm : {Alarm{L"None", 0, L"None"}, Alarm{L"Minute", 15, L"Minute"}, Alarm{L"Hour", 1, L"Hour"},
                        Alarm{L"Day", 2, L"Day"}, Alarm{L"Week", 1, L"Week"}, Alarm{L"Target", 5, L"None"},
                        Alarm{L"BeforeTarget", 2, L"None"}, Alarm{L"Target", 0, L"None"},
                        Alarm{L"", 0, L"None"}}) {
        ColumnMap map = Appointment();
        map.SetText(L"ALARM_TYPE", alarm.type);
        map.SetValue(L"ALARM_VALUE", VT_I4, alarm.value);
        if (alarm.value == 0 && std::wstring(alarm.type) == L"Target")
            map[L"ALARM_TARGET_DATE"] = DateTime(2024, 3, 15, 9, 0);
        c.codec.WriteOrganizerRecord(OrgKind::Schedule, map, true);
        if (std::wstring(alarm.type).find(L"Target") != std::wstring::npos) {
            EXPECT_EQ(L"None", map.Text(L"ALARM_TYPE")) << alarm.type;  // the item says so
        }
        EXPECT_EQ(std::wstring(alarm.readType) == L"None" ? 0 : 1, c.handset.Record(3, 3)[401]) << alarm.type;
        ColumnMap read;
        c.codec.ReadOrganizerRecord(OrgKind::Schedule, 3, read);
        EXPECT_EQ(alarm.readType, read.Text(L"ALARM_TYPE")) << alarm.type;
        if (std::wstring(alarm.readType) != L"None") {
            EXPECT_EQ(alarm.value, read.Number(L"ALARM_VALUE")) << alarm.type;
        }
    }
    struct Recurrence {
        const wchar_t *type, *flag, *readType, *readFlag;
    };
    // Monthly on the second Tuesday: week 256 with Tuesday 4.
    for (Recurrence rec : {Recurrence{L"0", L"", L"0", L""}, Recurrence{L"1", L"0", L"1", L"0"},
                           Recurrence{L"2", L"4", L"2", L"4"}, Recurrence{L"3", L"0", L"3", L"15"},
                           Recurrence{L"4", L"260", L"4", L"260"}, Recurrence{L"5", L"0", L"5", L"3"}}) {
        ColumnMap map = Appointment();
        map.SetText(L"RECURRENCE_TYPE", rec.type);
        map.SetText(L"RECURRENCE_FLAG", rec.flag);
        map.SetValue(L"RECURRENCE_EVERY", VT_I4, 1);
        map.SetText(L"RECURRENCE_EXPIRE_TYPE", L"2");
        c.codec.WriteOrganizerRecord(OrgKind::Schedule, map, true);
        ColumnMap read;
        c.codec.ReadOrganizerRecord(OrgKind::Schedule, 3, read);
        EXPECT_EQ(rec.readType, read.Text(L"RECURRENCE_TYPE")) << rec.type;
        EXPECT_EQ(rec.readFlag, read.Text(L"RECURRENCE_FLAG")) << rec.type;
    }
    // No recurrence never carries an expiry.
    ColumnMap map = Appointment();
    map.SetText(L"RECURRENCE_TYPE", L"0");
    c.codec.WriteOrganizerRecord(OrgKind::Schedule, map, true);
    std::string record = c.handset.Record(3, 3);
    EXPECT_EQ(0, record[710]);  // Expiry
}

TEST(ScheduleRecord, TextsAreCutAtWholeCharacters)
{
    OrgCodec c(202);
    ColumnMap map = Appointment();
    // 44 letters and a surrogate pair: the pair does not fit the 45 characters.
    std::wstring subject(44, L'a');
    subject += L"\U0001F600";
    map.SetText(L"SUBJECT", subject);
    std::wstring melody(255, L'm');
    melody += L"\u00e9";  // two bytes in UTF-8, one too many for 256
    map.SetText(L"ALARM_MELODY", melody);
    map.SetText(L"ALARM_TYPE", L"Minute");
    c.codec.WriteOrganizerRecord(OrgKind::Schedule, map, true);
    EXPECT_EQ(std::wstring(44, L'a'), map.Text(L"SUBJECT"));
    EXPECT_EQ(std::wstring(255, L'm'), map.Text(L"ALARM_MELODY"));
    std::string record = c.handset.Record(3, 3);
    EXPECT_EQ(std::string(2, '\0'), record.substr(5 + 44 * 2, 2));
}

TEST(HandsetTime, ClampsRoundsAndKeepsCalendarDays)
{
    auto at = [](WORD y, WORD m, WORD d, WORD h = 0, WORD min = 0, WORD s = 0) {
        return HandsetTimeFromDate(DateTime(y, m, d, h, min, s).Get().date);
    };
    EXPECT_EQ(1394530200u, at(2024, 3, 15, 9, 30));
    EXPECT_EQ(0u, at(1980, 1, 6));
    // Before 1980 and after 2050: the year is clamped, the time of day dropped.
    EXPECT_EQ(4752000u, at(1975, 3, 1, 10, 0));
    EXPECT_EQ(2224540800u, at(2060, 7, 4, 12, 0));
    // A leap day the clamped year lacks becomes the month's last day.
    EXPECT_EQ(2213654400u, at(2060, 2, 29));
    // Days before the clock's start stay at its start rather than wrap.
    EXPECT_EQ(0u, at(1975, 1, 3));
    // Rounding to the nearest second, across a leap day's midnight.
    DATE lastSecond = DateTime(2000, 2, 29, 23, 59, 59).Get().date;
    EXPECT_EQ(635903999u, HandsetTimeFromDate(lastSecond + 0.4 / 86400));
    EXPECT_EQ(635904000u, HandsetTimeFromDate(lastSecond + 0.6 / 86400));
    // And back, whole seconds, around month ends.
    EXPECT_DOUBLE_EQ(DateTime(1980, 1, 6).Get().date, DateFromHandsetTime(0));
    EXPECT_DOUBLE_EQ(DateTime(2024, 1, 31, 12).Get().date, DateFromHandsetTime(1390737600));
    EXPECT_DOUBLE_EQ(DateTime(2024, 3, 1).Get().date, DateFromHandsetTime(1393286400));
}

TEST(OrganizerRecords, TaskAndMemoLayouts)
{
    OrgCodec c(211);
    ColumnMap task;
    task.SetValue(L"SUID", VT_I4, 2);
    task.SetText(L"SUBJECT", L"Taxes");
    task.SetText(L"DETAIL", L"File them");
    task[L"START_DATE"] = DateTime(2024, 3, 1);
    task[L"END_DATE"] = DateTime(2024, 3, 15, 9, 30);
    task.SetText(L"ALARM_TYPE", L"Time");
    task[L"ALARM_TIME"] = DateTime(2024, 3, 15, 9, 30);
    task.SetText(L"PRIORITY", L"Low");
    task.SetText(L"DONE_STATE", L"done");
    c.codec.WriteTaskRecord(task, true);
    RecordBuilder expected;
    expected.U16(2).U8(1).Wide(L"Taxes", 46).Wide(L"File them", 101).U32(1393286400).U32(kStart)
        .U8(1).U32(kStart).U32(kStart).U8(0).U16(0).Narrow("", 257).U32(2).U32(2);
    ASSERT_EQ(582u, expected.Bytes().size());
    EXPECT_EQ(expected.Bytes(), c.handset.Record(5, 2));
    ColumnMap read;
    c.codec.ReadTaskRecord(2, read);
    EXPECT_EQ(L"Time", read.Text(L"ALARM_TYPE"));
    EXPECT_DOUBLE_EQ(DateTime(2024, 3, 15, 9, 30).Get().date, DateOf(read, L"ALARM_TIME"));
    EXPECT_EQ(L"Low", read.Text(L"PRIORITY"));
    EXPECT_EQ(L"Done", read.Text(L"DONE_STATE"));

    ColumnMap memo;
    memo.SetValue(L"SUID", VT_I4, 1);
    memo.SetText(L"DETAIL", L"Milk");
    c.codec.WriteMemoRecord(memo, true);
    EXPECT_EQ(RecordBuilder().U16(1).Wide(L"Milk", 102).Bytes(), c.handset.Record(4, 1));

    // A model that keeps the time a memo was saved, clamped like every handset time.
    OrgCodec timed(218);
    memo[L"CREATE_DATE"] = DateTime(1979, 3, 1, 8, 0);
    timed.codec.WriteMemoRecord(memo, true);
    EXPECT_EQ(RecordBuilder().U16(1).Wide(L"Milk", 72).U32(4752000).Bytes(), timed.handset.Record(4, 1));
}

TEST(OrganizerRecords, ShortReplyFailsTheRead)
{
    OrgCodec c(202);
    c.handset.Sim().PutRecord(3, 4, std::string(714, '\0'));
    ColumnMap map;
    try {
        c.codec.ReadOrganizerRecord(OrgKind::Schedule, 4, map);
        ADD_FAILURE() << "a short record was read";
    } catch (const _tam_error& e) {
        EXPECT_EQ(kTamWrongReply, e.Code());
    }
}

TEST(OrganizerRecords, FindFreeIndex)
{
    EXPECT_EQ(2u, CKelvraOrg::FindFreeIndex(0, 100, {3, 0, 1}));
    EXPECT_EQ(5u, CKelvraOrg::FindFreeIndex(5, 100, {0, 1}));
    std::vector<uint32_t> full;
    for (uint32_t i = 0; i < 100; ++i)
        full.push_back(i);
    try {
        CKelvraOrg::FindFreeIndex(0, 100, full);
        ADD_FAILURE() << "a full store gave an index";
    } catch (const _tam_error& e) {
        EXPECT_EQ(kTamStoreFull, e.Code());
    }
    EXPECT_ANY_THROW(CKelvraOrg::FindFreeIndex(0, 0, {}));
}

// The alarm modes and repeat modes of extended-alarm models, both ways.
TEST(ScheduleRecord, ExtendedAlarmRules)
{
    OrgCodec c(211);
    struct Alarm {
        const wchar_t* type;
        LONG value;
        uint32_t mode, term, unit;
        const wchar_t* readType;
        LONG readValue;
    };
    for (Alarm a : {Alarm{L"None", 0, 0, 0, 0, L"None", 0}, Alarm{L"Minute", 0, 1, 0, 0, L"Minute", 0},
                    Alarm{L"Minute", 30, 2, 0, 0, L"Minute", 30}, Alarm{L"Hour", 1, 3, 0, 0, L"Hour", 1},
                    Alarm{L"Day", 1, 4, 0, 0, L"Day", 1}, Alarm{L"Week", 1, 5, 0, 0, L"Week", 1},
                    Alarm{L"Day", 7, 5, 0, 0, L"Week", 1}, Alarm{L"Hour", 5, 6, 5, 1, L"Hour", 5},
                    Alarm{L"Week", 2, 6, 14, 2, L"Day", 14}, Alarm{L"Target", 0, 0, 0, 0, L"None", 0}}) {
        ColumnMap map = Appointment();
        map.SetText(L"ALARM_TYPE", a.type);
        map.SetValue(L"ALARM_VALUE", VT_I4, a.value);
        c.codec.WriteOrganizerRecord(OrgKind::Schedule, map, true);
        // HolidayCheck at 715, then AlarmMode, the custom term and its unit.
        RecordBuilder tail;
        tail.U32(a.mode).U32(a.term).U32(a.unit);
        EXPECT_EQ(tail.Bytes(), c.handset.Record(3, 3).substr(716, 12)) << a.type << a.value;
        ColumnMap read;
        c.codec.ReadOrganizerRecord(OrgKind::Schedule, 3, read);
        EXPECT_EQ(a.readType, read.Text(L"ALARM_TYPE")) << a.type << a.value;
        EXPECT_EQ(a.readValue, read.Number(L"ALARM_VALUE")) << a.type << a.value;
    }
    struct Repeat {
        const wchar_t* type;
        LONG every;
        uint32_t mode;
        const wchar_t* readType;
    };
    // What a repeat mode cannot keep repeats without one, and reads as the monthly n-th
    // weekday, which is written alike.
    for (Repeat rep : {Repeat{L"0", 1, 0, L"0"}, Repeat{L"1", 1, 1, L"1"}, Repeat{L"2", 1, 2, L"2"},
                       Repeat{L"3", 1, 3, L"3"}, Repeat{L"5", 1, 4, L"5"}, Repeat{L"4", 1, 0, L"4"},
                       Repeat{L"6", 1, 0, L"4"}, Repeat{L"1", 2, 0, L"4"}}) {
        ColumnMap map = Appointment();
        map.SetText(L"RECURRENCE_TYPE", rep.type);
        map.SetValue(L"RECURRENCE_EVERY", VT_I4, rep.every);
        c.codec.WriteOrganizerRecord(OrgKind::Schedule, map, true);
        EXPECT_EQ(RecordBuilder().U32(rep.mode).Bytes(), c.handset.Record(3, 3).substr(728, 4)) << rep.type;
        ColumnMap read;
        c.codec.ReadOrganizerRecord(OrgKind::Schedule, 3, read);
        EXPECT_EQ(rep.readType, read.Text(L"RECURRENCE_TYPE")) << rep.type << rep.every;
    }
    // Anniversaries keep their alarm as a mode too.
    ColumnMap anniversary = Appointment();
    anniversary.SetText(L"ALARM_TYPE", L"Hour");
    anniversary.SetValue(L"ALARM_VALUE", VT_I4, 1);
    c.codec.WriteOrganizerRecord(OrgKind::Anniversary, anniversary, true);
    std::string record = c.handset.Record(7, 3);
    ASSERT_EQ(585u, record.size());
    EXPECT_EQ(RecordBuilder().U8(0).U32(3).U32(0).U32(0).Bytes(), record.substr(572, 13));
    ColumnMap read;
    c.codec.ReadOrganizerRecord(OrgKind::Anniversary, 3, read);
    EXPECT_EQ(L"Hour", read.Text(L"ALARM_TYPE"));
    EXPECT_EQ(1, read.Number(L"ALARM_VALUE"));
}

// No built-in profile is a lunar model: its settings are made here.
TEST(OrganizerRecords, AnniversaryAndHolidayOnALunarModel)
{
    kelvra::testing::Handset handset(202);
    OrganizerSettings settings;
    settings.model = ModelName(L"KTM-A270");
    settings.kinds[1] = {7, true, 0, 50, {45, 0}, {100, 0}, {45, 0}, {256, 1}};
    settings.kinds[2] = {42, true, 0, 50, {45, 0}, {100, 0}, {45, 0}, {256, 1}};
    CKelvraOrg codec(handset.device->Agent(), settings);

    ColumnMap anniversary;
    anniversary.SetValue(L"SUID", VT_I4, 2);
    anniversary.SetText(L"TYPE", L"1");
    anniversary.SetText(L"SUBJECT", L"Wedding");
    anniversary[L"START_DATE"] = DateTime(2024, 3, 15, 9, 30);
    anniversary.SetText(L"ALARM_TYPE", L"Day");
    anniversary.SetValue(L"ALARM_VALUE", VT_I4, 1);
    anniversary.SetText(L"RECURRENCE_TYPE", L"5");
    anniversary.SetText(L"START_DATE_TYPE", L"LUNAR");
    codec.WriteOrganizerRecord(OrgKind::Anniversary, anniversary, true);
    RecordBuilder expected;
    expected.U32(2).Wide(L"Wedding", 45).Wide(L"", 100).U32(kStart).U8(1).U32(1).U32(2).U32(0).U8(0).U16(0)
        .Narrow("", 257).U8(1).U16(1);
    ASSERT_EQ(574u, expected.Bytes().size());
    EXPECT_EQ(expected.Bytes(), *handset.Sim().FindRecord(7, 2));
    ColumnMap read;
    codec.ReadOrganizerRecord(OrgKind::Anniversary, 2, read);
    EXPECT_EQ(L"LUNAR", read.Text(L"START_DATE_TYPE"));
    EXPECT_EQ(L"5", read.Text(L"RECURRENCE_TYPE"));
    EXPECT_EQ(L"Day", read.Text(L"ALARM_TYPE"));
    EXPECT_EQ(1, read.Number(L"ALARM_VALUE"));

    ColumnMap holiday;
    holiday.SetValue(L"SUID", VT_I4, 4);
    holiday.SetText(L"TYPE", L"4");
    holiday.SetText(L"SUBJECT", L"New year");
    holiday.SetText(L"DETAIL", L"Lunar");
    holiday[L"START_DATE"] = DateTime(2024, 3, 15, 9, 30);
    holiday.SetText(L"RECURRENCE_TYPE", L"0");
    holiday.SetText(L"START_DATE_TYPE", L"LUNAR");
    codec.WriteOrganizerRecord(OrgKind::Holiday, holiday, true);
    EXPECT_EQ(RecordBuilder().U32(4).Wide(L"New year", 45).Wide(L"Lunar", 100).U32(kStart).U8(0).U16(1).Bytes(),
              *handset.Sim().FindRecord(42, 4));
    codec.ReadOrganizerRecord(OrgKind::Holiday, 4, read);
    EXPECT_EQ(L"LUNAR", read.Text(L"START_DATE_TYPE"));
    EXPECT_EQ(L"0", read.Text(L"RECURRENCE_TYPE"));
    EXPECT_EQ(L"Lunar", read.Text(L"DETAIL"));
}

// Models with their own reading of the repeat type keep every recurrence, the yearly
// n-th weekday included.
TEST(ScheduleRecord, RecurrenceRulesOfTheirOwnModels)
{
    OrgCodec c(210);
    struct Recurrence {
        const wchar_t *type, *flag, *readType, *readFlag;
    };
    // The third Thursday: week 512, Thursday 16.
    for (Recurrence rec : {Recurrence{L"1", L"0", L"1", L"0"}, Recurrence{L"2", L"34", L"2", L"34"},
                           Recurrence{L"3", L"0", L"3", L"15"}, Recurrence{L"4", L"528", L"4", L"528"},
                           Recurrence{L"5", L"0", L"5", L"3"}, Recurrence{L"6", L"528", L"6", L"528"}}) {
        ColumnMap map = Appointment();
        map.SetText(L"RECURRENCE_TYPE", rec.type);
        map.SetText(L"RECURRENCE_FLAG", rec.flag);
        map.SetValue(L"RECURRENCE_EVERY", VT_I4, 1);
        c.codec.WriteOrganizerRecord(OrgKind::Schedule, map, true);
        ColumnMap read;
        c.codec.ReadOrganizerRecord(OrgKind::Schedule, 3, read);
        EXPECT_EQ(rec.readType, read.Text(L"RECURRENCE_TYPE")) << rec.type;
        EXPECT_EQ(rec.readFlag, read.Text(L"RECURRENCE_FLAG")) << rec.type;
        EXPECT_EQ(1, read.Number(L"RECURRENCE_EVERY")) << rec.type;
    }
}

TEST(ScheduleRecord, CompactRepeatAlarms)
{
    OrgCodec c(218);
    for (const wchar_t* type : {L"None", L"", L"Target", L"Minute"}) {
        ColumnMap map = Appointment();
        map.SetText(L"ALARM_TYPE", type);
        map[L"ALARM_TARGET_DATE"] = DateTime(2024, 3, 15, 9, 0);
        c.codec.WriteOrganizerRecord(OrgKind::Schedule, map, true);
        std::string record = c.handset.Record(3, 3);
        bool alarm = std::wstring(type) == L"Target" || std::wstring(type) == L"Minute";
        // Alarm_Check after the location; Alarm_Date and Alarm_Time end the record and
        // hold the alarm's time only when the new record has an alarm.
        EXPECT_EQ(alarm ? 1 : 0, record[401]) << type;
        uint32_t at = alarm ? kAlarmAt : 0;
        EXPECT_EQ(RecordBuilder().U32(at).U32(at).Bytes(), record.substr(717)) << type;
        ColumnMap read;
        c.codec.ReadOrganizerRecord(OrgKind::Schedule, 3, read);
        EXPECT_EQ(alarm ? L"Target" : L"None", read.Text(L"ALARM_TYPE")) << type;
    }
    // A lead without a date rings at the time it stands for, not at the clock's start.
    for (auto [type, value, at] : {std::tuple{L"Minute", 30, kAlarmAt}, std::tuple{L"Hour", 2, kAlarmAt - 5400}}) {
        ColumnMap map = Appointment();
        map.SetText(L"ALARM_TYPE", type);
        map.SetValue(L"ALARM_VALUE", VT_I4, value);
        c.codec.WriteOrganizerRecord(OrgKind::Schedule, map, true);
        EXPECT_EQ(RecordBuilder().U32(at).U32(at).Bytes(), c.handset.Record(3, 3).substr(717)) << type;
    }
}

namespace {

// A repeating schedule record of the ordinary layout: the appointment's head, an alarm
// of the given unit, then the repetition fields given.
struct Repetition {
    uint32_t type, every;
    uint8_t weekdays;  // Monday bit 0 ... Sunday bit 6
    uint8_t byDate;
    uint32_t everyWeek, everyWeekDay;
    uint8_t expiry;
};

std::string Repeating(const Repetition& p, uint8_t alarm = 0, uint32_t unit = 0)
{
    RecordBuilder r;
    Head(r).U8(alarm).U32(alarm ? 5 : 0).U32(unit).U8(0).U16(0).Narrow("", 257).U8(1).U32(p.type).U32(p.every).U8(0);
    for (int day = 0; day < 9; ++day)
        r.U8(day < 7 ? (p.weekdays >> day) & 1 : 0);
    r.U8(p.byDate).U32(0).U32(0).U32(0).U32(p.everyWeek).U32(p.everyWeekDay).U8(p.expiry)
        .U32(p.expiry ? kExpiry : 0);
    return r.Bytes();
}

}  // namespace

// Every repetition the ordinary layout holds reads as what it is, on the F models and
// the others alike, and the same columns written back give the same fields; a host's
// "0" stops it.
TEST(ScheduleRecord, OrdinaryRepetitionsReadAsTheyAre)
{
    struct Case {
        Repetition record;
        const wchar_t *type;
        LONG every;
        const wchar_t *flag;
    };
    const Case kCases[] = {
        {{0, 3, 0, 0, 0, 0, 0}, L"1", 3, L"0"},       // every three days
        {{1, 2, 0x11, 0, 0, 0, 1}, L"2", 2, L"34"},   // every two weeks on Monday and Friday
        {{1, 1, 0, 0, 0, 0, 0}, L"2", 1, L"0"},       // weekly, no weekday marked
        {{2, 2, 0, 1, 0, 0, 0}, L"3", 2, L"15"},      // every two months on the 15th
        {{2, 1, 0, 0, 1, 1, 1}, L"4", 1, L"260"},     // the second Tuesday, with an expiry
        {{3, 1, 0, 1, 0, 0, 0}, L"5", 1, L"3"},       // yearly on the date
        {{3, 1, 0, 0, 4, 6, 1}, L"6", 1, L"2049"},    // yearly on the last Sunday
    };
    for (int resource : {202, 210}) {
        OrgCodec c(resource);
        for (const Case& k : kCases) {
            SCOPED_TRACE(std::to_string(resource) + " type " + std::to_string(k.record.type));
            std::string record = Repeating(k.record);
            c.handset.Sim().PutRecord(3, 3, record);
            ColumnMap read;
            c.codec.ReadOrganizerRecord(OrgKind::Schedule, 3, read);
            read.SetText(L"TYPE", L"5");
            EXPECT_EQ(k.type, read.Text(L"RECURRENCE_TYPE"));
            EXPECT_EQ(k.every, read.Number(L"RECURRENCE_EVERY"));
            EXPECT_EQ(k.flag, read.Text(L"RECURRENCE_FLAG"));
            EXPECT_EQ(k.record.expiry ? L"0" : L"2", read.Text(L"RECURRENCE_EXPIRE_TYPE"));

            ColumnMap copy = read;
            c.handset.Sim().RemoveRecord(3, 3);
            c.codec.WriteOrganizerRecord(OrgKind::Schedule, copy, true);
            EXPECT_EQ(record, c.handset.Record(3, 3));

            read.SetText(L"RECURRENCE_TYPE", L"0");
            c.codec.WriteOrganizerRecord(OrgKind::Schedule, read, false);
            EXPECT_EQ(0, c.handset.Record(3, 3)[670]);  // Repeat_Check
            EXPECT_EQ(0, c.handset.Record(3, 3)[710]);  // Expiry
        }
    }
}

// Leads before a target (units 4 and 5), and the unit an alarm of no unit is written
// with, read as what they are and are written back so onto a record without an alarm.
TEST(ScheduleRecord, EveryAlarmUnitReadsAsWritten)
{
    OrgCodec c(202);
    const std::pair<uint32_t, const wchar_t*> kUnits[] = {{0, L"Minute"},       {1, L"Hour"},
                                                         {2, L"Day"},          {3, L"Week"},
                                                         {4, L"Target"},       {5, L"BeforeTarget"},
                                                         {0xFFFFFFFF, L"Time"}};
    for (auto [unit, text] : kUnits) {
        std::string record = Repeating({1, 1, 0x01, 0, 0, 0, 0}, 1, unit);
        c.handset.Sim().PutRecord(3, 3, record);
        ColumnMap read;
        c.codec.ReadOrganizerRecord(OrgKind::Schedule, 3, read);
        read.SetText(L"TYPE", L"5");
        EXPECT_EQ(text, read.Text(L"ALARM_TYPE")) << unit;
        EXPECT_EQ(5, read.Number(L"ALARM_VALUE")) << unit;
        c.handset.Sim().PutRecord(3, 3, Repeating({1, 1, 0x01, 0, 0, 0, 0}));
        c.codec.WriteOrganizerRecord(OrgKind::Schedule, read, false);
        EXPECT_EQ(record, c.handset.Record(3, 3)) << unit;
    }
}

// A lead in weeks is kept in days: one whose days overflow 32 bits is refused before
// anything is sent; the largest that fits is kept whole.
TEST(ScheduleRecord, ALeadOfTooManyWeeksIsRefused)
{
    OrgCodec c(211);
    for (LONG weeks : {400000000L, -400000000L, 306783379L}) {
        ColumnMap map = Appointment();
        map.SetText(L"ALARM_TYPE", L"Week");
        map.SetValue(L"ALARM_VALUE", VT_I4, weeks);
        long requests = c.handset.Sim().RequestCount();
        try {
            c.codec.WriteOrganizerRecord(OrgKind::Schedule, map, true);
            ADD_FAILURE() << weeks << " weeks were written";
        } catch (const _com_error& e) {
            EXPECT_EQ(E_INVALIDARG, e.Error()) << weeks;
        }
        EXPECT_EQ(requests, c.handset.Sim().RequestCount()) << weeks;
        EXPECT_TRUE(c.handset.Record(3, 3).empty()) << weeks;
    }
    ColumnMap map = Appointment();
    map.SetText(L"ALARM_TYPE", L"Week");
    map.SetValue(L"ALARM_VALUE", VT_I4, 306783378);
    c.codec.WriteOrganizerRecord(OrgKind::Schedule, map, true);
    // AlarmMode 6, 2,147,483,646 days, unit 2 (days).
    EXPECT_EQ(RecordBuilder().U32(6).U32(2147483646).U32(2).Bytes(), c.handset.Record(3, 3).substr(716, 12));
}

// The whole index list is read whatever the store's maximum, in the handset's order,
// so that no used place falls off its end and is handed out again.
TEST(OrganizerRecords, TheWholeIndexListIsRead)
{
    auto agent = kelvra::testing::ScriptedAgent::Make();
    // Three records counted; four listed, the one beyond the maximum first.
    RecordBuilder replies;
    replies.U16(0x4101).U32(4).U32(3);
    replies.U16(0x4111).U32(12).U16(60).U8(0).U16(2).U8(0).U16(0).U8(0).U16(1).U8(0);
    replies.U16(0x4101).U32(4).U32(3);
    replies.U16(0x4111).U32(12).U16(60).U8(0).U16(2).U8(0).U16(0).U8(0).U16(1).U8(0);
    agent->Queue(replies.Bytes());
    OrganizerSettings settings;
    CKelvraOrg codec(agent.Get(), settings);
    std::vector<uint32_t> listed;
    EXPECT_EQ(3u, codec.LoadIndexList(4, listed));
    EXPECT_EQ((std::vector<uint32_t>{60, 2, 0, 1}), listed);
    // A store of four places: the fourth is the free one.
    OrganizerPlaces places = OrganizerPlaces::Of(0, 4, 0x10000);
    EXPECT_EQ(3u, places.Free(codec.UsedIndexes(4), {}));
    EXPECT_EQ((std::vector<uint32_t>{2, 0, 1}), places.Usable(listed));
    // Count and list, twice: each request as it goes on the wire.
    RecordBuilder requests;
    requests.U16(0x4100).U32(4).U32(4).U16(0x4110).U32(4).U32(4);
    requests.U16(0x4100).U32(4).U32(4).U16(0x4110).U32(4).U32(4);
    EXPECT_EQ(requests.Bytes(), agent->written);
}

// A new record without an alarm keeps no ring; an alarm switched off takes its ring
// along; a record whose alarm was already off keeps its ring through other changes.
TEST(ScheduleRecord, ARingBelongsToAnAlarmThatIsOn)
{
    OrgCodec c(202);
    ColumnMap none = Appointment();
    none.SetText(L"ALARM_TYPE", L"None");
    c.codec.WriteOrganizerRecord(OrgKind::Schedule, none, true);
    // Alarm_Check, Alarm_Before, Alarm_Before_Type, snd_type, snd_idx, snd_filename.
    std::string quiet = RecordBuilder().U8(0).U32(0).U32(0).U8(0).U16(0).Narrow("", 257).Bytes();
    EXPECT_EQ(quiet, c.handset.Record(3, 3).substr(401, quiet.size()));

    ColumnMap ringing = Appointment();
    ringing.SetText(L"ALARM_TYPE", L"Minute");
    ringing.SetValue(L"ALARM_VALUE", VT_I4, 10);
    c.codec.WriteOrganizerRecord(OrgKind::Schedule, ringing, true);
    std::string ring = RecordBuilder().U8(1).U32(10).U32(0).U8(3).U16(7).Narrow(kMelodyUtf8, 257).Bytes();
    EXPECT_EQ(ring, c.handset.Record(3, 3).substr(401, ring.size()));

    ColumnMap off;
    off.SetValue(L"SUID", VT_I4, 3);
    off.SetText(L"TYPE", L"5");
    off.SetText(L"ALARM_TYPE", L"None");
    c.codec.WriteOrganizerRecord(OrgKind::Schedule, off, false);
    EXPECT_EQ(quiet, c.handset.Record(3, 3).substr(401, quiet.size()));

    // A handset record whose alarm is off but which keeps a ring keeps it when its
    // subject changes.
    std::string kept = c.handset.Record(3, 3).replace(401 + 9, ring.size() - 9, ring.substr(9));
    c.handset.Sim().PutRecord(3, 3, kept);
    ColumnMap subject;
    subject.SetValue(L"SUID", VT_I4, 3);
    subject.SetText(L"TYPE", L"5");
    subject.SetText(L"SUBJECT", L"Doctor");
    subject.SetText(L"ALARM_TYPE", L"None");
    c.codec.WriteOrganizerRecord(OrgKind::Schedule, subject, false);
    std::string title = RecordBuilder().Wide(L"Doctor", 45).Bytes();
    EXPECT_EQ(kept.replace(5, title.size(), title), c.handset.Record(3, 3));
}
