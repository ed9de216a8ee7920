// backup: everything the handset holds into a new folder, without loss: every item of
// every table the model keeps with every column, the contacts' pictures, the MMS
// contents and the file tree byte for byte; and beside them the phonebook as vCard, the
// organizer as iCalendar and the SMS as JSON for other programs.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "BackupFolder.h"
#include "BackupTables.h"
#include "ItemRecord.h"
#include "SyncSession.h"

namespace kelvra::host {

class HandsetBackup {
public:
    HandsetBackup(SyncSession& session, BackupFolder& folder) : m_session(session), m_folder(folder) {}

    // Writes the backup and names its folder; returns the exit code (records the handset
    // could not give are passed over, named, and listed in the manifest).
    int Run();

private:
    // Lists a table into items/NAME.jsonl; returns its items.
    std::vector<ComPtr<IItem>> BackUpTable(const BackupTable& table);
    // The contact's picture into items/pictures/, named in its record.
    void KeepPicture(IItem* contact, ItemRecord& record);
    void WriteContacts(const std::vector<ComPtr<IItem>>& contacts, const std::vector<ComPtr<IItem>>& groups);
    void WriteOrganizer();
    void BackUpMmsContent(const std::vector<ComPtr<IItem>>& messages);
    void BackUpFiles();
    void Said(const std::string& table, uint64_t count, const char* what);

    SyncSession& m_session;
    BackupFolder& m_folder;
    BackupManifest m_manifest;
    std::map<std::wstring, std::vector<ComPtr<IItem>>> m_listed;
    std::vector<std::string> m_filesPassedOver;
};

}  // namespace kelvra::host
