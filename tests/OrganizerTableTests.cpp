// The calendar, task and memo tables through IDataTable, over the simulated handset.
#include <gtest/gtest.h>

#include <map>

#include "DataTableKelvraMemo.h"
#include "DataTableKelvraSchedule.h"
#include "DataTableKelvraTask.h"
#include "OrganizerTestSupport.h"
#include "RecordBuilder.h"

using namespace kelvra;
using namespace kelvra::testing;

namespace {

const wchar_t* const kTypes[] = {L"5", L"1", L"4", L"20", L"25", L"34"};

ComPtr<IItem> NewEntry(IDataTable* table, const wchar_t* type, const wchar_t* subject)
{
    ComPtr<IItem> item;
    EXPECT_EQ(S_OK, table->NewItem(QELDT_SCHEDULE, 0, 0, item.GetAddressOf()));
    SetColumn(item.Get(), L"TYPE", type);
    SetColumn(item.Get(), L"SUBJECT", subject);
    SetColumn(item.Get(), L"START_DATE", DateTime(2024, 2, 29, 18, 45).Get());
    SetColumn(item.Get(), L"ALARM_TYPE", L"None");
    return item;
}

ComPtr<IItem> Find(const std::vector<ComPtr<IItem>>& items, SUID suid)
{
    for (const auto& item : items) {
        if (SuidOf(item.Get()) == suid)
            return item;
    }
    return {};
}

CDataTableKelvraSchedule& Calendar(IDataTable* table)
{
    return *static_cast<CDataTableKelvraSchedule*>(table);
}

}  // namespace

TEST(CalendarTable, EveryPresentKindRoundTripsOnEveryModel)
{
    for (int resource : {202, 203, 208, 210, 211, 212, 218}) {
        SCOPED_TRACE(resource);
        OrgHandset h(resource);
        ComPtr<IDataTable> table = h.Table(DTID_CALENDAR);
        const OrganizerSettings& settings = Calendar(table.Get()).Settings();
        std::map<SUID, std::wstring> made;
        for (int k = 0; k < kOrgKindCount; ++k) {
            const KindParameters& kind = settings.kinds[static_cast<size_t>(k)];
            if (!kind.present)
                continue;
            std::wstring subject = L"Kind " + std::to_wstring(k) + L" \u00fc\U0001F600";
            ComPtr<IItem> item = NewEntry(table.Get(), kTypes[k], subject.c_str());
            SUID suid = -1;
            // The simulated handset refuses a record that is not its model's size.
            ASSERT_EQ(S_OK, table->CreateItem(item.Get(), &suid)) << k;
            EXPECT_EQ(k * 10000 + kind.startIndex, suid);
            EXPECT_EQ(suid, SuidOf(item.Get()));
            made[suid] = subject;
        }
        ASSERT_GE(made.size(), 2u);
        // The KTM-A110 keeps events: their layout comes from its profile too.
        EXPECT_EQ(resource == 218, made.count(50000) == 1);
        ULONG count = 0;
        EXPECT_EQ(S_OK, table->GetItemCount(nullptr, 0, QELDT_SCHEDULE, &count));
        EXPECT_EQ(made.size(), count);

        auto items = ListAll(table.Get());
        ASSERT_EQ(made.size(), items.size());
        for (const auto& [suid, subject] : made) {
            ComPtr<IItem> item = Find(items, suid);
            ASSERT_TRUE(item) << suid;
            OrgKind kind = static_cast<OrgKind>(suid / 10000);
            EXPECT_EQ(subject, ColumnText(item.Get(), L"SUBJECT"));
            std::wstring type = kind == OrgKind::Schedule && resource == 211 ? L"0" : kTypes[suid / 10000];
            EXPECT_EQ(type, ColumnText(item.Get(), L"TYPE"));
            Variant start = Column(item.Get(), L"START_DATE");
            EXPECT_DOUBLE_EQ(DateTime(2024, 2, 29, 18, 45).Get().date, start.Get().date);

            // Written back unchanged, the record keeps every byte.
            uint32_t store = StoreOfKind(kind);
            std::string before = h.Record(store, static_cast<uint32_t>(suid % 10000));
            ASSERT_FALSE(before.empty());
            EXPECT_EQ(S_OK, table->UpdateItem(item.Get()));
            EXPECT_EQ(before, h.Record(store, static_cast<uint32_t>(suid % 10000)));
        }
    }
}

