#include "ContactCommands.h"

#include <cstdio>
#include <map>

#include "ExitCode.h"
#include "InputFile.h"
#include "ItemColumns.h"
#include "TableWalker.h"
#include "VCardImport.h"
#include "VCardReader.h"
#include "VCardWriter.h"

namespace kelvra::host {

namespace {

std::map<std::wstring, std::wstring> GroupNames(IDataTable* phonebook)
{
    std::map<std::wstring, std::wstring> names;
    for (const auto& group : TableWalker(phonebook).Items(QELDT_GROUP, false))
        names[std::to_wstring(ItemSuid(group.Get()))] = ColumnText(group.Get(), L"NAME");
    return names;
}

int ExportVCard(SyncSession& session, const std::wstring& path)
{
    QELDATATYPE kind;
    ComPtr<IDataTable> phonebook = session.Table(L"phonebook", kind);
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

}  // namespace

HandsetWork StartExportVCard(const CommandLine& line)
{
    return [&line](SyncSession& session) { return ExportVCard(session, line.Word(1)); };
}

HandsetWork StartImportVCard(const CommandLine& line)
{
    std::vector<VCardContact> contacts = ReadFileWith(line.Word(1), VCardReader::Read);
    bool duplicates = line.duplicates;
    return [contacts, duplicates](SyncSession& session) {
        QELDATATYPE kind;
        ComPtr<IDataTable> phonebook = session.Table(L"phonebook", kind);
        return VCardImport(phonebook.Get(), duplicates).Run(contacts) ? kOk : kHandsetChanged;
    };
}

}  // namespace kelvra::host
