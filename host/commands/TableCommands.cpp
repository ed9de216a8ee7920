#include "TableCommands.h"

#include <cstdio>
#include <functional>

#include "ComFailure.h"
#include "DevInfSummary.h"
#include "ExitCode.h"
#include "HandsetChanges.h"
#include "HandsetLimits.h"
#include "ItemColumns.h"
#include "ItemPrinter.h"
#include "ModelCatalogue.h"
#include "ModelProfileText.h"
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

// What a table that does not offer an operation offers instead: such a table answers
// E_NOTIMPL, which says nothing to a person.
std::string OtherUses(const std::wstring& table)
{
    if (table == L"sms")
        return "its messages are listed and counted, and send-sms sends one";
    if (table == L"mms")
        return "its messages are listed and counted, fetch-mms saves one and send-mms sends one";
    if (table == L"metadata")
        return "devinf shows its DevInf document";
    if (table == L"files")
        return "ls, get, put, mkdir, rm, rmdir, mv and df work on the handset's files";
    return "help lists the commands";
}

// Runs a table command, turning "not offered" into words.
int Offered(const CommandLine& line, const char* operation, const std::function<int()>& work)
{
    try {
        return work();
    } catch (const ComFailure& failure) {
        if (failure.Result() != E_NOTIMPL)
            throw;
        throw BadValue("the " + NarrowUtf8(line.Word(1)) + " table does not " + operation + "; " + OtherUses(line.Word(1)));
    }
}

int Tables(SyncSession& session)
{
    // The component hands out a table for every kind it knows; whether the model keeps
    // such records is the profile's to say.
    ModelProfileText profile = ModelProfileText::Of(session.Model());
    for (const wchar_t* const* name = SyncSession::Names(); *name; ++name) {
        NamedTable named;
        SyncSession::Lookup(*name, named);
        std::string state = !session.Table(named.id)     ? "not offered"
                            : !profile.KeepsTable(*name) ? "not kept by the " + profile.ModelName()
                                                         : "available";
        printf("%-10s %s\n", NarrowUtf8(*name).c_str(), state.c_str());
    }
    return kOk;
}

int List(SyncSession& session, const CommandLine& line)
{
    QELDATATYPE kind;
    ComPtr<IDataTable> table = KeptTable(session, line.Word(1), kind);
    std::vector<ComPtr<IItem>> items = TableWalker(table.Get()).Items(kind, true);
    fputs((line.json ? ItemsAsJson(items) : ItemsAsText(items)).c_str(), stdout);
    return kOk;
}

int Count(SyncSession& session, const CommandLine& line)
{
    QELDATATYPE kind;
    ComPtr<IDataTable> table = KeptTable(session, line.Word(1), kind);
    size_t count = 0;
    // The phonebook's own count takes in every group record, the handset's "no group"
    // at index 0 too, and the MMS table counts its last listing: these count what a
    // listing shows, so that count and list agree.
    if (line.Word(1) == L"phonebook" || kind == QELDT_GROUP || kind == QELDT_MMS) {
        count = TableWalker(table.Get()).Items(kind, false).size();
    } else {
        ULONG counted = 0;
        CheckCall(table->GetItemCount(nullptr, 0, kind, &counted), "Counting the items");
        count = counted;
    }
    if (line.json)
        printf("{\"table\": %s, \"count\": %zu}\n", JsonString(line.Word(1)).c_str(), count);
    else
        printf("%zu\n", count);
    return kOk;
}

int DevInf(SyncSession& session, const CommandLine& line)
{
    std::wstring text = HandsetLimits::DevInfDocument(session);
    if (!line.summary) {
        std::string document = line.json ? "{\"devinf\": " + JsonString(text) + "}\n" : NarrowUtf8(text);
        fputs(document.c_str(), stdout);
        return kOk;
    }
    std::vector<StoreLimits> stores = HandsetLimits::Stores(session, text);
    fputs((line.json ? DevInfSummary::Json(stores) : DevInfSummary::Text(stores)).c_str(), stdout);
    return kOk;
}

int Create(SyncSession& session, const CommandLine& line)
{
    QELDATATYPE kind;
    ComPtr<IDataTable> table = KeptTable(session, line.Word(1), kind);
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
    ComPtr<IDataTable> table = KeptTable(session, line.Word(1), kind);
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

int Delete(SyncSession& session, const CommandLine& line, SUID suid)
{
    QELDATATYPE kind;
    ComPtr<IDataTable> table = KeptTable(session, line.Word(1), kind);
    ComPtr<IItem> item = FindItem(table.Get(), kind, suid);
    size_t contacts = kind == QELDT_GROUP ? ClearGroupFromContacts(table.Get(), suid) : 0;
    CheckCall(table->DeleteItem(item.Get()), "Deleting the item");
    printf("deleted SUID %ld", static_cast<long>(suid));
    if (kind == QELDT_GROUP)
        printf("; %zu contact%s no longer in it", contacts, contacts == 1 ? " is" : "s are");
    printf("\n");
    return kOk;
}

}  // namespace

ComPtr<IDataTable> KeptTable(SyncSession& session, const std::wstring& name, QELDATATYPE& kind)
{
    ComPtr<IDataTable> table = session.Table(name, kind);
    ModelProfileText profile = ModelProfileText::Of(session.Model());
    if (!profile.KeepsTable(name))
        throw BadValue("the " + profile.ModelName() + " keeps no " + NarrowUtf8(name) +
                       "; the tables command lists what it keeps");
    return table;
}

ComPtr<IItem> NewItem(IDataTable* table, QELDATATYPE kind, const std::wstring& tableName)
{
    ComPtr<IItem> item;
    CheckCall(table->NewItem(kind, 0, 0, item.GetAddressOf()), "Making a new item");
    if (!item)
        throw BadValue("the " + NarrowUtf8(tableName) + " table makes no new items");
    return item;
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
    return [&line](SyncSession& session) { return Offered(line, "list items", [&] { return List(session, line); }); };
}

HandsetWork StartCount(const CommandLine& line)
{
    return [&line](SyncSession& session) { return Offered(line, "count items", [&] { return Count(session, line); }); };
}

HandsetWork StartDevInf(const CommandLine& line)
{
    return [&line](SyncSession& session) { return DevInf(session, line); };
}

HandsetWork StartCreate(const CommandLine& line)
{
    return [&line](SyncSession& session) {
        return Offered(line, "create items", [&] { return Create(session, line); });
    };
}

HandsetWork StartUpdate(const CommandLine& line)
{
    SUID suid = ParseSuid(line.Word(2));
    return [&line, suid](SyncSession& session) {
        return Offered(line, "update items", [&] { return Update(session, line, suid); });
    };
}

HandsetWork StartDelete(const CommandLine& line)
{
    SUID suid = ParseSuid(line.Word(2));
    return [&line, suid](SyncSession& session) {
        return Offered(line, "delete items", [&] { return Delete(session, line, suid); });
    };
}

HandsetWork StartModels(const CommandLine& line)
{
    std::string json;
    for (const BuiltInModel& model : ModelCatalogue::Load()) {
        if (!line.json)
            printf("%d  %s\n", model.id, NarrowUtf8(model.name).c_str());
        json += std::string(json.empty() ? "[\n" : ",\n") + " {\"id\": " + std::to_string(model.id) +
                ", \"name\": " + JsonString(model.name) + "}";
    }
    if (line.json)
        fputs((json.empty() ? "[]\n" : json + "\n]\n").c_str(), stdout);
    return {};
}

}  // namespace kelvra::host
