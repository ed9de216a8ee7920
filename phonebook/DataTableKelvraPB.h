// The phonebook table: caller groups and phonebook entries of the handset.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "DataTableKelvraBase.h"
#include "KelvraPB.h"
#include "StoreIndexes.h"
#include "ModelDatabase.h"
#include "PhonebookSettings.h"

namespace kelvra {

class CDataTableKelvraPB : public CDataTableKelvra<CDataTableKelvraPB> {
public:
    // Receives the card speed dials that point past the phonebook.
    using SpeedDialReceiver = std::function<void(const std::vector<uint16_t>&)>;

    CDataTableKelvraPB();

    void Initialize(DeviceDataOwner* owner, ITAMConnection* connection);
    void Detach() override;
    void SetModelDatabase(IModelDatabase* models) { m_models = models; }
    void SetSpeedDialReceiver(SpeedDialReceiver receiver) { m_speedDialReceiver = std::move(receiver); }

    STDMETHODIMP ListItemsAllBegin() override;
    STDMETHODIMP NextItem(IItem** item) override;
    STDMETHODIMP ListItemsEnd() override;
    STDMETHODIMP GetItemCount(IItem* item, ULONG recursive, QELDATATYPE type, ULONG* count) override;
    STDMETHODIMP NewItem(QELDATATYPE type, SUID suid, SUID parent, IItem** item) override;
    STDMETHODIMP CreateItem(IItem* item, SUID* suid) override;
    STDMETHODIMP UpdateItem(IItem* item) override;
    STDMETHODIMP DeleteItem(IItem* item) override;

private:
    CKelvraPB& Codec();
    std::wstring Ask(const wchar_t* key) const;
    void LoadIndexLists();
    bool NextGroup(IItem** item);
    // The smallest index from 1 up that the handset's list of a store does not hold.
    uint32_t FreeIndex(uint32_t store);
    void CreateEntry(CItemKelvraBase& item, SUID* suid);
    void CreateGroup(CItemKelvraBase& item, SUID* suid);
    void WriteEntry(ColumnMap& map, uint32_t index, bool creating);
    void WriteGroup(ColumnMap& map, uint32_t index, bool creating);
    void FillFromHandset(CItemKelvraBase& item, const ColumnMap& written, uint32_t index, uint32_t store);
    // Whether the table lists, updates and deletes a record at that index: one the store
    // cannot hold is neither listed nor written.
    bool NamesEntry(LONG64 index) const;
    bool NamesGroup(LONG64 index) const;
    // The record index an item's SUID names; an index the store cannot hold is refused.
    uint32_t EntryIndexOf(const CItemKelvraBase& item) const;
    uint32_t GroupIndexOf(const CItemKelvraBase& item) const;

    PhonebookSettings m_settings;
    std::unique_ptr<CKelvraPB> m_codec;
    ComPtr<CColumnsKelvra> m_groupColumns;
    ComPtr<IModelDatabase> m_models;
    SpeedDialReceiver m_speedDialReceiver;

    bool m_photoSupported = false;
    bool m_groupsDone = true;
    std::vector<uint32_t> m_entries;
    std::vector<uint32_t> m_groups;
    uint32_t m_entryCount = 0;
    uint32_t m_entryCursor = 0;
    uint32_t m_groupCount = 0;
    uint32_t m_groupCursor = 0;
    KeptIndexes m_kept;
};

}  // namespace kelvra
