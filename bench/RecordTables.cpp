#include "TableSpec.h"

#include <algorithm>
#include <cstdio>

#include "ItemColumns.h"

namespace kelvra::bench {

namespace {

constexpr int kA280 = 202;
constexpr int kA290 = 211;
constexpr int kA110 = 218;

std::wstring Numbered(const wchar_t* text, int i)
{
    return text + std::to_wstring(i);
}

void FillContact(IItem* item, int i)
{
    SetText(item, L"FIRST_NAME", Numbered(L"Contact ", i));
    SetText(item, L"TEL_NUM_0", L"010-" + std::to_wstring(1000 + i % 9000) + L"-0000");
    SetText(item, L"EMAIL_ADDR_0", Numbered(L"contact", i) + L"@example.org");
}

void FillCardEntry(IItem* item, int i)
{
    SetText(item, L"DISPLAY_NAME", Numbered(L"Card ", i));
    SetText(item, L"TEL_NUM_0", Numbered(L"0107", 1000 + i));
}

// An entry of the calendar kind that TYPE names, a day after the one before.
void FillEntry(IItem* item, int i, const wchar_t* type)
{
    SetText(item, L"TYPE", type);
    SetText(item, L"SUBJECT", Numbered(L"Entry ", i));
    SetDate(item, L"START_DATE", i);
    SetText(item, L"ALARM_TYPE", L"None");
}

void FillTask(IItem* item, int i)
{
    SetText(item, L"SUBJECT", Numbered(L"Task ", i));
    SetText(item, L"DETAIL", L"Flour, eggs and milk");
    SetText(item, L"PRIORITY", L"Normal");
    SetDate(item, L"END_DATE", i);
}

void ChangeSubject(IItem* item, int i)
{
    SetText(item, L"SUBJECT", Numbered(L"Changed ", i));
}

LONG Profile(BenchSession& session, const wchar_t* key)
{
    return session.ProfileNumber(key);
}

std::vector<TableSpec> MakeTables()
{
    return {
        {"contacts", kA290, DTID_PHONEBOOK, QELDT_PHONEBOOK,
         [](BenchSession& s) { return Profile(s, L"Phonebook_MaxRecordCount"); }, FillContact,
         [](IItem* item, int) { SetText(item, L"NOTES", L"updated"); }, true},
        // Index 0 is the handset's own "no group", which no create takes.
        {"groups", kA290, DTID_PHONEBOOK, QELDT_GROUP,
         [](BenchSession& s) { return Profile(s, L"PBGroup_GroupMaxCnt") - 1; },
         [](IItem* item, int i) { SetText(item, L"NAME", Numbered(L"Group ", i)); },
         [](IItem* item, int i) { SetText(item, L"NAME", Numbered(L"Team ", i)); }},
        {"card", kA290, DTID_SIM, QELDT_PHONEBOOK_SIM, [](BenchSession&) { return BenchSession::kCardSlots; },
         FillCardEntry, [](IItem* item, int i) { SetText(item, L"TEL_NUM_0", Numbered(L"0108", 1000 + i)); }},
        {"card2", kA290, DTID_SIM2, QELDT_PHONEBOOK_SIM, [](BenchSession&) { return BenchSession::kCardSlots; },
         FillCardEntry, [](IItem* item, int i) { SetText(item, L"TEL_NUM_0", Numbered(L"0108", 1000 + i)); }},
        {"appointments", kA290, DTID_CALENDAR, QELDT_SCHEDULE,
         [](BenchSession& s) { return Profile(s, L"Schedule_MaxRecordCount"); },
         [](IItem* item, int i) { FillEntry(item, i, L"5"); }, ChangeSubject},
        {"anniversaries", kA290, DTID_CALENDAR, QELDT_SCHEDULE,
         [](BenchSession& s) { return Profile(s, L"Anniversary_MaxRecordCnt"); },
         [](IItem* item, int i) { FillEntry(item, i, L"1"); }, ChangeSubject},
        {"holidays", kA280, DTID_CALENDAR, QELDT_SCHEDULE,
         [](BenchSession& s) { return Profile(s, L"Holiday_MaxRecordCnt"); },
         [](IItem* item, int i) { FillEntry(item, i, L"4"); }, ChangeSubject},
        {"important", kA280, DTID_CALENDAR, QELDT_SCHEDULE,
         [](BenchSession& s) { return Profile(s, L"Important_MaxRecordCnt"); },
         [](IItem* item, int i) { FillEntry(item, i, L"20"); }, ChangeSubject},
        {"private", kA280, DTID_CALENDAR, QELDT_SCHEDULE,
         [](BenchSession& s) { return Profile(s, L"Private_MaxRecordCnt"); },
         [](IItem* item, int i) { FillEntry(item, i, L"25"); }, ChangeSubject},
        {"events", kA110, DTID_CALENDAR, QELDT_SCHEDULE,
         [](BenchSession& s) { return Profile(s, L"Event_MaxRecordCnt"); },
         [](IItem* item, int i) { FillEntry(item, i, L"34"); }, ChangeSubject},
        {"tasks", kA290, DTID_TASK, QELDT_TASK, [](BenchSession& s) { return Profile(s, L"Task_MaxRecordCount"); },
         FillTask, ChangeSubject},
        {"memos", kA290, DTID_MEMO, QELDT_MEMO, [](BenchSession& s) { return Profile(s, L"Memo_MaxRecordCount"); },
         [](IItem* item, int i) { SetText(item, L"DETAIL", Numbered(L"Buy eggs, call Ada, memo ", i)); },
         [](IItem* item, int i) { SetText(item, L"DETAIL", Numbered(L"Feed the cat, memo ", i)); }},
    };
}

}  // namespace

const std::vector<TableSpec>& RecordTables()
{
    static const std::vector<TableSpec> tables = MakeTables();
    return tables;
}

std::vector<PhaseSize> SizesWithin(const std::vector<int>& wanted, LONG limit, const char* limitText)
{
    std::vector<PhaseSize> sizes;
    for (int n : wanted) {
        int size = static_cast<int>(std::min<LONG>(n, limit));
        if (size <= 0 || std::any_of(sizes.begin(), sizes.end(), [&](const PhaseSize& s) { return s.n == size; }))
            continue;
        char note[80] = "";
        if (size < n)
            snprintf(note, sizeof(note), "(%s %ld)", limitText, static_cast<long>(limit));
        sizes.push_back({size, note});
    }
    return sizes;
}

}  // namespace kelvra::bench