TEST(CalendarTable, TasksAndMemosRoundTripWhereTheModelKeepsThem)
{
    for (int resource : {202, 203, 208, 210, 211, 212, 218}) {
        SCOPED_TRACE(resource);
        OrgHandset h(resource);
        for (DATATABLE_SUID id : {DTID_TASK, DTID_MEMO}) {
            ComPtr<IDataTable> table = h.Table(id);
            bool present = id == DTID_TASK ? static_cast<CDataTableKelvraTask*>(table.Get())->Settings().taskPresent
                                           : static_cast<CDataTableKelvraMemo*>(table.Get())->Settings().memoPresent;
            ComPtr<IItem> item;
            ASSERT_EQ(S_OK, table->NewItem(id == DTID_TASK ? QELDT_TASK : QELDT_MEMO, 0, 0, item.GetAddressOf()));
            SetColumn(item.Get(), L"DETAIL", L"Buy \u00e9clairs");
            if (id == DTID_TASK) {
                SetColumn(item.Get(), L"SUBJECT", L"Bakery");
                SetColumn(item.Get(), L"PRIORITY", L"Normal");
                SetColumn(item.Get(), L"END_DATE", DateTime(2024, 4, 30).Get());
                SetColumn(item.Get(), L"ALARM_TYPE", L"Day");
                SetColumn(item.Get(), L"ALARM_VALUE", Variant::FromInt(1).Get());
            }
            SUID suid = -1;
            HRESULT hr = table->CreateItem(item.Get(), &suid);
            if (!present) {
                EXPECT_TRUE(FAILED(hr));
                continue;
            }
            ASSERT_EQ(S_OK, hr);
            EXPECT_EQ(0, suid);
            auto items = ListAll(table.Get());
            ASSERT_EQ(1u, items.size());
            EXPECT_EQ(L"Buy \u00e9clairs", ColumnText(items[0].Get(), L"DETAIL"));
            if (id == DTID_TASK) {
                EXPECT_EQ(L"Day", ColumnText(items[0].Get(), L"ALARM_TYPE"));
                EXPECT_EQ(L"1", ColumnText(items[0].Get(), L"ALARM_VALUE"));
                EXPECT_EQ(L"Normal", ColumnText(items[0].Get(), L"PRIORITY"));
                EXPECT_EQ(L"Undone", ColumnText(items[0].Get(), L"DONE_STATE"));
            }
            uint32_t store = id == DTID_TASK ? 5 : 4;
            std::string before = h.Record(store, 0);
            EXPECT_EQ(S_OK, table->UpdateItem(items[0].Get()));
            EXPECT_EQ(before, h.Record(store, 0));
            EXPECT_EQ(S_OK, table->DeleteItem(items[0].Get()));
            EXPECT_TRUE(h.Record(store, 0).empty());
        }
    }
}

TEST(CalendarTable, ChangeOfKindMovesTheRecordAndAFullKindKeepsIt)
{
    OrgHandset h(202);
    ComPtr<IDataTable> table = h.Table(DTID_CALENDAR);
    // Anniversary 0 is taken on the handset, though the table has not listed it.
    h.Sim().PutRecord(7, 0, std::string(572, '\0'));
    ComPtr<IItem> holiday = NewEntry(table.Get(), L"4", L"Founders' day");
    SUID suid = 0;
    ASSERT_EQ(S_OK, table->CreateItem(holiday.Get(), &suid));
    EXPECT_EQ(20000, suid);

    SetColumn(holiday.Get(), L"TYPE", L"1");
    ASSERT_EQ(S_OK, table->UpdateItem(holiday.Get()));
    EXPECT_EQ(10001, SuidOf(holiday.Get()));
    EXPECT_EQ(L"1", ColumnText(holiday.Get(), L"TYPE"));
    EXPECT_EQ(L"Founders' day", ColumnText(holiday.Get(), L"SUBJECT"));
    EXPECT_TRUE(h.Record(42, 0).empty());
    EXPECT_EQ(572u, h.Record(7, 1).size());

    // Every important place taken: the move is refused and nothing changes.
    for (uint32_t index = 0; index < 20; ++index)
        h.Sim().PutRecord(40, index, std::string(715, '\0'));
    ComPtr<IItem> meeting = NewEntry(table.Get(), L"5", L"Board meeting");
    ASSERT_EQ(S_OK, table->CreateItem(meeting.Get(), &suid));
    std::string before = h.Record(3, static_cast<uint32_t>(suid));
    SetColumn(meeting.Get(), L"TYPE", L"20");
    EXPECT_EQ(static_cast<HRESULT>(0x8004000C), table->UpdateItem(meeting.Get()));
    EXPECT_EQ(suid, SuidOf(meeting.Get()));
    EXPECT_EQ(before, h.Record(3, static_cast<uint32_t>(suid)));
    EXPECT_EQ(20u, h.Sim().RecordCount(40));

    // Deleting goes by where the SUID says the record is, whatever TYPE says now.
    EXPECT_EQ(S_OK, table->DeleteItem(meeting.Get()));
    EXPECT_TRUE(h.Record(3, static_cast<uint32_t>(suid)).empty());
    EXPECT_EQ(20u, h.Sim().RecordCount(40));
}

