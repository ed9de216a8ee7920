// Writes contacts as vCard 3.0, keeping what the handset stores: names, numbers with
// their types and speed dials, e-mails, URL, address, birthday, note, groups and the
// picture.
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
    // The name in the order its script writes it: the given name, a blank and the family
    // name; the family name first and no blank for Hangul, Han and kana names.
    static std::wstring NameAsWritten(const std::wstring& first, const std::wstring& last);
    // Whether a full name is one a model makes from the names (not edited on the handset).
    static bool MadeByTheModel(const std::wstring& full, const std::wstring& first, const std::wstring& last);

private:
    static bool FamilyNameFirst(const std::wstring& first, const std::wstring& last);
};

}  // namespace kelvra::host
