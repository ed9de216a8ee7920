// One contact read from a vCard file, as the phonebook columns to set, with what of it
// has no place on the handset and, when it cannot be imported, why.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace kelvra::host {

// A contact as the phonebook's column names and their texts; its groups come as
// "GROUP_NAME_n" for the importer to turn into group numbers.
using ContactColumns = std::vector<std::pair<std::wstring, std::wstring>>;

struct VCardContact {
    size_t lineNumber = 0;  // of its BEGIN:VCARD
    std::wstring label;     // how messages name it
    ContactColumns columns;
    std::string picture;        // the picture's bytes; empty when it has none
    std::string pictureFormat;  // its file-name extension: "jpg", "png", "gif" or "bmp"
    std::vector<std::string> notes;  // what the handset will not get, one line each
    std::string problem;             // why it cannot be imported; empty when it can
};

}  // namespace kelvra::host
