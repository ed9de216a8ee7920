#include "DemoSeed.h"

#include <cstdio>

#include "ComFailure.h"
#include "ExitCode.h"
#include "FileSync.h"
#include "MessageSync.h"
#include "TableCommands.h"

namespace kelvra::host {

namespace {

// A few calendar entries, tasks and memos, in the tables whose records the model keeps.
void SeedOrganizer(SyncSession& session)
{
    struct Seed {
        const wchar_t* table;
        const char* one;
        const char* many;
        QELDATATYPE kind;
        std::vector<std::vector<std::wstring>> items;
    };
    const Seed seeds[] = {
        {L"calendar", "calendar entry", "calendar entries", QELDT_SCHEDULE,
         {{L"SUBJECT=Dentist", L"LOCATION=Gangnam clinic", L"START_DATE=2026-12-08 09:30",
           L"END_DATE=2026-12-08 10:00", L"ALARM_TYPE=Minute", L"ALARM_VALUE=30"},
          {L"SUBJECT=Team stand-up", L"START_DATE=2026-12-07 09:00", L"END_DATE=2026-12-07 09:15",
           L"RECURRENCE_TYPE=1", L"RECURRENCE_EVERY=1", L"RECURRENCE_EXPIRE_TYPE=2"},
          {L"TYPE=1", L"SUBJECT=Minji's birthday", L"START_DATE=2027-04-12"}}},
        {L"tasks", "task", "tasks", QELDT_TASK, {{L"SUBJECT=Renew the passport", L"END_DATE=2027-01-15 17:00", L"PRIORITY=High"}}},
        {L"memos", "memo", "memos", QELDT_MEMO, {{L"DETAIL=Wi-Fi at the cabin: lake-house-2026"}, {L"DETAIL=Gate code 4711"}}},
    };
    for (const Seed& seed : seeds) {
        NamedTable named;
        SyncSession::Lookup(seed.table, named);
        ComPtr<IDataTable> table = session.Table(named.id);
        size_t made = 0;
        try {
            for (const auto& item : seed.items) {
                if (table)
                    CreateItem(table.Get(), seed.kind, item, nullptr, seed.table);
                made += table ? 1 : 0;
            }
        } catch (const ComFailure&) {
            // the model keeps no records of this kind
        }
        if (made)
            printf(", %zu %s", made, made == 1 ? seed.one : seed.many);
    }
}

int SeedDemo(SyncSession& session)
{
    QELDATATYPE kind;
    ComPtr<IDataTable> phonebook = session.Table(L"phonebook", kind);
    ULONG count = 0;
    CheckCall(phonebook->GetItemCount(nullptr, 0, QELDT_PHONEBOOK, &count), "Counting the phonebook");
    if (count > 0) {
        printf("the handset already holds %lu phonebook items; nothing seeded\n", static_cast<unsigned long>(count));
        return kOk;
    }
    for (const wchar_t* group : {L"Family", L"Friends", L"Work"})
        CreateItem(phonebook.Get(), QELDT_GROUP, {std::wstring(L"NAME=") + group});
    const std::vector<std::vector<std::wstring>> contacts = {
        {L"FIRST_NAME=Minji", L"LAST_NAME=Kim", L"TEL_NUM_0=010-2345-6789", L"TEL_TYPE_0=Mobile.Private",
         L"TEL_NUM_1=02-555-0134", L"TEL_TYPE_1=Landline.Private", L"EMAIL_ADDR_0=minji.kim@example.kr",
         L"EMAIL_TYPE_0=private", L"BIRTHDAY=1991-04-12", L"GROUP_ID_0=1", L"NOTES=Sister"},
        {L"FIRST_NAME=Joon", L"LAST_NAME=Park", L"TEL_NUM_0=010-9876-5432", L"TEL_TYPE_0=Mobile.Business",
         L"EMAIL_ADDR_0=joon.park@example.com", L"EMAIL_TYPE_0=business", L"URL_ADDR_0=www.example.com",
         L"ADDR_STREET_0=12 Teheran-ro", L"ADDR_LOCALITY_0=Seoul", L"ADDR_POSTALCODE_0=06164",
         L"ADDR_COUNTRY_0=Korea", L"ADDR_TYPE_0=business", L"GROUP_ID_0=3"},
        {L"FIRST_NAME=Ada", L"LAST_NAME=Lovelace", L"TEL_NUM_0=+44 20 7946 0000", L"TEL_TYPE_0=Mobile.Private",
         L"TEL_DIAL_0=2", L"BIRTHDAY=1815-12-10", L"GROUP_ID_0=2", L"NOTES=Met at the analytical engine talk"},
        {L"FIRST_NAME=Seoyeon", L"LAST_NAME=Lee", L"TEL_NUM_0=010-1111-2222", L"TEL_TYPE_0=Mobile.Private",
         L"TEL_NUM_1=031-222-3333", L"TEL_TYPE_1=Fax", L"GROUP_ID_0=2"},
        {L"FIRST_NAME=Dentist", L"TEL_NUM_0=02-3456-7890", L"TEL_TYPE_0=Landline.Business",
         L"NOTES=Dr. Choi, Tuesdays"},
    };
    for (const auto& contact : contacts)
        CreateItem(phonebook.Get(), QELDT_PHONEBOOK, contact);
    ComPtr<IDataTable> card = session.Table(L"card", kind);
    for (const auto& entry : std::vector<std::vector<std::wstring>>{
             {L"DISPLAY_NAME=Mum", L"TEL_NUM_0=010-3333-4444"},
             {L"DISPLAY_NAME=Taxi", L"TEL_NUM_0=1588-0000"},
         })
        CreateItem(card.Get(), QELDT_PHONEBOOK_SIM, entry, nullptr, L"card");
    printf("seeded the demo handset: 3 groups, %zu contacts, 2 card entries", contacts.size());
    SeedOrganizer(session);
    MessageSync(session).SeedDemo();
    printf(", 5 SMS, 1 MMS, %zu pictures and sounds\n", FileSync(session).SeedDemo());
    return kOk;
}

}  // namespace

HandsetWork StartSeedDemo(const CommandLine&)
{
    return SeedDemo;
}

}  // namespace kelvra::host
