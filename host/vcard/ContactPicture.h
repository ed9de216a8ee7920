// A contact's picture between vCard files and the phonebook's picture column, which takes
// and gives the path of a PC file: the formats a handset shows, told by their bytes, and
// the files an import hands the pictures over in.
#pragma once

#include <string>
#include <vector>

#include "VCardContact.h"

namespace kelvra::host {

// "jpg", "png", "gif" or "bmp" by the picture's first bytes; empty for anything else.
std::string PictureFormatOf(const std::string& bytes);

// A folder of its own under the PC's temporary folder, made on first use and removed
// with its files when the import is done.
class PictureFolder {
public:
    PictureFolder() = default;
    ~PictureFolder();
    PictureFolder(const PictureFolder&) = delete;
    PictureFolder& operator=(const PictureFolder&) = delete;

    // A file holding the contact's picture, named after the contact's place in the file
    // so that no two share a name; empty when it has no picture. InputError when the
    // file cannot be written.
    std::wstring Hold(const VCardContact& contact);

private:
    std::wstring m_folder;
    std::vector<std::wstring> m_files;
};

}  // namespace kelvra::host
