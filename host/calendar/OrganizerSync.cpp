#include "OrganizerSync.h"

#include <cstdio>

#include "ComFailure.h"
#include "ICalendarTerms.h"
#include "ItemColumns.h"
#include "TableWalker.h"

namespace kelvra::host {

namespace {

struct OrganizerTable {
    OrganizerKind kind;
    DATATABLE_SUID id;
    QELDATATYPE itemType;
    const char* name;
};

const OrganizerTable kTables[] = {{OrganizerKind::Calendar, DTID_CALENDAR, QELDT_SCHEDULE, "calendar"},
                                  {OrganizerKind::Task, DTID_TASK, QELDT_TASK, "tasks"},
                                  {OrganizerKind::Memo, DTID_MEMO, QELDT_MEMO, "memos"}};

const OrganizerTable& TableOf(OrganizerKind kind)
{
    for (const OrganizerTable& table : kTables) {
        if (table.kind == kind)
            return table;
    }
    return kTables[0];
}

// A value as a person compares it: dates with their time of day.
std::wstring Shown(const Variant& value)
{
    if (value.Type() != VT_DATE)
        return ValueText(value);
    std::string text = DateText(value.Get().date, false);
    return WidenUtf8(text);
}

}  // namespace

ComPtr<IDataTable> OrganizerSync::TableFor(OrganizerKind kind)
{
    return m_session.Table(TableOf(kind).id);
}

std::vector<OrganizerEntry> OrganizerSync::Entries()
{
    std::vector<OrganizerEntry> entries;
    for (const OrganizerTable& table : kTables) {
        ComPtr<IDataTable> data = TableFor(table.kind);
        if (!data)
            continue;
        for (const auto& item : TableWalker(data.Get()).Items(table.itemType, true)) {
            OrganizerEntry entry;
            entry.kind = table.kind;
            for (NamedValue& column : ReadColumns(item.Get())) {
                if (column.value.Type() != VT_EMPTY)
                    entry.columns[column.name] = column.value;
            }
            entries.push_back(std::move(entry));
        }
    }
    return entries;
}

void OrganizerSync::Say(const OrganizerEntry& entry, const std::string& line)
{
    fflush(stdout);  // so that the lines keep their order on a terminal
    fprintf(stderr, "%s: %s\n", NarrowUtf8(entry.label).c_str(), line.c_str());
}

std::vector<std::string> OrganizerSync::Differences(const OrganizerEntry& entry, IItem* stored)
{
    std::vector<std::string> lines;
    for (const auto& [column, value] : entry.columns) {
        ULONG ordinal = 0;
        LONG found = 0;
        Variant held;
        if (FAILED(stored->GetOrdinal(Bstr(column).Get(), &ordinal, &found)) || !found ||
            FAILED(stored->GetValue(ordinal, held.Out())))
            continue;
        std::wstring given = Shown(value), kept = Shown(held);
        if (value.Type() == VT_DATE && held.Type() != VT_DATE) {
            Variant date;
            if (SUCCEEDED(VariantChangeType(date.Out(), &held.Get(), 0, VT_DATE)))
                kept = Shown(date);
        }
        // The handset keeps an interval of one as none on some models: the same rule.
        bool sameInterval = column == L"RECURRENCE_EVERY" && given == L"1" && (kept == L"0" || kept.empty());
        if (given != kept && !sameInterval)
            lines.push_back(NarrowUtf8(column) + " is held as \"" + NarrowUtf8(kept) + "\", not \"" +
                            NarrowUtf8(given) + "\"");
    }
    return lines;
}

bool OrganizerSync::Import(const std::vector<OrganizerEntry>& entries)
{
    size_t imported = 0;
    bool asGiven = true;
    for (const OrganizerEntry& entry : entries) {
        for (const std::string& note : entry.notes)
            Say(entry, note);
        asGiven = asGiven && entry.notes.empty();
        const OrganizerTable& table = TableOf(entry.kind);
        ComPtr<IDataTable> data = TableFor(entry.kind);
        if (!data) {
            Say(entry, std::string("not imported: this model keeps no ") + table.name);
            asGiven = false;
            continue;
        }
        try {
            ComPtr<IItem> item;
            CheckCall(data->NewItem(table.itemType, 0, 0, item.GetAddressOf()), "Making a new item");
            if (!item)
                throw ComFailure(E_POINTER, std::string("the ") + table.name + " table made no item");
            for (const auto& [column, value] : entry.columns) {
                ULONG ordinal = 0;
                LONG found = 0;
                if (column == L"SUID")
                    continue;  // the handset gives the new entry its own
                if (FAILED(item->GetOrdinal(Bstr(column).Get(), &ordinal, &found)) || !found) {
                    Say(entry, NarrowUtf8(column) + " has no place on the handset");
                    asGiven = false;
                    continue;
                }
                CheckCall(item->SetValue(ordinal, value.Get()), "Setting a column");
            }
            SUID suid = 0;
            CheckCall(data->CreateItem(item.Get(), &suid), "Creating the entry");
            for (const std::string& line : Differences(entry, item.Get()))
                Say(entry, line);
            asGiven = asGiven && Differences(entry, item.Get()).empty();
            printf("created %s SUID %ld: %s\n", table.name, static_cast<long>(suid), NarrowUtf8(entry.label).c_str());
            fflush(stdout);
            ++imported;
        } catch (const ComFailure& failure) {
            Say(entry, std::string("not imported: ") + failure.what());
            asGiven = false;
        }
    }
    printf("imported %zu of %zu entries\n", imported, entries.size());
    return asGiven;
}

}  // namespace kelvra::host
