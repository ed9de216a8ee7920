#include "DemoSeed.h"

#include <algorithm>
#include <cstdio>

#include "ComFailure.h"
#include "ExitCode.h"
#include "FileSync.h"
#include "MessageSync.h"
#include "ModelProfileText.h"
#include "NumberCheck.h"
#include "TableCommands.h"

namespace kelvra::host {

namespace {

// What the seed made, and the tables it left out because the model keeps none of them.
struct SeedReport {
    std::string made;
    std::vector<std::string> leftOut;

    void Made(size_t count, const char* one, const char* many)
    {
        made += (made.empty() ? "" : ", ") + std::to_string(count) + " " + (count == 1 ? one : many);
    }
};

// A few calendar entries, tasks and memos, in the tables whose records the model keeps.
void SeedOrganizer(SyncSession& session, const ModelProfileText& profile, SeedReport& report)
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
        if (!table || !profile.KeepsTable(seed.table)) {
            report.leftOut.push_back(seed.many);
            continue;
        }
        for (const auto& item : seed.items)
            CreateItem(table.Get(), seed.kind, item, nullptr, seed.table);
        report.Made(seed.items.size(), seed.one, seed.many);
    }
}

void SeedPhonebook(SyncSession& session, const ModelProfileText& profile, SeedReport& report)
{
    QELDATATYPE kind;
    ComPtr<IDataTable> phonebook = session.Table(L"phonebook", kind);
    bool groups = profile.KeepsTable(L"groups");
    if (groups) {
        for (const wchar_t* group : {L"Family", L"Friends", L"Work"})
            CreateItem(phonebook.Get(), QELDT_GROUP, {std::wstring(L"NAME=") + group});
        report.Made(3, "group", "groups");
    } else {
        report.leftOut.push_back("groups");
    }
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
    for (std::vector<std::wstring> contact : contacts) {
        if (!groups)
            contact.erase(std::remove_if(contact.begin(), contact.end(),
                                         [](const std::wstring& a) { return a.rfind(L"GROUP_ID_", 0) == 0; }),
                          contact.end());
        NumberCheck::Assignments(session, L"phonebook", contact);  // as the handset lists them
        CreateItem(phonebook.Get(), QELDT_PHONEBOOK, contact);
    }
    report.Made(contacts.size(), "contact", "contacts");
    if (!profile.KeepsTable(L"card")) {
        report.leftOut.push_back("card entries");
        return;
    }
    ComPtr<IDataTable> card = session.Table(L"card", kind);
    for (const auto& entry : std::vector<std::vector<std::wstring>>{
             {L"DISPLAY_NAME=Mum", L"TEL_NUM_0=010-3333-4444"},
             {L"DISPLAY_NAME=Taxi", L"TEL_NUM_0=1588-0000"},
         })
        CreateItem(card.Get(), QELDT_PHONEBOOK_SIM, entry, nullptr, L"card");
    report.Made(2, "card entry", "card entries");
}

void SeedMessagesAndFiles(SyncSession& session, const ModelProfileText& profile, SeedReport& report)
{
    MessageSync messages(session);
    if (profile.KeepsTable(L"sms")) {
        messages.SeedSms();
        report.Made(5, "SMS", "SMS");
    } else {
        report.leftOut.push_back("SMS");
    }
    if (profile.KeepsTable(L"mms")) {
        messages.SeedMms();
        report.Made(1, "MMS", "MMS");
    } else {
        report.leftOut.push_back("MMS");
    }
    if (profile.KeepsTable(L"files"))
        report.Made(FileSync(session).SeedDemo(), "picture or sound", "pictures and sounds");
    else
        report.leftOut.push_back("pictures and sounds (no file memory)");
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
    ModelProfileText profile = ModelProfileText::Of(session.Model());
    SeedReport report;
    SeedPhonebook(session, profile, report);
    SeedOrganizer(session, profile, report);
    SeedMessagesAndFiles(session, profile, report);
    printf("seeded the demo handset: %s\n", report.made.c_str());
    if (!report.leftOut.empty()) {
        std::string list;
        for (const std::string& what : report.leftOut)
            list += (list.empty() ? "" : ", ") + what;
        printf("left out, as the %s keeps none: %s\n", profile.ModelName().c_str(), list.c_str());
    }
    return kOk;
}

}  // namespace

HandsetWork StartSeedDemo(const CommandLine&)
{
    return SeedDemo;
}

}  // namespace kelvra::host
