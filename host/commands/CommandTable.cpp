#include "CommandTable.h"

#include "BackupCommands.h"
#include "CalendarCommands.h"
#include "ComFailure.h"
#include "ContactCommands.h"
#include "DemoSeed.h"
#include "FileCommands.h"
#include "FolderSyncCommands.h"
#include "MessageCommands.h"
#include "ModelCatalogue.h"
#include "TableCommands.h"

namespace kelvra::host {

namespace {

const char kUsageText[] =
    "usage: kelvra-sync [--handset FOLDER] [--model ID] [--sim-fault FAULT] [--json] [--stats] COMMAND ...\n"
    "       kelvra-sync --port COMn [--baud N] --model ID [--json] COMMAND ...\n"
    "commands:\n"
    "  tables                         the tables of the connected model\n"
    "  list TABLE                     the items of a table (--json for JSON)\n"
    "  count TABLE                    how many items the table holds\n"
    "  devinf [--summary]             what the model can store (DevInf document, or its limits)\n"
    "  create TABLE COLUMN=VALUE...   a new item; prints its SUID\n"
    "  update TABLE SUID COLUMN=VALUE...\n"
    "  delete TABLE SUID              deleting a group first takes it off its contacts\n"
    "  export-vcard [--card 1|2] FILE\n"
    "                                 the phonebook, or a card's entries, as vCard 3.0\n"
    "  import-vcard [--duplicates] [--card 1|2] FILE\n"
    "                                 creates the contacts of a vCard file (2.1, 3.0 or 4.0)\n"
    "                                 in the phonebook, or as a card's name-and-number entries;\n"
    "                                 contacts the handset already holds are left out\n"
    "                                 unless --duplicates is given\n"
    "  export-ics FILE                the calendar, tasks and memos as iCalendar 2.0\n"
    "  import-ics [--duplicates] FILE creates the entries of an iCalendar file; entries the\n"
    "                                 handset already holds are left out unless --duplicates\n"
    "  send-sms [--card 1|2] [--cut] NUMBER TEXT\n"
    "                                 sends an SMS through the handset (card 1 unless given);\n"
    "                                 a text longer than the model sends is refused, or with\n"
    "                                 --cut sent as far as it fits\n"
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
    "  backup DIR                     everything the handset holds into the new folder DIR\n"
    "  verify DIR                     checks a backup folder against its manifest\n"
    "  restore [--dry-run] [--merge | --replace] [--only TABLE,...] DIR\n"
    "                                 puts a backup back; a table the handset holds items of\n"
    "                                 is refused unless --merge (adds what it does not hold)\n"
    "                                 or --replace (deletes what it holds first); --dry-run\n"
    "                                 says what it would do and changes nothing\n"
    "  sync-folder [--dry-run] [--prefer handset|folder] [--force-delete] TABLE DIR\n"
    "                                 keeps phonebook, calendar, tasks or memos in step with a\n"
    "                                 folder of one vCard or iCalendar file per item, both ways;\n"
    "                                 a sync that would delete every item or file of a side, or\n"
    "                                 more than half, needs --force-delete\n"
    "  seed-demo                      fills an empty handset with demo data\n"
    "  models                         the models --model takes\n"
    "  help                           this text (also --help, -h)\n"
    "tables: phonebook groups card card2 metadata calendar tasks memos sms mms\n"
    "help COMMAND (or COMMAND --help): one command; help create TABLE: the columns it takes\n"
    "--handset: the folder where the simulated handset keeps its state\n"
    "--model: the built-in profile of the simulated model, by number or name\n"
    "  (202 or KTM-A280; see models)\n"
    "--port: a serial port with the handset on it (8N1, --baud 115200 unless given),\n"
    "  instead of the simulated handset; it carries packets, not files\n"
    "--sim-fault: timeout, short-reply, wrong-code or garbage-length, to try failures;\n"
    "  FAULT@N spoils only the reply after N others\n"
    "--stats: says on stderr the requests and bytes the simulated handset exchanged\n"
    "exit codes: 0 done; 1 usage error or bad value; 2 the component or handset failed;\n"
    "  3 a file could not be read or written, is no vCard file, or a backup fails its\n"
    "  check; 4 done, but the handset changed or left out data, as the lines on stderr\n"
    "  say; 5 done with every record the handset could give, but some it could not\n"
    "  read were passed over (one line each on stderr; output and exports hold all the\n"
    "  others); 6 done, but items changed on both sides were left as they are (conflicts,\n"
    "  one line each on stderr)\n";

const char kTableNames[] = "phonebook, groups, card, card2, metadata, calendar, tasks, memos, sms and mms";

const wchar_t* const kFaults[] = {L"timeout", L"short-reply", L"wrong-code", L"garbage-length"};

HandsetWork StartHelp(const CommandLine&)
{
    return {};  // answered before any command starts
}

const Command kCommands[] = {
    {L"tables", 0, "", false, StartTables},
    {L"list", 1, "a table name", true, StartList},
    {L"count", 1, "a table name", true, StartCount},
    {L"devinf", 0, "", false, StartDevInf},
    {L"create", 1, "a table name", true, StartCreate},
    {L"update", 2, "a table name and a SUID", true, StartUpdate},
    {L"delete", 2, "a table name and a SUID", true, StartDelete},
    {L"export-vcard", 1, "a file name", false, StartExportVCard},
    {L"import-vcard", 1, "a file name", false, StartImportVCard},
    {L"seed-demo", 0, "", false, StartSeedDemo},
    {L"models", 0, "", false, StartModels},
    {L"help", 0, "", false, StartHelp},
    {L"export-ics", 1, "a file name", false, StartExportIcs},
    {L"import-ics", 1, "a file name", false, StartImportIcs},
    {L"send-sms", 2, "a number and a text", false, StartSendSms},
    {L"export-sms", 1, "a file name", false, StartExportSms},
    {L"fetch-mms", 2, "a SUID and a file name", false, StartFetchMms},
    {L"send-mms", 1, "a file name", false, StartSendMms},
    {L"ls", 0, "", false, StartLs},
    {L"get", 2, "a handset path and a PC file", false, StartGet},
    {L"put", 2, "a PC file and a handset folder", false, StartPut},
    {L"mkdir", 1, "a handset path", false, StartMakeFolder},
    {L"rm", 1, "a handset path", false, StartRemoveFile},
    {L"rmdir", 1, "a handset path", false, StartRemoveFolder},
    {L"mv", 2, "a handset path and a new name", false, StartRename},
    {L"df", 0, "", false, StartDf},
    {L"backup", 1, "a folder", false, StartBackup},
    {L"verify", 1, "a backup folder", false, StartVerify},
    {L"restore", 1, "a backup folder", false, StartRestore},
    {L"sync-folder", 2, "a table name and a folder", false, StartSyncFolder},
};

const wchar_t* const kFileCommands[] = {L"ls", L"get", L"put", L"mkdir", L"rm", L"rmdir", L"mv", L"df"};

bool CarriesFiles(const CommandLine& line, const Command& command)
{
    for (const wchar_t* name : kFileCommands) {
        if (line.Command() == name)
            return true;
    }
    return command.namesTable && line.Word(1) == L"files";
}

// What a serial port cannot carry: files, and the simulator's own doings.
void CheckSerialLink(const CommandLine& line, const Command& command)
{
    if (line.session.port.empty()) {
        if (line.session.baudRate)
            throw UsageError("--baud goes with --port only");
        return;
    }
    if (line.handsetGiven)
        throw UsageError("--handset names a simulated handset's folder; a handset on --port keeps its own");
    const std::wstring& name = line.Command();
    if (CarriesFiles(line, command))
        throw BadValue(NarrowUtf8(name) + " needs a link that carries files; the serial link carries only packets");
    if (name == L"seed-demo")
        throw BadValue("seed-demo fills the simulated handset; it cannot fill a handset on a serial port");
    if (!line.session.fault.empty())
        throw UsageError("--sim-fault goes with the simulated handset only, not with --port");
}

void CheckFault(const std::wstring& given)
{
    if (given.empty())
        return;
    size_t at = given.find(L'@');
    std::wstring fault = given.substr(0, at);
    bool counted = at == std::wstring::npos ||
                   (at + 1 < given.size() && given.find_first_not_of(L"0123456789", at + 1) == std::wstring::npos &&
                    given.size() - at <= 6);
    for (const wchar_t* known : kFaults) {
        if (fault == known && counted)
            return;
    }
    throw UsageError("unknown fault \"" + NarrowUtf8(given) + "\"");
}

}  // namespace

const Command& CommandTable::Checked(CommandLine& line)
{
    const std::wstring& name = line.Command();
    const Command* command = Find(name);
    if (!command)
        throw UsageError("unknown command \"" + NarrowUtf8(name) + "\"");
    if (line.words.size() < 1 + command->arguments)
        throw UsageError(NarrowUtf8(name) + " needs " + command->needs);
    if (line.card && name != L"send-sms" && name != L"export-vcard" && name != L"import-vcard")
        throw UsageError("--card goes with send-sms, export-vcard and import-vcard only");
    if (line.cut && name != L"send-sms")
        throw UsageError("--cut goes with send-sms only");
    if ((line.merge || line.replace || !line.only.empty()) && name != L"restore")
        throw UsageError("--merge, --replace and --only go with restore only");
    if (line.dryRun && name != L"restore" && name != L"sync-folder")
        throw UsageError("--dry-run goes with restore and sync-folder only");
    if ((!line.prefer.empty() || line.forceDelete) && name != L"sync-folder")
        throw UsageError("--prefer and --force-delete go with sync-folder only");
    if (command->namesTable)
        CheckTable(line.Word(1));
    CheckFault(line.session.fault);
    CheckSerialLink(line, *command);
    ResolveModel(line);
    return *command;
}

int CommandTable::CheckedModel(const std::wstring& given, int id)
{
    std::string known;
    for (const BuiltInModel& model : ModelCatalogue::Load()) {
        if (id ? model.id == id : _wcsicmp(model.name.c_str(), given.c_str()) == 0)
            return model.id;
        known += (known.empty() ? "" : ", ") + std::to_string(model.id) + " (" + NarrowUtf8(model.name) + ")";
    }
    throw BadValue("there is no built-in model " + NarrowUtf8(given) + "; the models are " + known);
}

void CommandTable::ResolveModel(CommandLine& line)
{
    if (line.modelGiven)
        line.session.model = CheckedModel(line.modelText, line.session.model);
}

const Command* CommandTable::Find(const std::wstring& name)
{
    for (const Command& candidate : kCommands) {
        if (name == candidate.name)
            return &candidate;
    }
    return nullptr;
}

void CommandTable::CheckTable(const std::wstring& name)
{
    NamedTable named;
    if (!SyncSession::Lookup(name, named))
        throw BadValue("unknown table \"" + NarrowUtf8(name) + "\"; the tables are " + kTableNames);
}

const char* CommandTable::Usage()
{
    return kUsageText;
}

}  // namespace kelvra::host
