// Imports vCard contacts into the phonebook: their groups made or found by name, contacts
// the handset already holds left alone unless duplicates are asked for, and everything
// the handset changes or leaves out said on the error stream, one line per contact and
// field.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "ComTypes.h"
#include "DuplicateFinder.h"
#include "QELKELVRA.h"
#include "VCardContact.h"

namespace kelvra::host {

class VCardImport {
public:
    VCardImport(IDataTable* phonebook, bool allowDuplicates);

    // Imports every contact and prints what happened; true when everything arrived as
    // given (contacts already on the handset count as arrived). Throws ComFailure when
    // the handset fails, after saying how far the import came.
    bool Run(const std::vector<VCardContact>& contacts);

    size_t Imported() const { return m_imported; }

private:
    enum class Outcome { Created, AlreadyHeld, NotImported };
    Outcome ImportOne(const VCardContact& contact);
    std::vector<std::wstring> Assignments(const VCardContact& contact, std::vector<std::string>& notes);
    std::wstring GroupNumber(const std::wstring& name, std::string& problem);
    void Say(const VCardContact& contact, const std::string& line);
    void LoadHandset();

    IDataTable* m_phonebook;
    bool m_allowDuplicates;
    DuplicateFinder m_held;
    std::map<std::wstring, std::wstring> m_groupNumbers;  // name to number
    std::map<std::wstring, std::string> m_groupFailures;  // name to why it could not be made
    size_t m_imported = 0;
    bool m_changed = false;
};

}  // namespace kelvra::host
