// Imports vCard contacts into the phonebook or a card: their groups made or found by name,
// contacts the handset already holds left alone unless duplicates are asked for, numbers
// the handset would store as other numbers refused, and everything the handset changes
// or leaves out said on the error stream, one line per contact and field.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "ComTypes.h"
#include "ContactPicture.h"
#include "DuplicateFinder.h"
#include "HandsetNumber.h"
#include "QELKELVRA.h"
#include "VCardContact.h"

namespace kelvra::host {

// An item's columns as texts, as the vCard writer and the duplicate check take them.
std::map<std::wstring, std::wstring> ColumnTexts(IItem* item);

// Where the contacts go: the phonebook, or a card whose entries hold a name and a number.
struct ImportTarget {
    IDataTable* table;
    QELDATATYPE kind;     // QELDT_PHONEBOOK or QELDT_PHONEBOOK_SIM
    NumberRules numbers;  // what the target makes of a number
    std::string name;     // "the handset's phonebook", "card 1"
    // Whether it keeps pictures, and its field sizes for the duplicate check.
    PhonebookCapabilities capabilities;
};

class VCardImport {
public:
    VCardImport(const ImportTarget& target, bool allowDuplicates);

    // Imports every contact and prints what happened; true when everything arrived as
    // given (contacts already on the handset count as arrived). Throws ComFailure when
    // the handset fails, after saying how far the import came.
    bool Run(const std::vector<VCardContact>& contacts);

    size_t Imported() const { return m_imported; }

private:
    enum class Outcome { Created, AlreadyHeld, NotImported };
    Outcome ImportOne(const VCardContact& contact);
    // The columns to set, or nothing with problem said when the contact cannot be written.
    ContactColumns Columns(const VCardContact& contact, std::vector<std::string>& notes, std::string& problem) const;
    std::vector<std::wstring> Assignments(const ContactColumns& columns, std::vector<std::string>& notes);
    // A held item's columns as the duplicate check compares them.
    std::map<std::wstring, std::wstring> HeldColumns(IItem* item) const;
    std::wstring GroupNumber(const std::wstring& name, std::string& problem);
    void Say(const VCardContact& contact, const std::string& line);
    void LoadHandset();

    bool Card() const { return m_target.kind == QELDT_PHONEBOOK_SIM; }

    ImportTarget m_target;
    bool m_allowDuplicates;
    DuplicateFinder m_held;
    bool m_keepsPictures;
    PictureFolder m_pictures;
    std::map<std::wstring, std::wstring> m_groupNumbers;  // name to number
    std::map<std::wstring, std::string> m_groupFailures;  // name to why it could not be made
    size_t m_imported = 0;
    bool m_changed = false;
};

}  // namespace kelvra::host
