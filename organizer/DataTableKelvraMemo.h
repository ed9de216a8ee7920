// The memo table: the handset's memos (store 4); a memo's SUID is its index.
#pragma once

#include "ItemKelvraMemo.h"
#include "OrganizerStoreTable.h"

namespace kelvra {

class CDataTableKelvraMemo : public COrganizerStoreTable<CDataTableKelvraMemo, CItemKelvraMemo> {
public:
    static const StoreTableNames kNames;

    uint32_t Store() const { return CKelvraOrg::kMemoStore; }
    LONG MaxCount() const { return m_settings.memoMax; }
    bool Present() const { return m_settings.memoPresent; }
    void Read(CKelvraOrg& codec, uint32_t index, ColumnMap& map) { codec.ReadMemoRecord(index, map); }
    void Write(CKelvraOrg& codec, ColumnMap& map, bool creating) { codec.WriteMemoRecord(map, creating); }
};

}  // namespace kelvra
