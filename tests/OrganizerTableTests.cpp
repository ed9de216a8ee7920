// The calendar, task and memo tables through IDataTable, over the simulated handset.
#include <gtest/gtest.h>

#include <map>

#include "DataTableKelvraMemo.h"
#include "DataTableKelvraSchedule.h"
#include "DataTableKelvraTask.h"
#include "OrganizerTestSupport.h"
#include "RecordBuilder.h"
#include "ScriptedAgent.h"

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
                EXPECT_EQ(E_FAIL, hr);
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

TEST(CalendarTable, AFailedWriteHandsOutNoSuidAndALostAnswerMovesTheEntryOnce)
{
    OrgHandset h(202);
    ComPtr<IDataTable> table = h.Table(DTID_CALENDAR);
    // The index list is answered; the write is carried out but answered wrongly.
    ComPtr<IItem> first = NewEntry(table.Get(), L"5", L"First");
    h.connection->InjectFault(SIMFAULT_WRONG_REPLY_CODE, 1);
    SUID suid = -1;
    EXPECT_EQ(static_cast<HRESULT>(0x80040001), table->CreateItem(first.Get(), &suid));
    EXPECT_EQ(-1, suid);
    EXPECT_EQ(0, SuidOf(first.Get()));
    // What the handset kept is not overwritten by the next entry.
    std::string kept = h.Record(3, 0);
    ASSERT_EQ(715u, kept.size());
    ComPtr<IItem> second = NewEntry(table.Get(), L"5", L"Second");
    ASSERT_EQ(S_OK, table->CreateItem(second.Get(), &suid));
    EXPECT_EQ(1, suid);
    EXPECT_EQ(kept, h.Record(3, 0));

    // A change of kind whose delete is carried out but answered wrongly fails, and the
    // entry is at its new place once, not twice and not nowhere; the item names it.
    ASSERT_EQ(S_OK, table->CreateItem(NewEntry(table.Get(), L"4", L"Moving").Get(), &suid));
    auto items = ListAll(table.Get());
    ComPtr<IItem> moving = Find(items, suid);
    ASSERT_TRUE(moving);
    SetColumn(moving.Get(), L"TYPE", L"20");
    h.connection->InjectFault(SIMFAULT_WRONG_REPLY_CODE, 3);  // index list, read, write, then the delete
    EXPECT_EQ(static_cast<HRESULT>(0x80040001), table->UpdateItem(moving.Get()));
    EXPECT_EQ(30000, SuidOf(moving.Get()));
    EXPECT_EQ(0u, h.Sim().RecordCount(42));
    EXPECT_EQ(1u, h.Sim().RecordCount(40));
    // The item's next update goes to the entry where it now is.
    SetColumn(moving.Get(), L"SUBJECT", L"Moved");
    ASSERT_EQ(S_OK, table->UpdateItem(moving.Get()));
    EXPECT_EQ(1u, h.Sim().RecordCount(40));
    EXPECT_EQ(L"Moved", ColumnText(ListAll(table.Get()).back().Get(), L"SUBJECT"));
}

