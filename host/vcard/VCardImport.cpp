#include "VCardImport.h"

#include <cstdio>

#include "CardEntry.h"
#include "ComFailure.h"
#include "HandsetChanges.h"
#include "ItemColumns.h"
#include "NumberCheck.h"
#include "TableWalker.h"
#include "UntrustedText.h"

namespace kelvra::host {

namespace {

constexpr HRESULT kStoreFull = static_cast<HRESULT>(0x8004000C);

}  // namespace

std::map<std::wstring, std::wstring> ColumnTexts(IItem* item)
{
    std::map<std::wstring, std::wstring> columns;
    for (const NamedValue& column : ReadColumns(item))
        columns[column.name] = ValueText(column.value);
    return columns;
}

VCardImport::VCardImport(const ImportTarget& target, bool allowDuplicates)
    : m_target(target), m_allowDuplicates(allowDuplicates), m_held(target.capabilities),
      m_keepsPictures(target.capabilities.keepsPictures)
{
}

void VCardImport::LoadHandset()
{
    // The listing hands out the groups first, then the contacts.
    if (!Card()) {
        for (const auto& item : TableWalker(m_target.table).Items(QELDT_GROUP, false))
            m_groupNumbers.emplace(ColumnText(item.Get(), L"NAME"), std::to_wstring(ItemSuid(item.Get())));
    }
    if (m_allowDuplicates)
        return;
    for (const auto& item : TableWalker(m_target.table).Items(m_target.kind, false))
        m_held.Add(ItemSuid(item.Get()), HeldColumns(item.Get()));
}

void VCardImport::Say(const VCardContact& contact, const std::string& line)
{
    fflush(stdout);  // so that the lines keep their order on a terminal
    fprintf(stderr, "%s: %s\n", Shown(NarrowUtf8(contact.label)).c_str(), Shown(line).c_str());
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
            Say(contacts[next], "not imported: " + m_target.name + " is full");
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
    std::vector<std::string> notes;
    std::string problem = contact.problem;
    ContactColumns columns = problem.empty() ? Columns(contact, notes, problem) : ContactColumns();
    // A contact the handset holds already is left alone: nothing of what the handset
    // would change in it is said, and it changes nothing.
    if (!m_allowDuplicates && problem.empty()) {
        if (long suid = m_held.Find(Card() ? CardEntry::AsContact(columns) : columns)) {
            Say(contact, "not imported: the handset already holds it as SUID " + std::to_string(suid));
            return Outcome::AlreadyHeld;
        }
    }
    for (const std::string& note : contact.notes)
        Say(contact, note);
    m_changed = m_changed || !contact.notes.empty();
    if (!problem.empty()) {
        Say(contact, "not imported: " + problem);
        m_changed = true;
        return Outcome::NotImported;
    }
    std::vector<std::wstring> assignments = Assignments(columns, notes);
    ComPtr<IItem> item;
    CheckCall(m_target.table->NewItem(m_target.kind, 0, 0, item.GetAddressOf()), "Making a new contact");
    if (!item)
        throw ComFailure(E_POINTER, "Making a new contact failed: the table handed out no item");
    std::wstring picture;
    if (!contact.picture.empty() && !m_keepsPictures)
        notes.push_back("its picture has no place on " + std::string(Card() ? "a card" : "this model"));
    try {
        ApplyAssignments(item.Get(), assignments);
        if (m_keepsPictures && !contact.picture.empty()) {
            picture = m_pictures.Hold(contact);
            SetColumnText(item.Get(), L"PHOTO_LOCAL_PATH", picture);
        }
    } catch (const std::exception& e) {
        Say(contact, std::string("not imported: ") + e.what());
        m_changed = true;
        return Outcome::NotImported;
    }
    SUID suid = 0;
    CheckCall(m_target.table->CreateItem(item.Get(), &suid), "Creating a contact");
    for (const std::string& line : HandsetChanges::Between(assignments, item.Get()))
        notes.push_back(line);
    if (!picture.empty() && ColumnText(item.Get(), L"PHOTO_TYPE") != L"IMAGE_PHOTO")
        notes.push_back("its picture was not kept: the handset cannot show it");
    for (const std::string& note : notes)
        Say(contact, note);
    m_changed = m_changed || !notes.empty();
    m_held.Add(suid, HeldColumns(item.Get()));
    printf("created SUID %ld: %s\n", static_cast<long>(suid), Shown(NarrowUtf8(contact.label)).c_str());
    fflush(stdout);  // what is reported as created must be seen even if the run is killed
    return Outcome::Created;
}

ContactColumns VCardImport::Columns(const VCardContact& contact, std::vector<std::string>& notes,
                                    std::string& problem) const
{
    ContactColumns columns = Card() ? CardEntry::FromContact(contact, notes, problem) : contact.columns;
    if (problem.empty())
        problem = NumberCheck::Apply(columns, m_target.numbers, notes);
    return columns;
}

std::map<std::wstring, std::wstring> VCardImport::HeldColumns(IItem* item) const
{
    std::map<std::wstring, std::wstring> columns = ColumnTexts(item);
    return Card() ? CardEntry::AsContact(columns) : columns;
}

std::vector<std::wstring> VCardImport::Assignments(const ContactColumns& columns, std::vector<std::string>& notes)
{
    std::vector<std::wstring> assignments;
    int slot = 0;
    for (const auto& [name, value] : columns) {
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
        CheckCall(m_target.table->NewItem(QELDT_GROUP, 0, 0, group.GetAddressOf()), "Making a new group");
        if (!group)
            throw ComFailure(E_POINTER, "the phonebook handed out no group item");
        SetColumnText(group.Get(), L"NAME", name);
        SUID suid = 0;
        CheckCall(m_target.table->CreateItem(group.Get(), &suid), "Creating the group");
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
