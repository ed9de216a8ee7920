// The item files of a synced folder: those ending in the table's extension, with their
// size and last-write stamp. Names beginning with a dot are other programs' and our own
// files being written, and are passed over.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kelvra::host {

struct FolderFile {
    std::wstring name;
    uint64_t stamp = 0;
    uint64_t size = 0;
};

class FolderListing {
public:
    // InputError when the folder is none or cannot be listed.
    static std::vector<FolderFile> Files(const std::wstring& folder, const std::wstring& extension);
    // The file as it is now; false when it is gone.
    static bool Stat(const std::wstring& path, FolderFile& file);
};

}  // namespace kelvra::host