// Creates keep the store's used places while its count agrees: after the first, a
// create asks the count, writes and reads back. A record stored behind the component
// changes the count, so the next create reads the places again and goes around it.
TEST(CalendarTable, CreatesReadThePlacesOnlyWhenTheStoreChanged)
{
    OrgHandset h(202);
    const std::string behind(715, 'B');
    auto create = [&](IDataTable* table, ComPtr<IItem> item, long& requests) {
        long before = h.Sim().RequestCount();
        SUID suid = -1;
        EXPECT_EQ(S_OK, table->CreateItem(item.Get(), &suid));
        requests = h.Sim().RequestCount() - before;
        return suid;
    };
    auto memo = [](IDataTable* table) {
        ComPtr<IItem> item;
        EXPECT_EQ(S_OK, table->NewItem(QELDT_MEMO, 0, 0, item.GetAddressOf()));
        SetColumn(item.Get(), L"DETAIL", L"Milk");
        return item;
    };
    long requests = 0;
    ComPtr<IDataTable> calendar = h.Table(DTID_CALENDAR);
    ComPtr<IDataTable> memos = h.Table(DTID_MEMO);
    for (int round = 0; round < 2; ++round) {
        create(calendar.Get(), NewEntry(calendar.Get(), L"5", L"Standing"), requests);
        create(memos.Get(), memo(memos.Get()), requests);
    }
    EXPECT_EQ(2, create(calendar.Get(), NewEntry(calendar.Get(), L"5", L"Third"), requests) % 10000);
    EXPECT_EQ(3, requests);
    EXPECT_EQ(2, create(memos.Get(), memo(memos.Get()), requests));
    EXPECT_EQ(3, requests);

    h.Sim().PutRecord(3, 3, behind);
    h.Sim().PutRecord(4, 3, std::string(206, 'B'));
    EXPECT_EQ(4, create(calendar.Get(), NewEntry(calendar.Get(), L"5", L"Fourth"), requests));
    EXPECT_EQ(4, requests);
    EXPECT_EQ(behind, h.Record(3, 3));
    EXPECT_EQ(4, create(memos.Get(), memo(memos.Get()), requests));
    EXPECT_EQ(4, requests);
    EXPECT_EQ(std::string(206, 'B'), h.Record(4, 3));
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
                    Alarm{L"Day", 3, 0, 0, L""}, Alarm{L"Minute", 30, 1, 0, L"Time"}, Alarm{L"None", 0, 0, 0, L""}}) {
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

namespace {

// 2024-03-15 09:30 and 10:15, 2024-12-31 and the day after, as handset seconds.
constexpr uint32_t kStart = 1394530200;
constexpr uint32_t kEnd = 1394532900;
constexpr uint32_t kExpiry = 1419638400;
constexpr uint32_t kNextDay = kExpiry + 86400;

// A KTM-A280 schedule record at an index: "Dentist", its times and place, an alarm an
// hour before, a ring, and a weekly repetition every two weeks on Monday to the expiry.
std::string Fortnightly(uint32_t index, uint32_t expiry = kExpiry, uint8_t kindByte = 0)
{
    RecordBuilder r;
    r.U32(index).U8(kindByte).Wide(L"Dentist", 45).Wide(L"Check-up", 100).U32(kStart).U32(kStart).U32(kEnd)
        .U32(kEnd).Wide(L"Main St", 45).U8(1).U32(1).U32(1).U8(3).U16(7).Narrow("bell.mid", 257)
        .U8(1).U32(1).U32(2).U8(0).U8(1).Fill(8, 0).U8(0).U32(0).U32(0).U32(0).U32(0).U32(0).U8(1).U32(expiry);
    return r.Bytes();
}

ComPtr<IItem> Listed(IDataTable* table, SUID suid)
{
    ComPtr<IItem> item = Find(ListAll(table), suid);
    EXPECT_TRUE(item) << suid;
    return item;
}

long Requests(OrgHandset& h)
{
    return h.Sim().RequestCount();
}

// The simulator's agent with one chosen request kept from the handset: its write fails.
class FlakyAgent : public ScriptedAgent {
public:
    ITAMAgent* inner = nullptr;
    int failing = -1;  // the request (from 0) that fails
    int sent = 0;

    STDMETHODIMP WriteStream(SAFEARRAY* data, long count) override
    {
        return sent++ == failing ? E_FAIL : inner->WriteStream(data, count);
    }
    STDMETHODIMP ReadStream(long count, long timeoutMs, SAFEARRAY** data) override
    {
        return inner->ReadStream(count, timeoutMs, data);
    }
    STDMETHODIMP SetMode(long mode) override { return inner->SetMode(mode); }
};

class FlakyConnection : public sim::SimConnection {
public:
    static ComPtr<FlakyConnection> Make(sim::SimConnection* handset)
    {
        ComPtr<FlakyConnection> connection;
        *connection.GetAddressOf() = new FlakyConnection();
        ComPtr<IUnknown> service;
        EXPECT_EQ(S_OK, static_cast<ITAMConnection*>(handset)->GetService(SID_TAMAgent, service.GetAddressOf()));
        EXPECT_EQ(S_OK, service.As(&connection->m_inner));
        *connection->agent.GetAddressOf() = new FlakyAgent();
        connection->agent->inner = connection->m_inner.Get();
        return connection;
    }
    STDMETHODIMP GetService(GUID, IUnknown** service) override { return agent.CopyTo(service); }

    ComPtr<FlakyAgent> agent;

private:
    ComPtr<ITAMAgent> m_inner;
};

}  // namespace

// An every-two-weeks entry lists as such: a change of its expiry alone changes that
// field alone, and "0" stops the repetition.
TEST(CalendarTable, AnEveryTwoWeeksEntryKeepsRepeatingAndCanBeStopped)
{
    OrgHandset h(202);
    h.Sim().PutRecord(3, 4, Fortnightly(4));
    ComPtr<IDataTable> table = h.Table(DTID_CALENDAR);
    ComPtr<IItem> item = Listed(table.Get(), 4);
    ASSERT_TRUE(item);
    EXPECT_EQ(L"2", ColumnText(item.Get(), L"RECURRENCE_TYPE"));
    EXPECT_EQ(L"2", ColumnText(item.Get(), L"RECURRENCE_EVERY"));
    EXPECT_EQ(L"2", ColumnText(item.Get(), L"RECURRENCE_FLAG"));  // Monday

    SetColumn(item.Get(), L"RECURRENCE_EXPIRE_DATE", DateTime(2025, 1, 1).Get());
    ASSERT_EQ(S_OK, table->UpdateItem(item.Get()));
    EXPECT_EQ(Fortnightly(4, kNextDay), h.Record(3, 4));

    SetColumn(item.Get(), L"RECURRENCE_TYPE", L"0");
    ASSERT_EQ(S_OK, table->UpdateItem(item.Get()));
    std::string stopped = h.Record(3, 4);
    EXPECT_EQ(0, stopped[670]);  // Repeat_Check
    EXPECT_EQ(0, stopped[710]);  // Expiry
    EXPECT_EQ(L"0", ColumnText(item.Get(), L"RECURRENCE_TYPE"));
}

// A repetition the handset keeps in a way the listing once showed as "0" lists as
// something else on every model family, so that a host's "0" stops it.
TEST(CalendarTable, ARepetitionStopsOnEveryFamily)
{
    struct Model {
        int resource;
        const wchar_t* type;
        LONG every;
        const wchar_t* listed;
        size_t repeatCheck;
    };
    // Weekly every two weeks; a monthly n-th weekday, which the extended-alarm and
    // compact-repeat models keep as a repetition of no pattern of theirs.
    for (Model m : {Model{202, L"2", 2, L"2", 670}, Model{210, L"2", 2, L"2", 670}, Model{211, L"2", 2, L"4", 670},
                    Model{211, L"4", 1, L"4", 670}, Model{218, L"4", 1, L"4", 674}, Model{218, L"2", 2, L"2", 674}}) {
        SCOPED_TRACE(m.resource);
        OrgHandset h(m.resource);
        ComPtr<IDataTable> table = h.Table(DTID_CALENDAR);
        ComPtr<IItem> item = NewEntry(table.Get(), L"5", L"Team");
        SetColumn(item.Get(), L"RECURRENCE_TYPE", m.type);
        SetColumn(item.Get(), L"RECURRENCE_EVERY", Variant::FromInt(m.every).Get());
        SetColumn(item.Get(), L"RECURRENCE_FLAG", L"2");
        SetColumn(item.Get(), L"ALARM_TYPE", L"Minute");
        SetColumn(item.Get(), L"ALARM_VALUE", Variant::FromInt(30).Get());
        SUID suid = -1;
        ASSERT_EQ(S_OK, table->CreateItem(item.Get(), &suid));
        std::string record = h.Record(3, static_cast<uint32_t>(suid));
        ASSERT_EQ(1, record[m.repeatCheck]);
        ComPtr<IItem> listed = Listed(table.Get(), suid);
        ASSERT_TRUE(listed);
        EXPECT_EQ(m.listed, ColumnText(listed.Get(), L"RECURRENCE_TYPE"));

        SetColumn(listed.Get(), L"RECURRENCE_TYPE", L"0");
        SetColumn(listed.Get(), L"ALARM_TYPE", L"Hour");
        SetColumn(listed.Get(), L"ALARM_VALUE", Variant::FromInt(1).Get());
        ASSERT_EQ(S_OK, table->UpdateItem(listed.Get()));
        record = h.Record(3, static_cast<uint32_t>(suid));
        EXPECT_EQ(0, record[m.repeatCheck]);
        if (m.resource == 211) {
            // AlarmMode an hour, no term of its own, RepeatMode none.
            EXPECT_EQ(RecordBuilder().U32(3).U32(0).U32(0).U32(0).Bytes(), record.substr(716));
        }
        EXPECT_EQ(L"0", ColumnText(listed.Get(), L"RECURRENCE_TYPE"));
    }
}

// A change of kind by an item that sets only its SUID and TYPE moves the whole entry:
// the new record is the old one at its new place.
TEST(CalendarTable, AChangeOfKindKeepsTheEntrysFields)
{
    OrgHandset h(202);
    h.Sim().PutRecord(3, 4, Fortnightly(4, kExpiry, 3));
    ComPtr<IDataTable> table = h.Table(DTID_CALENDAR);
    ComPtr<IItem> item;
    ASSERT_EQ(S_OK, table->NewItem(QELDT_SCHEDULE, 4, 0, item.GetAddressOf()));
    SetColumn(item.Get(), L"TYPE", L"20");
    long before = Requests(h);
    ASSERT_EQ(S_OK, table->UpdateItem(item.Get()));
    // Index list, the old record, the new one written, the old one deleted, read back.
    EXPECT_EQ(5, Requests(h) - before);
    EXPECT_EQ(30000, SuidOf(item.Get()));
    EXPECT_TRUE(h.Record(3, 4).empty());
    EXPECT_EQ(Fortnightly(0), h.Record(40, 0));  // the kind byte is no column's: written 0
    EXPECT_EQ(L"Dentist", ColumnText(item.Get(), L"SUBJECT"));
    EXPECT_EQ(L"Main St", ColumnText(item.Get(), L"LOCATION"));
}

// A change of kind whose delete fails while the old record stays takes the new one
// away again: the handset is as before, and the failure is reported.
TEST(CalendarTable, AChangeOfKindWhoseDeleteFailsLeavesTheEntryWhereItWas)
{
    OrgHandset h(202);
    h.Sim().PutRecord(3, 4, Fortnightly(4));
    ComPtr<IDataTable> listing = h.Table(DTID_CALENDAR);
    ComPtr<IItem> item = Listed(listing.Get(), 4);
    ASSERT_TRUE(item);
    SetColumn(item.Get(), L"TYPE", L"25");

    auto connection = FlakyConnection::Make(h.connection.Get());
    auto table = CDataTableKelvraSchedule::Make();
    table->Initialize(h.device.Get(), static_cast<ITAMConnection*>(connection.Get()));
    connection->agent->failing = 3;  // index list, read, write, then the delete
    EXPECT_EQ(E_FAIL, table->UpdateItem(item.Get()));
    EXPECT_EQ(4, SuidOf(item.Get()));
    EXPECT_EQ(Fortnightly(4), h.Record(3, 4));
    EXPECT_EQ(0u, h.Sim().RecordCount(41));
    EXPECT_EQ(1u, h.Sim().RecordCount(3));
}

// A record's SUID is its place, whatever its own index field holds; a write puts the
// place there.
TEST(OrganizerTables, TheSuidIsTheRecordsPlace)
{
    OrgHandset h(211);
    RecordBuilder memo;
    memo.U16(0).Wide(L"Milk", 102);
    h.Sim().PutRecord(4, 5, memo.Bytes());
    RecordBuilder task;
    task.U16(9).U8(0).Wide(L"Taxes", 46).Wide(L"", 101).U32(kStart).U32(kEnd).U8(0).U32(0).U32(0).U8(0).U16(0)
        .Narrow("", 257).U32(1).U32(0);
    h.Sim().PutRecord(5, 3, task.Bytes());
    RecordBuilder anniversary;
    anniversary.U32(7).Wide(L"Wedding", 45).Wide(L"", 100).U32(kStart).U8(0).U32(0).U32(0).U32(0).U8(0).U16(0)
        .Narrow("", 257).U8(1).U8(0).U32(0).U32(0).U32(0);
    h.Sim().PutRecord(7, 2, anniversary.Bytes());

    struct Store {
        DATATABLE_SUID table;
        uint32_t number, place;
        SUID suid;
        size_t indexBytes;
    };
    for (Store s : {Store{DTID_MEMO, 4, 5, 5, 2}, Store{DTID_TASK, 5, 3, 3, 2}, Store{DTID_CALENDAR, 7, 2, 10002, 4}}) {
        ComPtr<IDataTable> table = h.Table(s.table);
        auto items = ListAll(table.Get());
        ASSERT_EQ(1u, items.size());
        EXPECT_EQ(s.suid, SuidOf(items[0].Get()));
        std::string before = h.Record(s.number, s.place);
        ASSERT_EQ(S_OK, table->UpdateItem(items[0].Get()));
        std::string after = h.Record(s.number, s.place);
        EXPECT_EQ(s.place, static_cast<uint8_t>(after[0]));
        EXPECT_EQ(before.substr(s.indexBytes), after.substr(s.indexBytes));
        EXPECT_EQ(1u, h.Sim().RecordCount(s.number));
    }
    EXPECT_TRUE(h.Record(4, 0).empty());
}

// Records beyond a store's maximum are neither listed nor counted nor written, and a
// new record never goes to a place the handset lists as used.
TEST(OrganizerTables, OnlyTheStoresPlacesAreListedAndChanged)
{
    OrgHandset h(202);
    std::string memo = RecordBuilder().U16(0).Wide(L"Far", 62).Bytes();
    for (uint32_t place = 0; place < 49; ++place)
        h.Sim().PutRecord(4, place, memo);
    h.Sim().PutRecord(4, 70, memo);     // beyond the 50 memo places
    h.Sim().PutRecord(3, 150, std::string(715, '\0'));  // beyond the 100 schedule places
    h.Sim().PutRecord(3, 1, std::string(715, '\0'));

    ComPtr<IDataTable> memos = h.Table(DTID_MEMO);
    ULONG count = 0;
    EXPECT_EQ(S_OK, memos->GetItemCount(nullptr, 0, QELDT_MEMO, &count));
    EXPECT_EQ(49u, count);
    auto items = ListAll(memos.Get());
    ASSERT_EQ(49u, items.size());
    EXPECT_EQ(48, SuidOf(items.back().Get()));
    ComPtr<IItem> outside;
    ASSERT_EQ(S_OK, memos->NewItem(QELDT_MEMO, 70, 0, outside.GetAddressOf()));
    SetColumn(outside.Get(), L"DETAIL", L"Near");
    EXPECT_EQ(E_INVALIDARG, memos->UpdateItem(outside.Get()));
    EXPECT_EQ(E_INVALIDARG, memos->DeleteItem(outside.Get()));
    SUID suid = -1;
    ASSERT_EQ(S_OK, memos->CreateItem(outside.Get(), &suid));
    EXPECT_EQ(49, suid);
    EXPECT_EQ(static_cast<HRESULT>(0x8004000C), memos->CreateItem(outside.Get(), &suid));
    EXPECT_EQ(memo, h.Record(4, 70));

    ComPtr<IDataTable> calendar = h.Table(DTID_CALENDAR);
    EXPECT_EQ(S_OK, calendar->GetItemCount(nullptr, 0, QELDT_SCHEDULE, &count));
    EXPECT_EQ(1u, count);
    ASSERT_EQ(1u, ListAll(calendar.Get()).size());
    ComPtr<IItem> beyond;
    ASSERT_EQ(S_OK, calendar->NewItem(QELDT_SCHEDULE, 150, 0, beyond.GetAddressOf()));
    EXPECT_EQ(E_INVALIDARG, calendar->UpdateItem(beyond.Get()));
    EXPECT_EQ(std::string(715, '\0'), h.Record(3, 150));
}

// NextItem without a listing, after a count, hands out no item and succeeds.
TEST(OrganizerTables, NextItemAfterACountWithoutAListingIsTheEnd)
{
    OrgHandset h(211);
    h.Sim().PutRecord(3, 0, std::string(732, '\0'));
    h.Sim().PutRecord(4, 0, std::string(206, '\0'));
    h.Sim().PutRecord(5, 0, std::string(582, '\0'));
    for (DATATABLE_SUID id : {DTID_CALENDAR, DTID_MEMO, DTID_TASK}) {
        ComPtr<IDataTable> table = h.Table(id);
        ULONG count = 0;
        ASSERT_EQ(S_OK, table->GetItemCount(nullptr, 0, QELDT_SCHEDULE, &count));
        EXPECT_EQ(1u, count) << id;
        ComPtr<IItem> item;
        EXPECT_EQ(S_OK, table->NextItem(item.GetAddressOf())) << id;
        EXPECT_FALSE(item) << id;
    }
}

// A lead of more weeks than an alarm can count in days is refused with its reason,
// and nothing reaches the handset.
TEST(CalendarTable, ALeadOfTooManyWeeksIsRefused)
{
    OrgHandset h(211);
    ComPtr<IDataTable> table = h.Table(DTID_CALENDAR);
    ComPtr<IItem> item = NewEntry(table.Get(), L"0", L"Far ahead");
    SetColumn(item.Get(), L"ALARM_TYPE", L"Week");
    SetColumn(item.Get(), L"ALARM_VALUE", Variant::FromInt(400000000).Get());
    SUID suid = -1;
    EXPECT_EQ(E_INVALIDARG, table->CreateItem(item.Get(), &suid));
    ComPtr<IErrorInfo> info;
    ASSERT_EQ(S_OK, GetErrorInfo(0, info.GetAddressOf()));
    Bstr text;
    info->GetDescription(text.Out());
    EXPECT_NE(std::wstring::npos, text.Str().find(L"400000000 weeks"));
    EXPECT_EQ(0u, h.Sim().RecordCount(3));
}

// Creating, updating and listing take no more requests than they need.
TEST(CalendarTable, RequestsOfEachWrite)
{
    OrgHandset h(202);
    ComPtr<IDataTable> table = h.Table(DTID_CALENDAR);
    long before = Requests(h);
    SUID suid = -1;
    ComPtr<IItem> item = NewEntry(table.Get(), L"5", L"Counted");
    ASSERT_EQ(S_OK, table->CreateItem(item.Get(), &suid));
    EXPECT_EQ(3, Requests(h) - before);  // count (none, so no index list), write, read back
    before = Requests(h);
    SetColumn(item.Get(), L"SUBJECT", L"Counted again");
    ASSERT_EQ(S_OK, table->UpdateItem(item.Get()));
    EXPECT_EQ(3, Requests(h) - before);  // read, write, read back
    before = Requests(h);
    ASSERT_EQ(1u, ListAll(table.Get()).size());
    // A count for each of the five kinds, a list for the one that holds a record, a read.
    EXPECT_EQ(7, Requests(h) - before);
}
