#include "CommandHelp.h"

#include <cstdio>
#include <sstream>

#include "ComFailure.h"
#include "CommandTable.h"
#include "ExitCode.h"
#include "ItemColumns.h"
#include "ModelProfileText.h"
#include "TableCommands.h"

namespace kelvra::host {

namespace {

constexpr size_t kDescriptionColumn = 33;  // where the usage's descriptions start

const char* KindOf(VARTYPE type)
{
    switch (type) {
    case VT_DATE: return "date (2026-12-08 or 2026-12-08 09:30)";
    case VT_BSTR: return "text";
    default: return "number";
    }
}

// The words after "help", or the command's own words for "COMMAND --help".
std::vector<std::wstring> Topic(const CommandLine& line)
{
    if (line.words.empty())
        return {};
    return line.words[0] == L"help" ? line.Rest(1) : line.words;
}

}  // namespace

std::string CommandHelp::UsageOf(const std::string& command, const std::string& usage)
{
    std::istringstream lines(usage);
    std::string out;
    bool inCommand = false;
    for (std::string line; std::getline(lines, line);) {
        bool continuation = line.size() > kDescriptionColumn && line.find_first_not_of(' ') == kDescriptionColumn;
        if (continuation) {
            out += inCommand ? line + "\n" : "";
            continue;
        }
        inCommand = false;
        if (line.rfind("  ", 0) != 0 || line[2] == ' ')
            continue;
        // "  mkdir PATH | rmdir PATH | rm PATH": a command is a synopsis's first word or
        // a word after "|".
        std::istringstream words(line.substr(2, kDescriptionColumn - 2));
        bool first = true;
        for (std::string word, before; words >> word; before = word, first = false)
            inCommand = inCommand || (word == command && (first || before == "|"));
        if (inCommand)
            out += line + "\n";
    }
    return out;
}

int CommandHelp::Show(const CommandLine& line)
{
    std::vector<std::wstring> topic = Topic(line);
    if (topic.empty()) {
        fputs(CommandTable::Usage(), stdout);
        return kOk;
    }
    const Command* command = CommandTable::Find(topic[0]);
    if (!command)
        throw UsageError("unknown command \"" + NarrowUtf8(topic[0]) + "\"");
    bool columns = topic[0] == L"create" || topic[0] == L"update";
    if (columns && topic.size() >= 2)
        CommandTable::CheckTable(topic[1]);
    fputs(UsageOf(NarrowUtf8(topic[0]), CommandTable::Usage()).c_str(), stdout);
    if (!columns)
        return kOk;
    if (topic.size() < 2) {
        printf("help %s TABLE lists the columns the table takes\n", NarrowUtf8(topic[0]).c_str());
        return kOk;
    }
    return Columns(line, topic[1]);
}

int CommandHelp::Columns(const CommandLine& line, const std::wstring& name)
{
    SyncSession session(line.session);
    QELDATATYPE kind;
    ComPtr<IDataTable> table = KeptTable(session, name, kind);
    ModelProfileText profile = ModelProfileText::Of(session.Model());
    ComPtr<IItem> item;
    if (FAILED(table->NewItem(kind, 0, 0, item.GetAddressOf())) || !item)
        throw BadValue("the " + NarrowUtf8(name) + " table makes no new items");
    ULONG count = 0;
    CheckCall(item->GetColumnCount(&count), "Reading the columns");
    printf("columns of %s on the %s (COLUMN=VALUE; SUID is the handset's):\n", NarrowUtf8(name).c_str(),
           profile.ModelName().c_str());
    for (ULONG column = 0; column < count; ++column) {
        Bstr columnName;
        VARTYPE type = VT_EMPTY;
        CheckCall(item->GetColumnName(column, columnName.Out()), "Reading a column name");
        CheckCall(item->GetColumnType(column, &type), "Reading a column type");
        if (columnName.Str() == L"SUID")
            continue;
        std::string padded = NarrowUtf8(columnName.Str());
        padded.resize(std::max<size_t>(padded.size() + 1, 24), ' ');
        printf("  %s%s\n", padded.c_str(), KindOf(type));
    }
    return kOk;
}

}  // namespace kelvra::host
