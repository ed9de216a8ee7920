// What a handset and a synced folder held at their last sync, kept outside the folder
// (under the PC's application data, one file per handset, table and folder): for each
// handset item paired with a file, the item's SUID, the file's name, size and
// modification stamp, and the hash of each side's projection. Written whole under
// another name and renamed, so that a killed run leaves the last whole status.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace kelvra::host {

struct SyncPair {
    long suid = 0;
    std::wstring file;        // its name in the folder
    uint64_t stamp = 0;       // its last-write time as the PC's file system gives it
    uint64_t size = 0;
    std::string fileHash;     // of the file's projection
    std::string itemHash;     // of the item's projection, as the handset read it back
    // Hashes of what names the item (its name, its numbers; a title and a start): a
    // handset that reuses a deleted item's place for a new one gives it the old SUID, and
    // an item that shares none of them with the one paired is that new one.
    std::vector<std::string> identity;
    // A hash of each field of the item's projection, so that an edit on the handset
    // carries into the file just the fields it changed.
    std::map<std::wstring, std::string> itemFields;
};

class FolderSyncStatus {
public:
    // The status of a table synced between a handset and a folder; handset names the
    // handset (its state folder, or its port and model). Nothing is read yet.
    FolderSyncStatus(const std::wstring& handset, const std::wstring& table, const std::wstring& folder);

    // Reads the status; none at all is a first sync. InputError for a status that cannot
    // be read or belongs to another handset, table or folder.
    void Load();
    // Writes the pairs whole; InputError when they cannot be written.
    void Save(const std::vector<SyncPair>& pairs) const;

    const std::wstring& Path() const { return m_path; }
    std::vector<SyncPair> pairs;  // as loaded

private:
    std::wstring m_handset, m_table, m_folder, m_path;
};

}  // namespace kelvra::host
