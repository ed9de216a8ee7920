// Contacts as vCard 3.0 text and back, keeping what the handset stores: names, numbers
// with their types, e-mails, URL, address, birthday, note and groups.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace kelvra::tools {

// One contact as the phonebook's column names and their texts.
using ContactColumns = std::vector<std::pair<std::wstring, std::wstring>>;

class VCard {
public:
    // One vCard; groupNames gives the names of the group numbers in GROUP_ID_n.
    static std::string Write(const std::map<std::wstring, std::wstring>& columns,
                             const std::map<std::wstring, std::wstring>& groupNames);
    // Every vCard of a file, as columns to set on new contacts; its groups come as
    // "GROUP_NAME_n" for the caller to turn into group numbers.
    static std::vector<ContactColumns> Read(const std::string& text);

private:
    static std::wstring Escaped(const std::wstring& value);
    static std::wstring Unescaped(const std::wstring& value);
    static std::string Folded(const std::wstring& line);
};

}  // namespace kelvra::tools
