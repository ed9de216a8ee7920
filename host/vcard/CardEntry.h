// A contact as a card entry holds it, one name and one number, and a card entry as a
// contact for the vCard writer and the duplicate check.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "VCardContact.h"

namespace kelvra::host {

class CardEntry {
public:
    // The entry's DISPLAY_NAME and TEL_NUM_0; what else the contact holds goes into notes,
    // one line each. Empty, with problem said, when the contact has no number.
    static ContactColumns FromContact(const VCardContact& contact, std::vector<std::string>& notes,
                                      std::string& problem);
    // An entry's columns as a contact's, for the writer and the duplicate check: its name
    // is the first name.
    static std::map<std::wstring, std::wstring> AsContact(const std::map<std::wstring, std::wstring>& entry);
    static ContactColumns AsContact(const ContactColumns& entry);
};

}  // namespace kelvra::host
