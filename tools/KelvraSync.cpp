// kelvra-sync: a host program that syncs a handset through the component, as the
// synchronisation suite does, with the handset simulator standing in for the phone.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "ComFailure.h"
#include "ItemColumns.h"
#include "ItemPrinter.h"
#include "SyncSession.h"
#include "TableWalker.h"
#include "VCard.h"

using namespace kelvra;
using namespace kelvra::tools;

namespace {

enum ExitCode { kOk = 0, kUsage = 1, kComponentFailure = 2, kInputFailure = 3 };

const char kUsageText[] =
    "usage: kelvra-sync [--handset FOLDER] [--model ID] [--sim-fault FAULT] [--json] COMMAND ...\n"
    "commands:\n"
    "  tables                         the tables of the connected model\n"
    "  list TABLE                     the items of a table (--json for JSON)\n"
    "  count TABLE                    how many items the handset holds\n"
    "  devinf                         what the model can store (DevInf document)\n"
    "  create TABLE COLUMN=VALUE...   a new item; prints its SUID\n"
    "  update TABLE SUID COLUMN=VALUE...\n"
    "  delete TABLE SUID\n"
    "  export-vcard FILE              the phonebook as vCard 3.0\n"
    "  import-vcard FILE              creates the contacts of a vCard file\n"
    "  seed-demo                      fills an empty handset with demo data\n"
    "tables: phonebook groups card card2 (and the model's other tables)\n"
    "--handset: the folder where the simulated handset keeps its state\n"
    "--model: the built-in profile of the simulated model (202 = KTM-A280)\n"
    "--sim-fault: timeout, short-reply, wrong-code or garbage-length, to try failures\n";

struct CommandLine {
    SessionOptions session;
    bool json = false;
    std::vector<std::wstring> words;
};

std::wstring DefaultHandsetFolder()
{
    wchar_t path[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_APPDATA | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, path);
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
        if (word == L"--handset")
            line.session.handsetFolder = value();
        else if (word == L"--model")
            line.session.model = _wtoi(value().c_str());
        else if (word == L"--sim-fault")
            line.session.fault = value();
        else if (word == L"--json")
            line.json = true;
        else
            line.words.push_back(word);
    }
    if (line.words.empty())
        throw UsageError("no command given");
    return line;
}

const std::wstring& Word(const CommandLine& line, size_t index, const char* what)
{
    if (index >= line.words.size())
        throw UsageError(std::string("missing ") + what);
    return line.words[index];
}

SUID ParseSuid(const std::wstring& text)
{
    wchar_t* end = nullptr;
    long value = wcstol(text.c_str(), &end, 10);
    if (text.empty() || *end != L'\0')
        throw UsageError("\"" + NarrowUtf8(text) + "\" is not a SUID");
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
    throw UsageError("there is no item with SUID " + std::to_string(suid));
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
    ComPtr<IDataTable> table = session.Table(Word(line, 1, "table name"), kind);
    std::vector<ComPtr<IItem>> items = TableWalker(table.Get()).Items(kind, true);
    fputs((line.json ? ItemsAsJson(items) : ItemsAsText(items)).c_str(), stdout);
    return kOk;
}

int Count(SyncSession& session, const CommandLine& line)
{
    QELDATATYPE kind;
    ComPtr<IDataTable> table = session.Table(Word(line, 1, "table name"), kind);
    ULONG count = 0;
    CheckCall(table->GetItemCount(nullptr, 0, kind, &count), "Counting the items");
    printf("%lu\n", static_cast<unsigned long>(count));
    return kOk;
}

int DevInf(SyncSession& session)
{
    ComPtr<IDataTable> metadata = session.Table(DTID_METADATA);
    Bstr text;
    CheckCall(metadata->GetProperty(Bstr(L"DevInf").Get(), text.Out()), "Asking for the DevInf document");
    fputs(NarrowUtf8(text.Str()).c_str(), stdout);
    return kOk;
}

SUID CreateItem(IDataTable* table, QELDATATYPE kind, const std::vector<std::wstring>& assignments)
{
    ComPtr<IItem> item;
    CheckCall(table->NewItem(kind, 0, 0, item.GetAddressOf()), "Making a new item");
    ApplyAssignments(item.Get(), assignments);
    SUID suid = 0;
    CheckCall(table->CreateItem(item.Get(), &suid), "Creating the item");
    return suid;
}

int Create(SyncSession& session, const CommandLine& line)
{
    QELDATATYPE kind;
    ComPtr<IDataTable> table = session.Table(Word(line, 1, "table name"), kind);
    printf("created SUID %ld\n", static_cast<long>(CreateItem(table.Get(), kind, Rest(line, 2))));
    return kOk;
}

