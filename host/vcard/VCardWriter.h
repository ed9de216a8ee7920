// Writes contacts as vCard 3.0, keeping what the handset stores: names, numbers with
// their types and speed dials, e-mails, URL, address, birthday, note and groups.
#pragma once

#include <map>
#include <string>

namespace kelvra::host {

class VCardWriter {
public:
    // One vCard; groupNames gives the names of the group numbers in GROUP_ID_n.
    static std::string Write(const std::map<std::wstring, std::wstring>& columns,
                             const std::map<std::wstring, std::wstring>& groupNames);
    // The last name of a contact; a handset that keeps none in its own field folds it
    // into the display name.
    static std::wstring LastNameOf(const std::map<std::wstring, std::wstring>& columns);
};

}  // namespace kelvra::host
