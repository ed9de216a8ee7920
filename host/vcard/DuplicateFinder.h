// Finds the contact a handset already holds for one about to be imported: same first and
// last name and the same numbers, allowing for what the model cuts to its fields.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "PhonebookCapabilities.h"
#include "VCardContact.h"

namespace kelvra::host {

class DuplicateFinder {
public:
    // The field sizes tell where a stored text may be the start of a longer one.
    explicit DuplicateFinder(const PhonebookCapabilities& capabilities = {});

    // A contact on the handset, as its columns' texts.
    void Add(long suid, const std::map<std::wstring, std::wstring>& columns);
    // The SUID of a contact on the handset that holds this one; 0 when there is none.
    long Find(const ContactColumns& contact) const;

private:
    // A stored text, and whether it fills its field (the model may have cut it there).
    struct Text {
        std::wstring text;
        bool fillsField;
    };
    struct Held {
        long suid;
        Text first, last;
        std::vector<Text> numbers;
        size_t numberSlots;
    };
    static bool Holds(const std::wstring& given, const Text& held);
    bool Fills(const std::wstring& text, const wchar_t* property) const;

    PhonebookCapabilities m_capabilities;
    std::vector<Held> m_contacts;
};

}  // namespace kelvra::host
