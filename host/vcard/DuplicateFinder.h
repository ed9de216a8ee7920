// Finds the contact a handset already holds for one about to be imported: same first and
// last name and the same numbers, allowing for what the model cuts to its fields.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "VCardContact.h"

namespace kelvra::host {

class DuplicateFinder {
public:
    // A contact on the handset, as its columns' texts.
    void Add(long suid, const std::map<std::wstring, std::wstring>& columns);
    // The SUID of a contact on the handset that holds this one; 0 when there is none.
    long Find(const ContactColumns& contact) const;

private:
    struct Held {
        long suid;
        std::wstring first, last;
        std::vector<std::wstring> numbers;
        size_t numberSlots;
    };
    static bool Holds(const std::wstring& given, const std::wstring& held);

    std::vector<Held> m_contacts;
};

}  // namespace kelvra::host
