// restore: a backup put back onto a handset, the same one after a reset or a new one of
// this or another model. Every table is looked at before anything changes: a table that
// holds items already is refused unless the items are to be merged or replaced. Groups
// come back before the contacts, which keep their groups under the numbers the handset
// gives; what the model cannot hold is said per item, and the rest is restored.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "BackupContents.h"
#include "BackupTables.h"
#include "FileRestore.h"
#include "ModelProfileText.h"
#include "SyncSession.h"

namespace kelvra::host {

struct RestoreOptions {
    bool dryRun = false;
    bool merge = false;    // create only what the handset does not hold
    bool replace = false;  // delete the table's items first
    std::vector<std::wstring> only;  // the tables to restore; empty for all
};

class HandsetRestore {
public:
    HandsetRestore(SyncSession& session, const BackupContents& backup, const RestoreOptions& options);

    // Returns the exit code: something left out or changed by the handset is kHandsetChanged.
    int Run();

    // Whether a name is one --only takes.
    static bool IsTableName(const std::wstring& name);

private:
    struct TableState {
        const BackupTable* table;
        const std::vector<ItemRecord>* records;
        std::string leftOutWhy;  // why the whole table stays out; empty when it is restored
        ComPtr<IDataTable> data;
        QELDATATYPE kind = QELDT_PHONEBOOK;
        std::vector<ComPtr<IItem>> onHandset;
    };
    struct Counts {
        size_t created = 0, held = 0, deleted = 0, leftOut = 0;
    };

    bool Selected(const std::wstring& table) const;
    TableState Look(const BackupTable& table);
    // The files' restore, or none (said) when this handset takes no files.
    std::optional<FileRestore> LookAtFiles();
    void SayFilesLeftOut();
    void RefuseHeldTables(const std::vector<TableState>& states, bool filesHeld) const;
    void DeleteHeld(std::vector<TableState>& states, std::map<std::wstring, Counts>& counts);
    void Restore(TableState& state, Counts& counts);
    // The records as this handset would hold them under its group numbers; fills notes.
    std::vector<ItemRecord> Mapped(const TableState& state);
    void MapGroups();
    // A new item with the record's columns set, what the model has no place for said.
    struct PreparedItem {
        ComPtr<IItem> item;
        std::vector<std::wstring> assignments;  // what was set, to compare with what is kept
        std::vector<std::string> notes;
    };
    PreparedItem Prepare(const TableState& state, const ItemRecord& record, const ItemRecord& original) const;
    bool CreateOne(const TableState& state, const ItemRecord& record, const ItemRecord& original);
    void SayTable(const TableState& state, const Counts& counts) const;
    void SayItem(const TableState& state, const ItemRecord& record, const std::string& line);

    SyncSession& m_session;
    const BackupContents& m_backup;
    RestoreOptions m_options;
    ModelProfileText m_profile;  // the handset's model
    std::string m_modelName;
    bool m_otherModel = false;
    bool m_keepsPictures = false;
    bool m_changed = false;
    std::string m_filesLeftOut;  // why the files stay out; empty when they are restored
    std::map<std::wstring, std::wstring> m_groupNumbers;  // the backup's group number: the handset's
};

}  // namespace kelvra::host
