#include "VCardImport.h"

#include <cstdio>

#include "ComFailure.h"
#include "HandsetChanges.h"
#include "ItemColumns.h"
#include "TableWalker.h"

namespace kelvra::host {

namespace {

constexpr HRESULT kStoreFull = static_cast<HRESULT>(0x8004000C);

std::map<std::wstring, std::wstring> TextColumns(IItem* item)
{
    std::map<std::wstring, std::wstring> columns;
    for (const NamedValue& column : ReadColumns(item))
        columns[column.name] = ValueText(column.value);
    return columns;
}

}  // namespace

VCardImport::VCardImport(IDataTable* phonebook, bool allowDuplicates)
    : m_phonebook(phonebook), m_allowDuplicates(allowDuplicates)
{
}

void VCardImport::LoadHandset()
{
    // The listing hands out the groups first, then the contacts.
    for (const auto& item : TableWalker(m_phonebook).Items(QELDT_GROUP, false))
        m_groupNumbers.emplace(ColumnText(item.Get(), L"NAME"), std::to_wstring(ItemSuid(item.Get())));
    if (m_allowDuplicates)
        return;
    for (const auto& item : TableWalker(m_phonebook).Items(QELDT_PHONEBOOK, false))
        m_held.Add(ItemSuid(item.Get()), TextColumns(item.Get()));
}

void VCardImport::Say(const VCardContact& contact, const std::string& line)
{
    fflush(stdout);  // so that the lines keep their order on a terminal
    fprintf(stderr, "%s: %s\n", NarrowUtf8(contact.label).c_str(), line.c_str());
}

bool VCardImport::Run(const std::vector<VCardContact>& contacts)
{
    LoadHandset();
    size_t alreadyHeld = 0;
    std::vector<std::string> notImported;
    size_t next = 0;
    try {
        for (; next < contacts.size(); ++next) {
            Outcome outcome = ImportOne(contacts[next]);
            m_imported += outcome == Outcome::Created ? 1 : 0;
            alreadyHeld += outcome == Outcome::AlreadyHeld ? 1 : 0;
        }
    } catch (const ComFailure& failure) {
        if (failure.Result() != kStoreFull) {
            printf("imported %zu of %zu contacts before the handset failed\n", m_imported, contacts.size());
            throw;
        }
        for (; next < contacts.size(); ++next)
            Say(contacts[next], "not imported: the handset's phonebook is full");
        m_changed = true;
    }
    printf("imported %zu of %zu contacts", m_imported, contacts.size());
    if (alreadyHeld)
        printf("; %zu already on the handset (--duplicates imports them again)", alreadyHeld);
    printf("\n");
    return !m_changed;
}

VCardImport::Outcome VCardImport::ImportOne(const VCardContact& contact)
{
    // A contact the handset holds already is left alone: nothing of what the handset
    // would change in it is said, and it changes nothing.
    if (!m_allowDuplicates && contact.problem.empty()) {
        if (long suid = m_held.Find(contact.columns)) {
            Say(contact, "not imported: the handset already holds it as SUID " + std::to_string(suid));
            return Outcome::AlreadyHeld;
        }
    }
    for (const std::string& note : contact.notes)
        Say(contact, note);
    m_changed = m_changed || !contact.notes.empty();
    if (!contact.problem.empty()) {
        Say(contact, "not imported: " + contact.problem);
        m_changed = true;
        return Outcome::NotImported;
    }
    std::vector<std::string> notes;
    std::vector<std::wstring> assignments = Assignments(contact, notes);
    ComPtr<IItem> item;
    CheckCall(m_phonebook->NewItem(QELDT_PHONEBOOK, 0, 0, item.GetAddressOf()), "Making a new contact");
    if (!item)
        throw ComFailure(E_POINTER, "Making a new contact failed: the phonebook handed out no item");
    try {
        ApplyAssignments(item.Get(), assignments);
    } catch (const std::exception& e) {
        Say(contact, std::string("not imported: ") + e.what());
        m_changed = true;
        return Outcome::NotImported;
    }
    SUID suid = 0;
    CheckCall(m_phonebook->CreateItem(item.Get(), &suid), "Creating a contact");
    for (const std::string& line : HandsetChanges::Between(assignments, item.Get()))
        notes.push_back(line);
    for (const std::string& note : notes)
        Say(contact, note);
    m_changed = m_changed || !notes.empty();
    m_held.Add(suid, TextColumns(item.Get()));
    printf("created SUID %ld: %s\n", static_cast<long>(suid), NarrowUtf8(contact.label).c_str());
    fflush(stdout);  // what is reported as created must be seen even if the run is killed
    return Outcome::Created;
}

std::vector<std::wstring> VCardImport::Assignments(const VCardContact& contact, std::vector<std::string>& notes)
{
    std::vector<std::wstring> assignments;
    int slot = 0;
    for (const auto& [name, value] : contact.columns) {
        if (name.rfind(L"GROUP_NAME_", 0) != 0) {
            assignments.push_back(name + L"=" + value);
            continue;
        }
        std::string problem;
        std::wstring number = GroupNumber(value, problem);
        if (number.empty())
            notes.push_back("imported without its group \"" + NarrowUtf8(value) + "\": " + problem);
        else
            assignments.push_back(L"GROUP_ID_" + std::to_wstring(slot++) + L"=" + number);
    }
    return assignments;
}

std::wstring VCardImport::GroupNumber(const std::wstring& name, std::string& problem)
{
    auto known = m_groupNumbers.find(name);
    if (known != m_groupNumbers.end())
        return known->second;
    auto failed = m_groupFailures.find(name);
    if (failed != m_groupFailures.end()) {
        problem = failed->second;
        return {};
    }
    try {
        ComPtr<IItem> group;
        CheckCall(m_phonebook->NewItem(QELDT_GROUP, 0, 0, group.GetAddressOf()), "Making a new group");
        if (!group)
            throw ComFailure(E_POINTER, "the phonebook handed out no group item");
        SetColumnText(group.Get(), L"NAME", name);
        SUID suid = 0;
        CheckCall(m_phonebook->CreateItem(group.Get(), &suid), "Creating the group");
        std::wstring number = std::to_wstring(suid);
        m_groupNumbers.emplace(name, number);
        return number;
    } catch (const ComFailure& failure) {
        problem = failure.Result() == kStoreFull ? "the handset has no room for another group" : failure.what();
        m_groupFailures.emplace(name, problem);
        return {};
    }
}

}  // namespace kelvra::host
