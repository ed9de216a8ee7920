#include "TableCommands.h"

#include <cstdio>

#include "ComFailure.h"
#include "DevInfSummary.h"
#include "ExitCode.h"
#include "HandsetChanges.h"
#include "ItemColumns.h"
#include "ItemPrinter.h"
#include "ModelCatalogue.h"
#include "NumberCheck.h"
#include "TableWalker.h"

namespace kelvra::host {

namespace {

ComPtr<IItem> FindItem(IDataTable* table, QELDATATYPE kind, SUID suid)
{
    for (const auto& item : TableWalker(table).Items(kind, false)) {
        if (ItemSuid(item.Get()) == suid)
            return item;
    }
    throw BadValue("there is no item with SUID " + std::to_string(suid));
}

int Tables(SyncSession& session)
{
    for (const wchar_t* const* name = SyncSession::Names(); *name; ++name) {
        NamedTable named;
        SyncSession::Lookup(*name, named);
        printf("%-10s %s\n", NarrowUtf8(*name).c_str(), session.Table(named.id) ? "available" : "not offered");
    }
    return kOk;
}

int List(SyncSession& session, const CommandLine& line)
{
    QELDATATYPE kind;
    ComPtr<IDataTable> table = session.Table(line.Word(1), kind);
    std::vector<ComPtr<IItem>> items = TableWalker(table.Get()).Items(kind, true);
    fputs((line.json ? ItemsAsJson(items) : ItemsAsText(items)).c_str(), stdout);
    return kOk;
}

int Count(SyncSession& session, const CommandLine& line)
{
    QELDATATYPE kind;
    ComPtr<IDataTable> table = session.Table(line.Word(1), kind);
    bool phonebook = line.Word(1) == L"phonebook" || line.Word(1) == L"groups";
    // The phonebook counts its contacts and groups together; the groups come first in
    // its listing, so walking them gives the split.
    size_t groups = phonebook ? TableWalker(table.Get()).Items(QELDT_GROUP, false).size() : 0;
    if (kind == QELDT_GROUP) {
        printf("%zu\n", groups);
        return kOk;
    }
    if (kind == QELDT_MMS) {  // the MMS table counts the messages of its last listing
        printf("%zu\n", TableWalker(table.Get()).Items(kind, false).size());
        return kOk;
    }
    ULONG count = 0;
    CheckCall(table->GetItemCount(nullptr, 0, kind, &count), "Counting the items");
    printf("%lu\n", static_cast<unsigned long>(count >= groups ? count - groups : 0));
    return kOk;
}

int DevInf(SyncSession& session, const CommandLine& line)
{
    ComPtr<IDataTable> metadata = session.Table(DTID_METADATA);
    if (!metadata)
        throw ComFailure(E_NOTIMPL, "This model offers no metadata table, so no DevInf document");
    Bstr text;
    CheckCall(metadata->GetProperty(Bstr(L"DevInf").Get(), text.Out()), "Asking for the DevInf document");
    fputs(line.summary ? DevInfSummary::Of(text.Str()).c_str() : NarrowUtf8(text.Str()).c_str(), stdout);
    return kOk;
}

int Create(SyncSession& session, const CommandLine& line)
{
    QELDATATYPE kind;
    ComPtr<IDataTable> table = session.Table(line.Word(1), kind);
    std::vector<std::wstring> assignments = line.Rest(2);
    std::vector<std::string> changes = NumberCheck::Assignments(session, line.Word(1), assignments), stored;
    SUID suid = CreateItem(table.Get(), kind, assignments, &stored, line.Word(1));
    changes.insert(changes.end(), stored.begin(), stored.end());
    printf("created SUID %ld\n", static_cast<long>(suid));
    return SayChanges("SUID " + std::to_string(suid), changes) ? kHandsetChanged : kOk;
}

int Update(SyncSession& session, const CommandLine& line, SUID suid)
{
    QELDATATYPE kind;
    ComPtr<IDataTable> table = session.Table(line.Word(1), kind);
    std::vector<std::wstring> assignments = line.Rest(3);
    std::vector<std::string> changes = NumberCheck::Assignments(session, line.Word(1), assignments);
    ComPtr<IItem> item = FindItem(table.Get(), kind, suid);
    ApplyAssignments(item.Get(), assignments);
    CheckCall(table->UpdateItem(item.Get()), "Updating the item");
    SUID now = ItemSuid(item.Get());
    if (now != suid)  // a calendar entry that changed its kind moved to another store
        printf("updated SUID %ld; it is now SUID %ld\n", static_cast<long>(suid), static_cast<long>(now));
    else
        printf("updated SUID %ld\n", static_cast<long>(suid));
    for (const std::string& change : HandsetChanges::Between(assignments, item.Get()))
        changes.push_back(change);
    return SayChanges("SUID " + std::to_string(suid), changes) ? kHandsetChanged : kOk;
}

// Takes a group off every contact that names it, so that no contact ends up in the group
// that reuses its number later. Returns how many contacts changed.
size_t ClearGroupFromContacts(IDataTable* phonebook, SUID group)
{
    const std::wstring number = std::to_wstring(group);
    size_t changed = 0;
    for (const auto& contact : TableWalker(phonebook).Items(QELDT_PHONEBOOK, false)) {
        bool named = false;
        for (int slot = 0; slot < 10; ++slot) {
            std::wstring column = L"GROUP_ID_" + std::to_wstring(slot);
            if (ColumnText(contact.Get(), column) == number) {
                SetColumnText(contact.Get(), column, L"0");  // 0 is "no group"
                named = true;
            }
        }
        if (!named)
            continue;
        CheckCall(phonebook->UpdateItem(contact.Get()), "Taking the group off a contact");
        ++changed;
    }
    return changed;
}

int Delete(SyncSession& session, const CommandLine& line, SUID suid)
{
    QELDATATYPE kind;
    ComPtr<IDataTable> table = session.Table(line.Word(1), kind);
    ComPtr<IItem> item = FindItem(table.Get(), kind, suid);
    size_t contacts = kind == QELDT_GROUP ? ClearGroupFromContacts(table.Get(), suid) : 0;
    CheckCall(table->DeleteItem(item.Get()), "Deleting the item");
    printf("deleted SUID %ld", static_cast<long>(suid));
    if (kind == QELDT_GROUP)
        printf("; %zu contact%s no longer in it", contacts, contacts == 1 ? " is" : "s are");
    printf("\n");
    return kOk;
}

ComPtr<IItem> NewItem(IDataTable* table, QELDATATYPE kind, const std::wstring& tableName)
{
    ComPtr<IItem> item;
    CheckCall(table->NewItem(kind, 0, 0, item.GetAddressOf()), "Making a new item");
    if (!item)
        throw BadValue("the " + NarrowUtf8(tableName) + " table makes no new items");
    return item;
}

}  // namespace

SUID CreateItem(IDataTable* table, QELDATATYPE kind, const std::vector<std::wstring>& assignments,
                std::vector<std::string>* changes, const std::wstring& tableName)
{
    ComPtr<IItem> item = NewItem(table, kind, tableName);
    ApplyAssignments(item.Get(), assignments);
    SUID suid = 0;
    CheckCall(table->CreateItem(item.Get(), &suid), "Creating the item");
    if (changes)
        *changes = HandsetChanges::Between(assignments, item.Get());
    return suid;
}

bool SayChanges(const std::string& who, const std::vector<std::string>& changes)
{
    fflush(stdout);
    for (const std::string& change : changes)
        fprintf(stderr, "%s: %s\n", who.c_str(), change.c_str());
    return !changes.empty();
}

HandsetWork StartTables(const CommandLine&)
{
    return Tables;
}

HandsetWork StartList(const CommandLine& line)
{
    return [&line](SyncSession& session) { return List(session, line); };
}

HandsetWork StartCount(const CommandLine& line)
{
    return [&line](SyncSession& session) { return Count(session, line); };
}

HandsetWork StartDevInf(const CommandLine& line)
{
    return [&line](SyncSession& session) { return DevInf(session, line); };
}

HandsetWork StartCreate(const CommandLine& line)
{
    return [&line](SyncSession& session) { return Create(session, line); };
}

HandsetWork StartUpdate(const CommandLine& line)
{
    SUID suid = ParseSuid(line.Word(2));
    return [&line, suid](SyncSession& session) { return Update(session, line, suid); };
}

HandsetWork StartDelete(const CommandLine& line)
{
    SUID suid = ParseSuid(line.Word(2));
    return [&line, suid](SyncSession& session) { return Delete(session, line, suid); };
}

HandsetWork StartModels(const CommandLine&)
{
    for (const BuiltInModel& model : ModelCatalogue::Load())
        printf("%d  %s\n", model.id, NarrowUtf8(model.name).c_str());
    return {};
}

}  // namespace kelvra::host