TEST(CalendarTable, AnUpdateChangesOnlyTheFieldsOfChangedColumns)
{
    OrgHandset h(202);
    // A record with bytes no column carries: the kind byte and the two spare weekday bytes.
    RecordBuilder stored;
    stored.U32(6).U8(3).Wide(L"Old", 45).Wide(L"Notes", 100).U32(1394530200).U32(1394530200).U32(1394532900)
        .U32(1394532900).Wide(L"Room", 45).U8(0).U32(0).U32(0).U8(0).U16(0).Narrow("", 257)
        .U8(0).U32(0).U32(0).U8(0).Fill(7, 0).U8(0xAA).U8(0xBB).U8(0).U32(0).U32(0).U32(0).U32(0).U32(0)
        .U8(0).U32(0);
    ASSERT_EQ(715u, stored.Bytes().size());
    h.Sim().PutRecord(3, 6, stored.Bytes());

    ComPtr<IDataTable> table = h.Table(DTID_CALENDAR);
    auto items = ListAll(table.Get());
    ASSERT_EQ(1u, items.size());
    EXPECT_EQ(6, SuidOf(items[0].Get()));
    ASSERT_EQ(S_OK, table->UpdateItem(items[0].Get()));
    EXPECT_EQ(stored.Bytes(), h.Record(3, 6));

    SetColumn(items[0].Get(), L"SUBJECT", L"New");
    ASSERT_EQ(S_OK, table->UpdateItem(items[0].Get()));
    std::string after = h.Record(3, 6);
    RecordBuilder title;
    title.Wide(L"New", 45);
    EXPECT_EQ(stored.Bytes().substr(0, 5), after.substr(0, 5));
    EXPECT_EQ(title.Bytes(), after.substr(5, 90));
    EXPECT_EQ(stored.Bytes().substr(95), after.substr(95));
}

TEST(CalendarTable, EachDeviceKeepsItsOwnModelsSettings)
{
    OrgHandset wide(211);
    OrgHandset narrow(202);
    for (OrgHandset* h : {&wide, &narrow}) {
        ComPtr<IDataTable> memos = h->Table(DTID_MEMO);
        ComPtr<IItem> item;
        ASSERT_EQ(S_OK, memos->NewItem(QELDT_MEMO, 0, 0, item.GetAddressOf()));
        SetColumn(item.Get(), L"DETAIL", std::wstring(120, L'x').c_str());
        SUID suid = -1;
        ASSERT_EQ(S_OK, memos->CreateItem(item.Get(), &suid));
        EXPECT_EQ(std::wstring(h == &wide ? 100 : 60, L'x'), ColumnText(item.Get(), L"DETAIL"));
    }
    EXPECT_EQ(206u, wide.Record(4, 0).size());
    EXPECT_EQ(126u, narrow.Record(4, 0).size());
}

TEST(CalendarTable, ARecordShorterThanItsLayoutFailsAndTheListingGoesOn)
{
    OrgHandset h(202);
    h.Sim().PutRecord(3, 0, std::string(100, '\0'));
    h.Sim().PutRecord(3, 1, std::string(715, '\0'));
    ComPtr<IDataTable> table = h.Table(DTID_CALENDAR);
    ASSERT_EQ(S_OK, table->ListItemsAllBegin());
    ComPtr<IItem> item;
    EXPECT_EQ(static_cast<HRESULT>(0x80040001), table->NextItem(item.GetAddressOf()));
    EXPECT_FALSE(item);
    EXPECT_EQ(S_OK, table->NextItem(item.GetAddressOf()));
    ASSERT_TRUE(item);
    EXPECT_EQ(1, SuidOf(item.Get()));
    EXPECT_EQ(S_OK, table->NextItem(item.GetAddressOf()));
    EXPECT_FALSE(item);
}

