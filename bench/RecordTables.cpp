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

// The store's maximum count as the model's profile gives it, less what no create takes.
std::function<LONG(BenchSession&)> ProfileLimit(const wchar_t* key, LONG less = 0)
{
    return [key, less](BenchSession& session) { return session.ProfileNumber(key) - less; };
}

void FillContact(IItem* item, int i)
{
    SetText(item, L"FIRST_NAME", Numbered(L"Contact ", i));
    SetText(item, L"TEL_NUM_0", L"010-" + std::to_wstring(1000 + i % 9000) + L"-0000");
    SetText(item, L"EMAIL_ADDR_0", Numbered(L"contact", i) + L"@example.org");
}

TableSpec CardOf(const char* name, DATATABLE_SUID table)
{
    auto fill = [](IItem* item, int i) {
        SetText(item, L"DISPLAY_NAME", Numbered(L"Card ", i));
        SetText(item, L"TEL_NUM_0", Numbered(L"0107", 1000 + i));
    };
    auto change = [](IItem* item, int i) { SetText(item, L"TEL_NUM_0", Numbered(L"0108", 1000 + i)); };
    return {name, kA290, table, QELDT_PHONEBOOK_SIM, [](BenchSession&) { return BenchSession::kCardSlots; }, fill,
            change};
}

void ChangeSubject(IItem* item, int i)
{
    SetText(item, L"SUBJECT", Numbered(L"Changed ", i));
}

// Entries of the calendar kind that TYPE names, each a day after the one before.
TableSpec CalendarKind(const char* name, int model, const wchar_t* limitKey, const wchar_t* type)
{
    auto fill = [type](IItem* item, int i) {
        SetText(item, L"TYPE", type);
        SetText(item, L"SUBJECT", Numbered(L"Entry ", i));
        SetDate(item, L"START_DATE", i);
        SetText(item, L"ALARM_TYPE", L"None");
    };
    return {name, model, DTID_CALENDAR, QELDT_SCHEDULE, ProfileLimit(limitKey), fill, ChangeSubject};
}

void FillTask(IItem* item, int i)
{
    SetText(item, L"SUBJECT", Numbered(L"Task ", i));
    SetText(item, L"DETAIL", L"Flour, eggs and milk");
    SetText(item, L"PRIORITY", L"Normal");
    SetDate(item, L"END_DATE", i);
}

std::vector<TableSpec> MakeTables()
{
    return {
        {"contacts", kA290, DTID_PHONEBOOK, QELDT_PHONEBOOK, ProfileLimit(L"Phonebook_MaxRecordCount"), FillContact,
         [](IItem* item, int) { SetText(item, L"NOTES", L"updated"); }, true},
        // Index 0 is the handset's own "no group", which no create takes.
        {"groups", kA290, DTID_PHONEBOOK, QELDT_GROUP, ProfileLimit(L"PBGroup_GroupMaxCnt", 1),
         [](IItem* item, int i) { SetText(item, L"NAME", Numbered(L"Group ", i)); },
         [](IItem* item, int i) { SetText(item, L"NAME", Numbered(L"Team ", i)); }},
        CardOf("card", DTID_SIM),
        CardOf("card2", DTID_SIM2),
        CalendarKind("appointments", kA290, L"Schedule_MaxRecordCount", L"5"),
        CalendarKind("anniversaries", kA290, L"Anniversary_MaxRecordCnt", L"1"),
        CalendarKind("holidays", kA280, L"Holiday_MaxRecordCnt", L"4"),
        CalendarKind("important", kA280, L"Important_MaxRecordCnt", L"20"),
        CalendarKind("private", kA280, L"Private_MaxRecordCnt", L"25"),
        CalendarKind("events", kA110, L"Event_MaxRecordCnt", L"34"),
        {"tasks", kA290, DTID_TASK, QELDT_TASK, ProfileLimit(L"Task_MaxRecordCount"), FillTask, ChangeSubject},
        {"memos", kA290, DTID_MEMO, QELDT_MEMO, ProfileLimit(L"Memo_MaxRecordCount"),
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
