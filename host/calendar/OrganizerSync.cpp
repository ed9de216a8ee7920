#include "OrganizerSync.h"

#include <cstdio>

#include "ComFailure.h"
#include "HandsetLimits.h"
#include "ItemColumns.h"
#include "OrganizerDifferences.h"
#include "TableWalker.h"
#include "UntrustedText.h"

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
        for (const auto& item : TableWalker(data.Get()).Items(table.itemType, true))
            entries.push_back(EntryOf(table.kind, item.Get()));
    }
    return entries;
}

void OrganizerSync::Say(const OrganizerEntry& entry, const std::string& line)
{
    fflush(stdout);  // so that the lines keep their order on a terminal
    fprintf(stderr, "%s: %s\n", Shown(NarrowUtf8(entry.label)).c_str(), Shown(line).c_str());
}

OrganizerEntry OrganizerSync::EntryOf(OrganizerKind kind, IItem* item)
{
    OrganizerEntry entry;
    entry.kind = kind;
    for (NamedValue& column : ReadColumns(item))
        entry.columns[column.name] = column.value;
    return entry;
}

// How long each kind's title may be on this model, for telling a cut title from another.
std::map<OrganizerKind, size_t> OrganizerSync::TitleSizes()
{
    std::vector<StoreLimits> stores = HandsetLimits::Stores(m_session, HandsetLimits::DevInfDocument(m_session));
    return {{OrganizerKind::Calendar, HandsetLimits::FieldSize(stores, "CALENDAR_EVENT", "SUBJECT")},
            {OrganizerKind::Task, HandsetLimits::FieldSize(stores, "TASK", "SUBJECT")},
            {OrganizerKind::Memo, HandsetLimits::FieldSize(stores, "MEMO", "DETAIL")}};
}

bool OrganizerSync::Import(const std::vector<OrganizerEntry>& entries, bool allowDuplicates)
{
    OrganizerDuplicates held(allowDuplicates ? std::map<OrganizerKind, size_t>() : TitleSizes());
    if (!allowDuplicates) {
        for (const OrganizerEntry& entry : Entries())
            held.Add(wcstol(entry.Text(L"SUID").c_str(), nullptr, 10), entry);
    }
    size_t imported = 0, alreadyHeld = 0;
    bool asGiven = true;
    for (const OrganizerEntry& entry : entries) {
        Outcome outcome = ImportOne(entry, held, allowDuplicates);
        imported += outcome == Outcome::AsGiven || outcome == Outcome::Changed ? 1 : 0;
        alreadyHeld += outcome == Outcome::AlreadyHeld ? 1 : 0;
        asGiven = asGiven && (outcome == Outcome::AsGiven || outcome == Outcome::AlreadyHeld);
    }
    printf("imported %zu of %zu entries", imported, entries.size());
    if (alreadyHeld)
        printf("; %zu already on the handset (--duplicates imports them again)", alreadyHeld);
    printf("\n");
    return asGiven;
}

OrganizerSync::Outcome OrganizerSync::ImportOne(const OrganizerEntry& entry, OrganizerDuplicates& held,
                                                bool allowDuplicates)
{
    if (!allowDuplicates) {
        if (std::optional<long> suid = held.Find(entry)) {
            Say(entry, "not imported: the handset already holds it as SUID " + std::to_string(*suid));
            return Outcome::AlreadyHeld;
        }
    }
    for (const std::string& note : entry.notes)
        Say(entry, note);
    bool asGiven = entry.notes.empty();
    const OrganizerTable& table = TableOf(entry.kind);
    ComPtr<IDataTable> data = TableFor(entry.kind);
    if (!data) {
        Say(entry, std::string("not imported: this model keeps no ") + table.name);
        return Outcome::NotImported;
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
        OrganizerEntry stored = EntryOf(entry.kind, item.Get());
        std::vector<std::string> differences = OrganizerDifferences::Between(entry, stored);
        for (const std::string& line : differences)
            Say(entry, line);
        held.Add(static_cast<long>(suid), stored);
        printf("created %s SUID %ld: %s\n", table.name, static_cast<long>(suid),
               Shown(NarrowUtf8(entry.label)).c_str());
        fflush(stdout);
        return asGiven && differences.empty() ? Outcome::AsGiven : Outcome::Changed;
    } catch (const ComFailure& failure) {
        Say(entry, std::string("not imported: ") + failure.what());
        return Outcome::NotImported;
    }
}

}  // namespace kelvra::host