TEST(CalendarTable, AnIndexNoSuidCanNameIsLeftOut)
{
    OrgHandset h(202);
    h.Sim().PutRecord(3, 12000, std::string(715, '\0'));  // would read as anniversary 2000
    h.Sim().PutRecord(7, 1, std::string(572, '\0'));
    ComPtr<IDataTable> table = h.Table(DTID_CALENDAR);
    auto items = ListAll(table.Get());
    ASSERT_EQ(1u, items.size());
    EXPECT_EQ(10001, SuidOf(items[0].Get()));
}

TEST(CalendarTable, AFailedWriteHandsOutNoSuidAndALostAnswerStillMovesTheEntry)
{
    OrgHandset h(202);
    ComPtr<IDataTable> table = h.Table(DTID_CALENDAR);
    // The count is answered, the write's answer comes back wrong.
    ComPtr<IItem> first = NewEntry(table.Get(), L"5", L"First");
    h.connection->InjectFault(SIMFAULT_WRONG_REPLY_CODE, 1);
    SUID suid = -1;
    EXPECT_EQ(static_cast<HRESULT>(0x80040001), table->CreateItem(first.Get(), &suid));
    EXPECT_EQ(-1, suid);
    EXPECT_EQ(0, SuidOf(first.Get()));
    // Whatever the handset kept is not overwritten by the next entry.
    std::string kept = h.Record(3, 0);
    ComPtr<IItem> second = NewEntry(table.Get(), L"5", L"Second");
    ASSERT_EQ(S_OK, table->CreateItem(second.Get(), &suid));
    EXPECT_EQ(kept.empty() ? 0 : 1, suid);
    EXPECT_EQ(kept, h.Record(3, 0).substr(0, kept.size()));

    // A change of kind whose delete is carried out but answered wrongly: the entry
    // is at its new place once, not twice and not nowhere.
    ASSERT_EQ(S_OK, table->CreateItem(NewEntry(table.Get(), L"4", L"Moving").Get(), &suid));
    auto items = ListAll(table.Get());
    ComPtr<IItem> moving = Find(items, suid);
    ASSERT_TRUE(moving);
    SetColumn(moving.Get(), L"TYPE", L"20");
    h.connection->InjectFault(SIMFAULT_WRONG_REPLY_CODE, 2);  // count, write, then the delete
    EXPECT_EQ(S_OK, table->UpdateItem(moving.Get()));
    EXPECT_EQ(30000, SuidOf(moving.Get()));
    EXPECT_EQ(0u, h.Sim().RecordCount(42));
    EXPECT_EQ(1u, h.Sim().RecordCount(40));
}

TEST(TaskTable, AlarmRules)
{
    OrgHandset h(211);
    ComPtr<IDataTable> table = h.Table(DTID_TASK);
    struct Alarm {
        const wchar_t* type;
        LONG value;
        uint8_t check;
        uint32_t mode;
        const wchar_t* readType;
    };
    for (Alarm a : {Alarm{L"Day", 1, 1, 3, L"Day"}, Alarm{L"day", 2, 1, 4, L"Day"}, Alarm{L"Week", 1, 1, 5, L"Day"},
                    Alarm{L"Day", 3, 0, 0, L""}, Alarm{L"Minute", 30, 1, 0, L""}, Alarm{L"None", 0, 0, 0, L""}}) {
        ComPtr<IItem> item;
        ASSERT_EQ(S_OK, table->NewItem(QELDT_TASK, 0, 0, item.GetAddressOf()));
        SetColumn(item.Get(), L"SUBJECT", L"Call");
        SetColumn(item.Get(), L"ALARM_TYPE", a.type);
        SetColumn(item.Get(), L"ALARM_VALUE", Variant::FromInt(a.value).Get());
        SUID suid = -1;
        ASSERT_EQ(S_OK, table->CreateItem(item.Get(), &suid));
        std::string record = h.Record(5, static_cast<uint32_t>(suid));
        // Alarm_Check after the two dates; AlarmMode ends the record.
        EXPECT_EQ(a.check, static_cast<uint8_t>(record[2 + 1 + 92 + 202 + 8])) << a.type << a.value;
        EXPECT_EQ(RecordBuilder().U32(a.mode).Bytes(), record.substr(578)) << a.type << a.value;
        EXPECT_EQ(a.readType, ColumnText(item.Get(), L"ALARM_TYPE")) << a.type << a.value;
        EXPECT_EQ(S_OK, table->DeleteItem(item.Get()));
    }
}
