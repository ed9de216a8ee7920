// The task table: the handset's to-do tasks (store 5); a task's SUID is its index.
#pragma once

#include "ItemKelvraTask.h"
#include "OrganizerStoreTable.h"

namespace kelvra {

class CDataTableKelvraTask : public COrganizerStoreTable<CDataTableKelvraTask, CItemKelvraTask> {
public:
    static const StoreTableNames kNames;

    uint32_t Store() const { return CKelvraOrg::kTaskStore; }
    LONG MaxCount() const { return m_settings.taskMax; }
    bool Present() const { return m_settings.taskPresent; }
    void Read(CKelvraOrg& codec, uint32_t index, ColumnMap& map) { codec.ReadTaskRecord(index, map); }
    void Write(CKelvraOrg& codec, ColumnMap& map, bool creating) { codec.WriteTaskRecord(map, creating); }
};

}  // namespace kelvra
