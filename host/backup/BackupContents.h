// What restore reads of a backup folder, all of it before the handset opens: the folder
// is checked against its manifest first, and a backup that fails the check, or whose
// item lines cannot be read, is refused.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "BackupManifest.h"
#include "ItemRecord.h"

namespace kelvra::host {

class BackupContents {
public:
    // InputError, with every problem said on stderr first, for a folder that fails.
    static BackupContents Read(const std::wstring& folder);

    const BackupManifest& Manifest() const { return m_manifest; }
    // The records of a table; null when the backup holds no such table.
    const std::vector<ItemRecord>* Records(const std::wstring& table) const;
    // The full PC path of a file of the backup, by its path in the manifest.
    std::wstring PathOf(const std::string& relative) const;
    // The handset's files in the backup: manifest paths under files/.
    std::vector<ManifestFile> Files() const;
    // Its folders, empty ones too, under files/ ("files/phone/Images"), parents first.
    const std::vector<std::string>& Folders() const { return m_folders; }

private:
    void ReadFolders(const std::string& relative);

    std::wstring m_folder;
    BackupManifest m_manifest;
    std::map<std::wstring, std::vector<ItemRecord>> m_tables;
    std::vector<std::string> m_folders;
};

}  // namespace kelvra::host
