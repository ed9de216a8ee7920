#include "ContactCommands.h"

#include <cstdio>
#include <map>

#include "CardEntry.h"
#include "ComFailure.h"
#include "ExitCode.h"
#include "InputFile.h"
#include "ItemColumns.h"
#include "NumberCheck.h"
#include "SimulatedCard.h"
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

const wchar_t* CardTable(int card)
{
    return card == 2 ? L"card2" : L"card";
}

// What a card can hold, said with every card command: the card table cuts to these limits
// without a word.
void SayCardLimits(IDataTable* card, int number)
{
    ULONG used = 0;
    CheckCall(card->GetItemCount(nullptr, 0, QELDT_PHONEBOOK_SIM, &used), "Counting the card's entries");
    printf("card %d holds %lu of %ld entries; an entry keeps a name of %ld characters and one number of %ld digits\n",
           number, static_cast<unsigned long>(used), kSimulatedCard.entries, kSimulatedCard.nameChars,
           kSimulatedCard.numberDigits);
}

int ExportVCard(SyncSession& session, const std::wstring& path)
{
    QELDATATYPE kind;
    ComPtr<IDataTable> phonebook = session.Table(L"phonebook", kind);
    std::map<std::wstring, std::wstring> groups = GroupNames(phonebook.Get());
    std::string text;
    std::vector<ComPtr<IItem>> contacts = TableWalker(phonebook.Get()).Items(QELDT_PHONEBOOK, true);
    for (const auto& contact : contacts)
        text += VCardWriter::Write(ColumnTexts(contact.Get()), groups);
    WriteWhole(path, text);
    printf("exported %zu contacts to %s\n", contacts.size(), NarrowUtf8(path).c_str());
    return kOk;
}

int ExportCardVCard(SyncSession& session, int number, const std::wstring& path)
{
    QELDATATYPE kind;
    ComPtr<IDataTable> card = session.Table(CardTable(number), kind);
    std::string text;
    std::vector<ComPtr<IItem>> entries = TableWalker(card.Get()).Items(kind, true);
    for (const auto& entry : entries)
        text += VCardWriter::Write(CardEntry::AsContact(ColumnTexts(entry.Get())), {});
    WriteWhole(path, text);
    printf("exported %zu entries of card %d to %s\n", entries.size(), number, NarrowUtf8(path).c_str());
    SayCardLimits(card.Get(), number);
    return kOk;
}

int ImportVCard(SyncSession& session, const std::vector<VCardContact>& contacts, int card, bool duplicates)
{
    QELDATATYPE kind;
    const wchar_t* table = card ? CardTable(card) : L"phonebook";
    ComPtr<IDataTable> target = session.Table(table, kind);
    NumberRules numbers;
    NumberCheck::RulesFor(session, table, numbers);
    // A card entry is read as a contact whose name is the first name.
    PhonebookCapabilities cardFields{false, {{L"FIRST_NAME", static_cast<size_t>(kSimulatedCard.nameChars)},
                                             {L"TEL_NUM", static_cast<size_t>(kSimulatedCard.numberDigits)}}};
    ImportTarget into{target.Get(), kind, numbers, card ? "card " + std::to_string(card) : "the handset's phonebook",
                      card ? cardFields : PhonebookCapabilities::Of(session)};
    bool whole = VCardImport(into, duplicates).Run(contacts);
    if (card)
        SayCardLimits(target.Get(), card);
    return whole ? kOk : kHandsetChanged;
}

}  // namespace

HandsetWork StartExportVCard(const CommandLine& line)
{
    if (line.card)
        return [&line](SyncSession& session) { return ExportCardVCard(session, line.card, line.Word(1)); };
    return [&line](SyncSession& session) { return ExportVCard(session, line.Word(1)); };
}

HandsetWork StartImportVCard(const CommandLine& line)
{
    std::vector<VCardContact> contacts = ReadFileWith(line.Word(1), VCardReader::Read);
    bool duplicates = line.duplicates;
    int card = line.card;
    return [contacts = std::move(contacts), card, duplicates](SyncSession& session) {
        return ImportVCard(session, contacts, card, duplicates);
    };
}

}  // namespace kelvra::host