int Update(SyncSession& session, const CommandLine& line)
{
    QELDATATYPE kind;
    ComPtr<IDataTable> table = session.Table(Word(line, 1, "table name"), kind);
    SUID suid = ParseSuid(Word(line, 2, "SUID"));
    ComPtr<IItem> item = FindItem(table.Get(), kind, suid);
    ApplyAssignments(item.Get(), Rest(line, 3));
    CheckCall(table->UpdateItem(item.Get()), "Updating the item");
    printf("updated SUID %ld\n", static_cast<long>(suid));
    return kOk;
}

int Delete(SyncSession& session, const CommandLine& line)
{
    QELDATATYPE kind;
    ComPtr<IDataTable> table = session.Table(Word(line, 1, "table name"), kind);
    SUID suid = ParseSuid(Word(line, 2, "SUID"));
    ComPtr<IItem> item = FindItem(table.Get(), kind, suid);
    CheckCall(table->DeleteItem(item.Get()), "Deleting the item");
    printf("deleted SUID %ld\n", static_cast<long>(suid));
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
    std::wstring path = Word(line, 1, "file name");
    QELDATATYPE kind;
    ComPtr<IDataTable> phonebook = session.Table(L"phonebook", kind);
    std::map<std::wstring, std::wstring> groups = GroupNames(phonebook.Get());
    std::string text;
    std::vector<ComPtr<IItem>> contacts = TableWalker(phonebook.Get()).Items(QELDT_PHONEBOOK, true);
    for (const auto& contact : contacts) {
        std::map<std::wstring, std::wstring> columns;
        for (const NamedValue& column : ReadColumns(contact.Get()))
            columns[column.name] = ValueText(column.value);
        text += VCard::Write(columns, groups);
    }
    std::ofstream out(path.c_str(), std::ios::binary);
    if (!(out << text))
        throw UsageError("cannot write " + NarrowUtf8(path));
    printf("exported %zu contacts to %s\n", contacts.size(), NarrowUtf8(path).c_str());
    return kOk;
}

int ImportVCard(SyncSession& session, const CommandLine& line)
{
    std::wstring path = Word(line, 1, "file name");
    std::ifstream in(path.c_str(), std::ios::binary);
    if (!in)
        throw UsageError("cannot read " + NarrowUtf8(path));
    std::stringstream text;
    text << in.rdbuf();
    QELDATATYPE kind;
    ComPtr<IDataTable> phonebook = session.Table(L"phonebook", kind);
    std::map<std::wstring, std::wstring> groupIds;  // name to number
    for (const auto& [id, name] : GroupNames(phonebook.Get()))
        groupIds.emplace(name, id);
    size_t created = 0;
    for (const ContactColumns& contact : VCard::Read(text.str())) {
        std::vector<std::wstring> assignments;
        int groups = 0;
        for (const auto& [name, value] : contact) {
            if (name.rfind(L"GROUP_NAME_", 0) != 0) {
                assignments.push_back(name + L"=" + value);
                continue;
            }
            if (!groupIds.count(value))
                groupIds[value] = std::to_wstring(CreateItem(phonebook.Get(), QELDT_GROUP, {L"NAME=" + value}));
            assignments.push_back(L"GROUP_ID_" + std::to_wstring(groups++) + L"=" + groupIds[value]);
        }
        SUID suid = CreateItem(phonebook.Get(), QELDT_PHONEBOOK, assignments);
        printf("created SUID %ld\n", static_cast<long>(suid));
        fflush(stdout);  // what is reported as created must be seen even if the run is killed
        ++created;
    }
    printf("imported %zu contacts from %s\n", created, NarrowUtf8(path).c_str());
    return kOk;
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
        CreateItem(card.Get(), QELDT_PHONEBOOK_SIM, entry);
    printf("seeded the demo handset: 3 groups, %zu contacts, 2 card entries\n", contacts.size());
    return kOk;
}

int Run(const CommandLine& line)
{
    const std::wstring& command = line.words[0];
    SyncSession session(line.session);
    if (command == L"tables")
        return Tables(session);
    if (command == L"list")
        return List(session, line);
    if (command == L"count")
        return Count(session, line);
    if (command == L"devinf")
        return DevInf(session);
    if (command == L"create")
        return Create(session, line);
    if (command == L"update")
        return Update(session, line);
    if (command == L"delete")
        return Delete(session, line);
    if (command == L"export-vcard")
        return ExportVCard(session, line);
    if (command == L"import-vcard")
        return ImportVCard(session, line);
    if (command == L"seed-demo")
        return SeedDemo(session);
    throw UsageError("unknown command \"" + NarrowUtf8(command) + "\"");
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {
        fputs("kelvra-sync: COM could not be started\n", stderr);
        return kComponentFailure;
    }
    int result = kOk;
    try {
        result = Run(Parse(argc, argv));
    } catch (const UsageError& e) {
        fprintf(stderr, "kelvra-sync: %s\n%s", e.what(), kUsageText);
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
