#include "HandsetRestore.h"

#include <cstdio>
#include <optional>

#include "ComFailure.h"
#include "ExitCode.h"
#include "FileRestore.h"
#include "HandsetChanges.h"
#include "HeldItems.h"
#include "ModelProfileText.h"
#include "PhonebookCapabilities.h"
#include "TableCommands.h"
#include "TableWalker.h"
#include "UntrustedText.h"

namespace kelvra::host {

namespace {

constexpr size_t kLabelChars = 40;

bool IsGroupColumn(const std::wstring& name)
{
    return name.rfind(L"GROUP_ID_", 0) == 0;
}

// A value worth saying when the model has no place for it: "0" is no group, no ring.
bool Meaningful(const std::wstring& text)
{
    return !text.empty() && text != L"0";
}

// A number as text, under the VARTYPE its column had.
Variant Retyped(const std::wstring& text, VARTYPE type)
{
    Variant value = Variant::FromText(text);
    Variant typed;
    if (type == VT_BSTR || FAILED(VariantChangeType(typed.Out(), &value.Get(), 0, type)))
        return value;
    return typed;
}

// Whether a value tells what the person set, to be compared with what the handset kept:
// not a count of the model's fields, not the picture (said on its own), not a full name
// made from the names, and not "no value" of any kind.
bool SaysWhatItHolds(const std::wstring& column, const std::wstring& text, const ItemRecord& record)
{
    if (!Meaningful(text) || text == L"UNSET" || column == L"PHOTO_LOCAL_PATH" || column == L"PHOTO_TYPE" ||
        (column.size() > 6 && column.compare(column.size() - 6, 6, L"_COUNT") == 0))
        return false;
    if (column != L"DISPLAY_NAME")
        return true;
    std::wstring first = record.Text(L"FIRST_NAME"), last = record.Text(L"LAST_NAME");
    return text != last + first && text != first + L" " + last && text != first;
}

std::string Label(const BackupTable& table, const ItemRecord& record)
{
    std::wstring name;
    for (const wchar_t* column : {L"DISPLAY_NAME", L"NAME", L"SUBJECT", L"DETAIL", L"CONTENT"}) {
        name = record.Text(column);
        if (!name.empty())
            break;
    }
    if (name.size() > kLabelChars)
        name = name.substr(0, kLabelChars) + L"...";
    std::string label = std::string(table.one) + " " + std::to_string(record.suid);
    return name.empty() ? label : label + " (" + NarrowUtf8(name) + ")";
}

}  // namespace

HandsetRestore::HandsetRestore(SyncSession& session, const BackupContents& backup, const RestoreOptions& options)
    : m_session(session), m_backup(backup), m_options(options), m_profile(ModelProfileText::Of(session.Model()))
{
    m_modelName = m_profile.ModelName();
    m_otherModel = backup.Manifest().modelId != session.Model();
    m_keepsPictures = PhonebookCapabilities::Of(session).keepsPictures;
}

bool HandsetRestore::IsTableName(const std::wstring& name)
{
    for (const BackupTable& table : kBackupTables) {
        if (name == table.name)
            return true;
    }
    return name == kFilesTable;
}

bool HandsetRestore::Selected(const std::wstring& table) const
{
    if (m_options.only.empty())
        return true;
    for (const std::wstring& name : m_options.only) {
        if (name == table)
            return true;
    }
    return false;
}

int HandsetRestore::Run()
{
    if (m_otherModel)
        printf("the backup is of a %s; the %s says per item what it cannot hold\n",
               Shown(NarrowUtf8(m_backup.Manifest().modelName)).c_str(), m_modelName.c_str());
    std::vector<TableState> states;
    for (const BackupTable& table : kBackupTables) {
        if (Selected(table.name) && m_backup.Records(table.name))
            states.push_back(Look(table));
    }
    std::optional<FileRestore> files =
        Selected(kFilesTable) && !m_backup.Folders().empty() ? LookAtFiles() : std::nullopt;
    RefuseHeldTables(states, files && files->HandsetHoldsFiles());
    std::map<std::wstring, Counts> counts;
    if (m_options.replace)
        DeleteHeld(states, counts);
    for (TableState& state : states) {
        Restore(state, counts[state.table->name]);
        SayTable(state, counts[state.table->name]);
    }
    if (files && files->Run(m_options.dryRun))
        m_changed = true;
    if (!m_filesLeftOut.empty())
        SayFilesLeftOut();
    if (m_options.dryRun) {
        printf("nothing was changed (--dry-run)\n");
        return kOk;
    }
    return m_changed ? kHandsetChanged : kOk;
}

std::optional<FileRestore> HandsetRestore::LookAtFiles()
{
    std::string why = !m_profile.KeepsTable(kFilesTable)
                          ? "the " + m_modelName + " keeps no files"
                      : !m_session.Handset() ? "the serial link carries no files"
                                             : std::string();
    if (why.empty())
        return std::optional<FileRestore>(std::in_place, m_session, m_backup, m_options.replace);
    m_filesLeftOut = why;
    return std::nullopt;
}

void HandsetRestore::SayFilesLeftOut()
{
    size_t count = m_backup.Files().size();
    printf("files: %zu left out\n", count);
    if (count) {
        fprintf(stderr, "files: %zu file%s left out: %s\n", count, count == 1 ? "" : "s", m_filesLeftOut.c_str());
        m_changed = true;
    }
}

HandsetRestore::TableState HandsetRestore::Look(const BackupTable& table)
{
    TableState state{&table, m_backup.Records(table.name), {}, {}, QELDT_PHONEBOOK, {}};
    if (!table.restorable)
        state.leftOutWhy = "stored messages cannot be written into the handset's boxes, only sent; restore sends none";
    else if (!m_profile.KeepsTable(table.name))
        state.leftOutWhy = "the " + m_modelName + " keeps no " + table.many;
    if (!state.leftOutWhy.empty())
        return state;
    state.data = m_session.Table(table.name, state.kind);
    state.onHandset = TableWalker(state.data.Get()).Items(state.kind, false);
    return state;
}

void HandsetRestore::RefuseHeldTables(const std::vector<TableState>& states, bool filesHeld) const
{
    if (m_options.merge || m_options.replace)
        return;
    std::string held;
    for (const TableState& state : states) {
        if (!state.onHandset.empty() && !state.records->empty())
            held += (held.empty() ? "" : ", ") + std::to_string(state.onHandset.size()) + " " +
                    (state.onHandset.size() == 1 ? state.table->one : state.table->many);
    }
    if (filesHeld)
        held += held.empty() ? "files" : ", files";
    if (!held.empty())
        throw BadValue("the handset holds " + held + " already, and nothing was changed: restore --merge adds "
                       "what it does not hold, --replace deletes what it holds first");
}

void HandsetRestore::DeleteHeld(std::vector<TableState>& states, std::map<std::wstring, Counts>& counts)
{
    // Contacts go before the groups they name.
    for (auto state = states.rbegin(); state != states.rend(); ++state) {
        counts[state->table->name].deleted = state->onHandset.size();
        for (const auto& item : state->onHandset) {
            if (m_options.dryRun)
                break;
            if (state->kind == QELDT_GROUP)
                ClearGroupFromContacts(state->data.Get(), ItemSuid(item.Get()));
            CheckCall(state->data->DeleteItem(item.Get()), "Deleting an item the backup replaces");
        }
        state->onHandset.clear();
    }
}

void HandsetRestore::Restore(TableState& state, Counts& counts)
{
    const std::vector<ItemRecord>& records = *state.records;
    if (!state.leftOutWhy.empty()) {
        counts.leftOut = records.size();
        m_changed = m_changed || !records.empty();
        if (!state.table->restorable && !records.empty())
            fprintf(stderr, "%s: %zu %s left out: %s\n", NarrowUtf8(state.table->name).c_str(), records.size(),
                    state.table->many, state.leftOutWhy.c_str());
        for (const ItemRecord& record : state.table->restorable ? records : std::vector<ItemRecord>())
            SayItem(state, record, "left out: " + state.leftOutWhy);
        return;
    }
    if (state.kind == QELDT_PHONEBOOK)
        MapGroups();
    std::vector<ItemRecord> mapped = Mapped(state);
    std::vector<bool> held(records.size(), false);
    if (m_options.merge) {
        std::vector<ItemContent> wanted, handset;
        for (const ItemRecord& record : mapped)
            wanted.push_back(ContentOf(record.columns));
        for (const auto& item : state.onHandset)
            handset.push_back(ContentOf(ReadColumns(item.Get())));
        held = HeldOnHandset(wanted, handset, m_otherModel);
    }
    for (size_t i = 0; i < records.size(); ++i) {
        if (held[i]) {
            ++counts.held;
        } else if (m_options.dryRun) {
            // What the model has no place for is known before anything is written; what
            // its fields cut, only once it is.
            for (const std::string& note : Prepare(state, mapped[i], records[i]).notes)
                SayItem(state, records[i], note);
            ++counts.created;
        } else if (CreateOne(state, mapped[i], records[i])) {
            ++counts.created;
        } else {
            ++counts.leftOut;
        }
    }
}

void HandsetRestore::MapGroups()
{
    m_groupNumbers.clear();
    const std::vector<ItemRecord>* groups = m_backup.Records(L"groups");
    if (!groups || !m_profile.KeepsTable(L"groups"))
        return;
    QELDATATYPE kind;
    ComPtr<IDataTable> table = m_session.Table(L"groups", kind);
    std::vector<ComPtr<IItem>> onHandset = TableWalker(table.Get()).Items(kind, false);
    std::vector<ItemContent> wanted, handset;
    for (const ItemRecord& group : *groups)
        wanted.push_back({{L"NAME", group.Text(L"NAME")}});
    for (const auto& group : onHandset)
        handset.push_back({{L"NAME", ColumnText(group.Get(), L"NAME")}});
    // Each backed-up group takes the first handset group of its name that no other took.
    std::vector<bool> taken(onHandset.size(), false);
    for (size_t g = 0; g < groups->size(); ++g) {
        for (size_t h = 0; h < onHandset.size(); ++h) {
            std::vector<bool> pair = HeldOnHandset({wanted[g]}, {handset[h]}, m_otherModel);
            if (taken[h] || !pair[0])
                continue;
            taken[h] = true;
            m_groupNumbers[std::to_wstring((*groups)[g].suid)] = std::to_wstring(ItemSuid(onHandset[h].Get()));
            break;
        }
    }
    // A dry run makes no group: one the run would make stands for itself.
    for (const ItemRecord& group : *groups) {
        if (m_options.dryRun && Selected(L"groups"))
            m_groupNumbers.emplace(std::to_wstring(group.suid), std::to_wstring(group.suid));
    }
}

std::vector<ItemRecord> HandsetRestore::Mapped(const TableState& state)
{
    std::vector<ItemRecord> mapped = *state.records;
    for (ItemRecord& record : mapped) {
        for (NamedValue& column : record.columns) {
            std::wstring text = ValueText(column.value);
            if (state.kind == QELDT_PHONEBOOK && IsGroupColumn(column.name) && Meaningful(text)) {
                auto number = m_groupNumbers.find(text);
                column.value = Retyped(number == m_groupNumbers.end() ? L"0" : number->second, column.value.Type());
            } else if (column.name == L"PHOTO_LOCAL_PATH") {
                // Only a picture of the backup itself goes to the handset, never a PC path
                // the line names.
                column.value = record.picture.empty() ? Variant()
                                                      : Variant::FromText(m_backup.PathOf("items/" + record.picture));
            }
        }
    }
    return mapped;
}

HandsetRestore::PreparedItem HandsetRestore::Prepare(const TableState& state, const ItemRecord& record,
                                                     const ItemRecord& original) const
{
    PreparedItem prepared{NewItem(state.data.Get(), state.kind, state.table->name), {}, {}};
    IItem* item = prepared.item.Get();
    std::vector<std::wstring>& assignments = prepared.assignments;
    std::vector<std::string>& notes = prepared.notes;
    for (const NamedValue& column : record.columns) {
        std::wstring text = ValueText(column.value);
        if (column.name == L"SUID" || column.value.Type() == VT_EMPTY)
            continue;
        if (IsGroupColumn(column.name) && text == L"0" && Meaningful(original.Text(column.name)))
            notes.push_back("its group " + NarrowUtf8(original.Text(column.name)) + " is not on the handset");
        if (column.name == L"PHOTO_LOCAL_PATH" && !original.picture.empty() && !m_keepsPictures) {
            notes.push_back("its picture has no place on the " + m_modelName);
            continue;
        }
        ULONG ordinal = 0;
        LONG found = 0;
        CheckCall(item->GetOrdinal(Bstr(column.name).Get(), &ordinal, &found), "Looking up a column");
        if (!found) {
            if (Meaningful(text))
                notes.push_back(NarrowUtf8(column.name) + " \"" + NarrowUtf8(text) + "\" has no place on the " + m_modelName);
            continue;
        }
        HRESULT hr = item->SetValue(ordinal, column.value.Get());
        if (FAILED(hr)) {
            notes.push_back(NarrowUtf8(column.name) + " \"" + NarrowUtf8(text) + "\" was not taken: " + MeaningOf(hr));
            continue;
        }
        if (SaysWhatItHolds(column.name, text, record))
            assignments.push_back(column.name + L"=" + text);
    }
    return prepared;
}

bool HandsetRestore::CreateOne(const TableState& state, const ItemRecord& record, const ItemRecord& original)
{
    PreparedItem prepared = Prepare(state, record, original);
    IItem* item = prepared.item.Get();
    std::vector<std::string>& notes = prepared.notes;
    SUID suid = 0;
    HRESULT hr = state.data->CreateItem(item, &suid);
    if (FAILED(hr)) {
        if (TableWalker::LinkFailed(hr))
            CheckCall(hr, "Restoring an item");
        try {
            CheckCall(hr, "The handset refused it");
        } catch (const ComFailure& refused) {
            SayItem(state, original, std::string("not restored: ") + refused.what());
        }
        m_changed = true;
        return false;
    }
    for (const std::string& change : HandsetChanges::Between(prepared.assignments, item))
        notes.push_back(change);
    if (!original.picture.empty() && m_keepsPictures && ColumnText(item, L"PHOTO_TYPE") != L"IMAGE_PHOTO")
        notes.push_back("its picture was not kept: the handset cannot show it");
    printf("created SUID %ld: %s\n", static_cast<long>(suid), Shown(Label(*state.table, original)).c_str());
    fflush(stdout);  // what is said as created must be seen even if the run is killed
    for (const std::string& note : notes)
        SayItem(state, original, note);
    m_changed = m_changed || !notes.empty();
    return true;
}

void HandsetRestore::SayTable(const TableState& state, const Counts& counts) const
{
    bool dry = m_options.dryRun;
    printf("%s: %zu %s, %zu held already, %zu %s, %zu left out\n", NarrowUtf8(state.table->name).c_str(),
           counts.created, dry ? "to create" : "created", counts.held, counts.deleted, dry ? "to delete" : "deleted",
           counts.leftOut);
    fflush(stdout);
}

void HandsetRestore::SayItem(const TableState& state, const ItemRecord& record, const std::string& line)
{
    fflush(stdout);
    fprintf(stderr, "%s: %s\n", Shown(Label(*state.table, record)).c_str(), Shown(line).c_str());
    m_changed = true;
}

}  // namespace kelvra::host
