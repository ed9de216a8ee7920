// kelvra-sync: a host program that syncs a handset through the component, as the
// synchronisation suite does, with the handset simulator standing in for the phone.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <cerrno>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "ComFailure.h"
#include "DevInfSummary.h"
#include "FileSync.h"
#include "HandsetChanges.h"
#include "ICalendarReader.h"
#include "ICalendarWriter.h"
#include "ItemColumns.h"
#include "ItemPrinter.h"
#include "MessageSync.h"
#include "ModelCatalogue.h"
#include "OrganizerSync.h"
#include "SyncSession.h"
#include "TableWalker.h"
#include "VCardImport.h"
#include "VCardReader.h"
#include "VCardWriter.h"
#include "WholeFile.h"

using namespace kelvra;
using namespace kelvra::tools;

namespace {

enum ExitCode { kOk = 0, kUsage = 1, kComponentFailure = 2, kInputFailure = 3, kHandsetChanged = 4 };

const char kUsageText[] =
    "usage: kelvra-sync [--handset FOLDER] [--model ID] [--sim-fault FAULT] [--json] COMMAND ...\n"
    "commands:\n"
    "  tables                         the tables of the connected model\n"
    "  list TABLE                     the items of a table (--json for JSON)\n"
    "  count TABLE                    how many items the table holds\n"
    "  devinf [--summary]             what the model can store (DevInf document, or its limits)\n"
    "  create TABLE COLUMN=VALUE...   a new item; prints its SUID\n"
    "  update TABLE SUID COLUMN=VALUE...\n"
    "  delete TABLE SUID              deleting a group first takes it off its contacts\n"
    "  export-vcard FILE              the phonebook as vCard 3.0\n"
    "  import-vcard [--duplicates] FILE\n"
    "                                 creates the contacts of a vCard file (2.1, 3.0 or 4.0);\n"
    "                                 contacts the handset already holds are left out\n"
    "                                 unless --duplicates is given\n"
    "  export-ics FILE                the calendar, tasks and memos as iCalendar 2.0\n"
    "  import-ics FILE                creates the entries of an iCalendar file\n"
    "  send-sms [--card 1|2] NUMBER TEXT\n"
    "                                 sends an SMS through the handset (card 1 unless given)\n"
    "  export-sms FILE                every stored SMS as JSON (folder, party, time, text)\n"
    "  fetch-mms SUID FILE            saves the content of an MMS (see list mms) to FILE\n"
    "  send-mms FILE                  sends the content of FILE as a new MMS\n"
    "  ls [PATH]                      the handset's folders and files, or one folder's;\n"
    "                                 paths are /Images/a.jpg (phone) or card:/Music (card)\n"
    "  get PATH PC-FILE               copies a handset file to the PC (Ctrl-C cancels)\n"
    "  put PC-FILE FOLDER             copies a PC file into a handset folder (Ctrl-C cancels)\n"
    "  mkdir PATH | rmdir PATH | rm PATH\n"
    "                                 makes or removes a folder, removes a file\n"
    "  mv PATH NEW-NAME               renames a file or folder in place\n"
    "  df                             the phone memory's and the card's use\n"
    "  seed-demo                      fills an empty handset with demo data\n"
    "  models                         the models --model takes\n"
    "  help                           this text (also --help, -h)\n"
    "tables: phonebook groups card card2 metadata calendar tasks memos sms mms\n"
    "--handset: the folder where the simulated handset keeps its state\n"
    "--model: the built-in profile of the simulated model (202 = KTM-A280; see models)\n"
    "--sim-fault: timeout, short-reply, wrong-code or garbage-length, to try failures\n"
    "exit codes: 0 done; 1 usage error or bad value; 2 the component or handset failed;\n"
    "  3 a file could not be read or written, or is no vCard file; 4 done, but the\n"
    "  handset changed or left out data, as the lines on stderr say\n";

const wchar_t* const kFaults[] = {L"timeout", L"short-reply", L"wrong-code", L"garbage-length"};

struct CommandLine {
    SessionOptions session;
    bool modelGiven = false;
    bool json = false;
    bool duplicates = false;
    bool summary = false;
    bool help = false;
    int card = 0;  // 0 when not given
    std::vector<std::wstring> words;
};

// A command, how many words it needs after its name, what they are, and whether the
// first names a table.
struct CommandShape {
    const wchar_t* name;
    size_t arguments;
    const char* needs;
    bool table;
};

const CommandShape kCommands[] = {
    {L"tables", 0, "", false},
    {L"list", 1, "a table name", true},
    {L"count", 1, "a table name", true},
    {L"devinf", 0, "", false},
    {L"create", 1, "a table name", true},
    {L"update", 2, "a table name and a SUID", true},
    {L"delete", 2, "a table name and a SUID", true},
    {L"export-vcard", 1, "a file name", false},
    {L"import-vcard", 1, "a file name", false},
    {L"seed-demo", 0, "", false},
    {L"models", 0, "", false},
    {L"help", 0, "", false},
    {L"export-ics", 1, "a file name", false},
    {L"import-ics", 1, "a file name", false},
    {L"send-sms", 2, "a number and a text", false},
    {L"export-sms", 1, "a file name", false},
    {L"fetch-mms", 2, "a SUID and a file name", false},
    {L"send-mms", 1, "a file name", false},
    {L"ls", 0, "", false},
    {L"get", 2, "a handset path and a PC file", false},
    {L"put", 2, "a PC file and a handset folder", false},
    {L"mkdir", 1, "a handset path", false},
    {L"rm", 1, "a handset path", false},
    {L"rmdir", 1, "a handset path", false},
    {L"mv", 2, "a handset path and a new name", false},
    {L"df", 0, "", false},
};

std::wstring DefaultHandsetFolder()
{
    wchar_t path[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path);
    return std::wstring(path) + L"\\Kelvra Handset";
}

CommandLine Parse(int argc, wchar_t** argv)
{
    CommandLine line;
    line.session.handsetFolder = DefaultHandsetFolder();
    for (int i = 1; i < argc; ++i) {
        std::wstring word = argv[i];
        auto value = [&]() -> std::wstring {
            if (i + 1 >= argc)
                throw UsageError(NarrowUtf8(word) + " needs a value");
            return argv[++i];
        };
        if (word == L"--help" || word == L"-h") {
            line.help = true;
        } else if (word == L"--handset") {
            line.session.handsetFolder = value();
        } else if (word == L"--model") {
            std::wstring id = value();
            wchar_t* end = nullptr;
            long model = wcstol(id.c_str(), &end, 10);
            if (id.empty() || *end != L'\0' || model <= 0 || model > 0xFFFF)
                throw BadValue("\"" + NarrowUtf8(id) + "\" is not a model number; the models command lists them");
            line.session.model = static_cast<int>(model);
            line.modelGiven = true;
        } else if (word == L"--sim-fault") {
            line.session.fault = value();
        } else if (word == L"--json") {
            line.json = true;
        } else if (word == L"--duplicates") {
            line.duplicates = true;
        } else if (word == L"--card") {
            std::wstring card = value();
            if (card != L"1" && card != L"2")
                throw BadValue("--card takes 1 or 2, not \"" + NarrowUtf8(card) + "\"");
            line.card = card == L"1" ? 1 : 2;
        } else if (word == L"--summary") {
            line.summary = true;
        } else if (word.size() > 1 && word[0] == L'-') {
            throw UsageError("unknown option \"" + NarrowUtf8(word) + "\"");
        } else {
            line.words.push_back(word);
        }
    }
    if (!line.words.empty() && line.words[0] == L"help")
        line.help = true;
    if (line.words.empty() && !line.help)
        throw UsageError("no command given");
    return line;
}

// Everything that can be checked without the handset is checked before it is opened, so
// that a mistyped command leaves nothing behind.
void Validate(const CommandLine& line)
{
    const std::wstring& command = line.words[0];
    const CommandShape* shape = nullptr;
    for (const CommandShape& candidate : kCommands) {
        if (command == candidate.name)
            shape = &candidate;
    }
    if (!shape)
        throw UsageError("unknown command \"" + NarrowUtf8(command) + "\"");
    if (line.words.size() < 1 + shape->arguments)
        throw UsageError(NarrowUtf8(command) + " needs " + shape->needs);
    if (line.card && command != L"send-sms")
        throw UsageError("--card goes with send-sms only");
    NamedTable named;
    if (shape->table && !SyncSession::Lookup(line.words[1], named))
        throw UsageError("unknown table \"" + NarrowUtf8(line.words[1]) + "\"");
    if (!line.session.fault.empty()) {
        bool known = false;
        for (const wchar_t* fault : kFaults)
            known = known || line.session.fault == fault;
        if (!known)
            throw UsageError("unknown fault \"" + NarrowUtf8(line.session.fault) + "\"");
    }
}

void CheckModel(int id)
{
    std::string known;
    for (const BuiltInModel& model : ModelCatalogue::Load()) {
        if (model.id == id)
            return;
        known += (known.empty() ? "" : ", ") + std::to_string(model.id) + " (" + NarrowUtf8(model.name) + ")";
    }
    throw BadValue("there is no built-in model " + std::to_string(id) + "; the models are " + known);
}

// A table by the name a person uses; a model without it is a bad value, not a usage error.
ComPtr<IDataTable> OpenTable(SyncSession& session, const std::wstring& name, QELDATATYPE& kind)
{
    NamedTable named;
    if (!SyncSession::Lookup(name, named))
        throw UsageError("unknown table \"" + NarrowUtf8(name) + "\"");
    ComPtr<IDataTable> table = session.Table(named.id);
    if (!table)
        throw BadValue("this model offers no " + NarrowUtf8(name) + " table; the tables command lists those it has");
    kind = named.itemType;
    return table;
}

const std::wstring& Word(const CommandLine& line, size_t index)
{
    return line.words.at(index);  // Validate made sure the words are there
}

SUID ParseSuid(const std::wstring& text)
{
    wchar_t* end = nullptr;
    errno = 0;
    long value = wcstol(text.c_str(), &end, 10);
    if (text.empty() || *end != L'\0' || value < 0 || errno == ERANGE || value > 0x7FFFFFFF)
        throw BadValue("\"" + NarrowUtf8(text) + "\" is not a SUID");
    return static_cast<SUID>(value);
}

std::vector<std::wstring> Rest(const CommandLine& line, size_t from)
{
    return std::vector<std::wstring>(line.words.begin() + static_cast<std::ptrdiff_t>(std::min(from, line.words.size())),
                                     line.words.end());
}

ComPtr<IItem> FindItem(IDataTable* table, QELDATATYPE kind, SUID suid)
{
    for (const auto& item : TableWalker(table).Items(kind, false)) {
        if (ItemSuid(item.Get()) == suid)
            return item;
    }
    throw BadValue("there is no item with SUID " + std::to_string(suid));
}

// Lines on stderr for what the handset changed; true when there were any.
bool SayChanges(const std::string& who, const std::vector<std::string>& changes)
{
    fflush(stdout);
    for (const std::string& change : changes)
        fprintf(stderr, "%s: %s\n", who.c_str(), change.c_str());
    return !changes.empty();
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

int Models()
{
    for (const BuiltInModel& model : ModelCatalogue::Load())
        printf("%d  %s\n", model.id, NarrowUtf8(model.name).c_str());
    return kOk;
}

int List(SyncSession& session, const CommandLine& line)
{
    QELDATATYPE kind;
    ComPtr<IDataTable> table = OpenTable(session, Word(line, 1), kind);
    std::vector<ComPtr<IItem>> items = TableWalker(table.Get()).Items(kind, true);
    fputs((line.json ? ItemsAsJson(items) : ItemsAsText(items)).c_str(), stdout);
    return kOk;
}

int Count(SyncSession& session, const CommandLine& line)
{
    QELDATATYPE kind;
    ComPtr<IDataTable> table = OpenTable(session, Word(line, 1), kind);
    bool phonebook = Word(line, 1) == L"phonebook" || Word(line, 1) == L"groups";
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

ComPtr<IItem> NewItem(IDataTable* table, QELDATATYPE kind, const std::wstring& tableName)
{
    ComPtr<IItem> item;
    CheckCall(table->NewItem(kind, 0, 0, item.GetAddressOf()), "Making a new item");
    if (!item)
        throw BadValue("the " + NarrowUtf8(tableName) + " table makes no new items");
    return item;
}

SUID CreateItem(IDataTable* table, QELDATATYPE kind, const std::vector<std::wstring>& assignments,
                std::vector<std::string>* changes = nullptr, const std::wstring& tableName = L"phonebook")
{
    ComPtr<IItem> item = NewItem(table, kind, tableName);
    ApplyAssignments(item.Get(), assignments);
    SUID suid = 0;
    CheckCall(table->CreateItem(item.Get(), &suid), "Creating the item");
    if (changes)
        *changes = HandsetChanges::Between(assignments, item.Get());
    return suid;
}

int Create(SyncSession& session, const CommandLine& line)
{
    QELDATATYPE kind;
    ComPtr<IDataTable> table = OpenTable(session, Word(line, 1), kind);
    std::vector<std::string> changes;
    SUID suid = CreateItem(table.Get(), kind, Rest(line, 2), &changes, Word(line, 1));
    printf("created SUID %ld\n", static_cast<long>(suid));
    return SayChanges("SUID " + std::to_string(suid), changes) ? kHandsetChanged : kOk;
}

int Update(SyncSession& session, const CommandLine& line)
{
    QELDATATYPE kind;
    ComPtr<IDataTable> table = OpenTable(session, Word(line, 1), kind);
    SUID suid = ParseSuid(Word(line, 2));
    ComPtr<IItem> item = FindItem(table.Get(), kind, suid);
    std::vector<std::wstring> assignments = Rest(line, 3);
    ApplyAssignments(item.Get(), assignments);
    CheckCall(table->UpdateItem(item.Get()), "Updating the item");
    SUID now = ItemSuid(item.Get());
    if (now != suid)  // a calendar entry that changed its kind moved to another store
        printf("updated SUID %ld; it is now SUID %ld\n", static_cast<long>(suid), static_cast<long>(now));
    else
        printf("updated SUID %ld\n", static_cast<long>(suid));
    return SayChanges("SUID " + std::to_string(suid), HandsetChanges::Between(assignments, item.Get()))
               ? kHandsetChanged
               : kOk;
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

int Delete(SyncSession& session, const CommandLine& line)
{
    QELDATATYPE kind;
    ComPtr<IDataTable> table = OpenTable(session, Word(line, 1), kind);
    SUID suid = ParseSuid(Word(line, 2));
    ComPtr<IItem> item = FindItem(table.Get(), kind, suid);
    size_t contacts = kind == QELDT_GROUP ? ClearGroupFromContacts(table.Get(), suid) : 0;
    CheckCall(table->DeleteItem(item.Get()), "Deleting the item");
    printf("deleted SUID %ld", static_cast<long>(suid));
    if (kind == QELDT_GROUP)
        printf("; %zu contact%s no longer in it", contacts, contacts == 1 ? " is" : "s are");
    printf("\n");
    return kOk;
}

std::map<std::wstring, std::wstring> GroupNames(IDataTable* phonebook)
{
    std::map<std::wstring, std::wstring> names;
    for (const auto& group : TableWalker(phonebook).Items(QELDT_GROUP, false))
        names[std::to_wstring(ItemSuid(group.Get()))] = ColumnText(group.Get(), L"NAME");
    return names;
}

int ExportVCard(SyncSession& session, const CommandLine& line)
{
    std::wstring path = Word(line, 1);
    QELDATATYPE kind;
    ComPtr<IDataTable> phonebook = OpenTable(session, L"phonebook", kind);
    std::map<std::wstring, std::wstring> groups = GroupNames(phonebook.Get());
    std::string text;
    std::vector<ComPtr<IItem>> contacts = TableWalker(phonebook.Get()).Items(QELDT_PHONEBOOK, true);
    for (const auto& contact : contacts) {
        std::map<std::wstring, std::wstring> columns;
        for (const NamedValue& column : ReadColumns(contact.Get()))
            columns[column.name] = ValueText(column.value);
        text += VCardWriter::Write(columns, groups);
    }
    WriteWhole(path, text);
    printf("exported %zu contacts to %s\n", contacts.size(), NarrowUtf8(path).c_str());
    return kOk;
}

// A file read whole, before the handset is opened: a file that is missing or not what
// the command needs leaves the handset untouched. Its reader's complaint names the file.
template <class Reader>
auto ReadFileWith(const std::wstring& path, Reader read)
{
    std::string bytes = ReadWhole(path);
    try {
        return read(bytes);
    } catch (const InputError& e) {
        throw InputError(NarrowUtf8(path) + ": " + e.what());
    }
}

int ImportVCard(SyncSession& session, const CommandLine& line, const std::vector<VCardContact>& contacts)
{
    QELDATATYPE kind;
    ComPtr<IDataTable> phonebook = OpenTable(session, L"phonebook", kind);
    return VCardImport(phonebook.Get(), line.duplicates).Run(contacts) ? kOk : kHandsetChanged;
}

int ExportIcs(SyncSession& session, const CommandLine& line)
{
    std::wstring path = Word(line, 1);
    std::vector<OrganizerEntry> entries = OrganizerSync(session).Entries();
    SYSTEMTIME now = {};
    GetSystemTime(&now);
    char stamp[32];
    snprintf(stamp, sizeof(stamp), "%04u%02u%02uT%02u%02u%02uZ", now.wYear, now.wMonth, now.wDay, now.wHour,
             now.wMinute, now.wSecond);
    WriteWhole(path, ICalendarWriter::Write(entries, stamp));
    printf("exported %zu entries to %s\n", entries.size(), NarrowUtf8(path).c_str());
    return kOk;
}

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
    ComPtr<IDataTable> phonebook = OpenTable(session, L"phonebook", kind);
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
    ComPtr<IDataTable> card = OpenTable(session, L"card", kind);
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

int SendSms(SyncSession& session, const CommandLine& line)
{
    int card = line.card ? line.card : 1;
    MessageSync(session).SendSms(Word(line, 1), Word(line, 2), card);
    printf("sent the SMS to %s from card %d\n", NarrowUtf8(Word(line, 1)).c_str(), card);
    return kOk;
}

int ExportSms(SyncSession& session, const CommandLine& line)
{
    size_t count = MessageSync(session).ExportSms(Word(line, 1));
    printf("exported %zu SMS to %s\n", count, NarrowUtf8(Word(line, 1)).c_str());
    return kOk;
}

int FetchMms(SyncSession& session, const CommandLine& line)
{
    SUID suid = ParseSuid(Word(line, 1));
    size_t size = MessageSync(session).FetchMms(suid, Word(line, 2));
    printf("saved MMS %ld (%zu bytes) to %s\n", static_cast<long>(suid), size, NarrowUtf8(Word(line, 2)).c_str());
    return kOk;
}

int SendMms(SyncSession& session, const CommandLine& line, size_t size)
{
    MessageSync(session).SendMms(Word(line, 1));
    printf("sent %s (%zu bytes) as an MMS\n", NarrowUtf8(Word(line, 1)).c_str(), size);
    return kOk;
}

// The handset paths of a file command, checked before the handset is opened.
std::vector<HandsetPlace> HandsetPlaces(const CommandLine& line)
{
    const std::wstring& command = line.words[0];
    std::vector<HandsetPlace> paths;
    if (command == L"ls" && line.words.size() > 1)
        paths.push_back(HandsetPlace::Parse(Word(line, 1)));
    if (command == L"get" || command == L"mkdir" || command == L"rm" || command == L"rmdir" || command == L"mv")
        paths.push_back(HandsetPlace::Parse(Word(line, 1)));
    if (command == L"put")
        paths.push_back(HandsetPlace::Parse(Word(line, 2)));
    return paths;
}

int RunFileCommand(SyncSession& session, const CommandLine& line, const std::vector<HandsetPlace>& paths)
{
    const std::wstring& command = line.words[0];
    FileSync files(session);
    if (command == L"ls") {
        fputs((paths.empty() ? files.Tree() : files.Folder(paths[0])).c_str(), stdout);
    } else if (command == L"get") {
        uint64_t size = files.Get(paths[0], Word(line, 2));
        printf("copied %s (%llu bytes) to %s\n", NarrowUtf8(paths[0].Shown()).c_str(),
               static_cast<unsigned long long>(size), NarrowUtf8(Word(line, 2)).c_str());
    } else if (command == L"put") {
        uint64_t size = files.Put(Word(line, 1), paths[0]);
        printf("copied %s (%llu bytes) into %s\n", NarrowUtf8(Word(line, 1)).c_str(),
               static_cast<unsigned long long>(size), NarrowUtf8(paths[0].Shown()).c_str());
    } else if (command == L"mkdir") {
        files.MakeFolder(paths[0]);
        printf("made %s\n", NarrowUtf8(paths[0].Shown()).c_str());
    } else if (command == L"rm" || command == L"rmdir") {
        command == L"rm" ? files.RemoveFile(paths[0]) : files.RemoveFolder(paths[0]);
        printf("removed %s\n", NarrowUtf8(paths[0].Shown()).c_str());
    } else if (command == L"mv") {
        files.Rename(paths[0], Word(line, 2));
        printf("renamed %s to %s\n", NarrowUtf8(paths[0].Shown()).c_str(), NarrowUtf8(Word(line, 2)).c_str());
    } else {
        fputs(files.MemoryFigures().c_str(), stdout);
    }
    return kOk;
}

bool IsFileCommand(const std::wstring& command)
{
    for (const wchar_t* name : {L"ls", L"get", L"put", L"mkdir", L"rm", L"rmdir", L"mv", L"df"}) {
        if (command == name)
            return true;
    }
    return false;
}

int RunWithHandset(const CommandLine& line)
{
    const std::wstring& command = line.words[0];
    std::vector<VCardContact> contacts;
    std::vector<OrganizerEntry> organizerEntries;
    if (command == L"import-vcard")
        contacts = ReadFileWith(Word(line, 1), VCardReader::Read);
    if (command == L"import-ics")
        organizerEntries = ReadFileWith(Word(line, 1), ICalendarReader::Read);
    if (command == L"fetch-mms")
        ParseSuid(Word(line, 1));
    size_t mmsSize = command == L"send-mms" ? ReadWhole(Word(line, 1)).size() : 0;
    std::vector<HandsetPlace> handsetPaths = HandsetPlaces(line);
    if (command == L"put" && GetFileAttributesW(Word(line, 1).c_str()) == INVALID_FILE_ATTRIBUTES)
        throw InputError("cannot read " + NarrowUtf8(Word(line, 1)));
    SyncSession session(line.session);
    if (IsFileCommand(command))
        return RunFileCommand(session, line, handsetPaths);
    if (command == L"tables")
        return Tables(session);
    if (command == L"list")
        return List(session, line);
    if (command == L"count")
        return Count(session, line);
    if (command == L"devinf")
        return DevInf(session, line);
    if (command == L"create")
        return Create(session, line);
    if (command == L"update")
        return Update(session, line);
    if (command == L"delete")
        return Delete(session, line);
    if (command == L"export-vcard")
        return ExportVCard(session, line);
    if (command == L"import-vcard")
        return ImportVCard(session, line, contacts);
    if (command == L"export-ics")
        return ExportIcs(session, line);
    if (command == L"import-ics")
        return OrganizerSync(session).Import(organizerEntries) ? kOk : kHandsetChanged;
    if (command == L"send-sms")
        return SendSms(session, line);
    if (command == L"export-sms")
        return ExportSms(session, line);
    if (command == L"fetch-mms")
        return FetchMms(session, line);
    if (command == L"send-mms")
        return SendMms(session, line, mmsSize);
    return SeedDemo(session);
}

int Run(const CommandLine& line)
{
    if (line.modelGiven)
        CheckModel(line.session.model);
    if (line.words[0] == L"models")
        return Models();
    return RunWithHandset(line);
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    // Names and notes are printed as UTF-8; a Windows console shows them as such.
    SetConsoleOutputCP(CP_UTF8);
    CommandLine line;
    try {
        line = Parse(argc, argv);
        if (line.help) {
            fputs(kUsageText, stdout);
            return kOk;
        }
        Validate(line);
    } catch (const UsageError& e) {
        fprintf(stderr, "kelvra-sync: %s\n%s", e.what(), kUsageText);
        return kUsage;
    } catch (const BadValue& e) {
        fprintf(stderr, "kelvra-sync: %s\n", e.what());
        return kUsage;
    }
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {
        fputs("kelvra-sync: COM could not be started\n", stderr);
        return kComponentFailure;
    }
    int result = kOk;
    try {
        result = Run(line);
    } catch (const UsageError& e) {
        fprintf(stderr, "kelvra-sync: %s\n%s", e.what(), kUsageText);
        result = kUsage;
    } catch (const BadValue& e) {
        fprintf(stderr, "kelvra-sync: %s\n", e.what());
        result = kUsage;
    } catch (const ComFailure& e) {
        fprintf(stderr, "kelvra-sync: %s\n", e.what());
        result = kComponentFailure;
    } catch (const std::exception& e) {
        fprintf(stderr, "kelvra-sync: %s\n", e.what());
        result = kInputFailure;
    }
    fflush(stdout);
    CoUninitialize();
    return result;
}
