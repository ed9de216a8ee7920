// The phonebook of a RUIM card in the handset; card kind 13 is the first card, 14 the
// second.
#pragma once

#include <vector>

#include "DataTableKelvraBase.h"
#include "KelvraBase.h"
#include "PhonebookLayouts.h"

namespace kelvra {

class CDataTableKelvraCard : public CDataTableKelvra<CDataTableKelvraCard> {
public:
    CDataTableKelvraCard();

    void Initialize(DeviceDataOwner* owner, ITAMConnection* connection, uint32_t cardKind);
    uint32_t CardKind() const { return m_cardKind; }

    STDMETHODIMP ListItemsAllBegin() override;
    STDMETHODIMP NextItem(IItem** item) override;
    STDMETHODIMP ListItemsEnd() override;
    STDMETHODIMP GetItemCount(IItem* item, ULONG recursive, QELDATATYPE type, ULONG* count) override;
    STDMETHODIMP NewItem(QELDATATYPE type, SUID suid, SUID parent, IItem** item) override;
    STDMETHODIMP CreateItem(IItem* item, SUID* suid) override;
    STDMETHODIMP UpdateItem(IItem* item) override;
    STDMETHODIMP DeleteItem(IItem* item) override;

private:
    struct CardInformation {
        uint32_t nameLimit = 0;
        uint32_t slotCount = 0;
        uint32_t numberLimit = 0;
    };

    CKelvraBase Link() const { return CKelvraBase(RequireAgent(), 1, 3000); }
    // Card information, count and the map of used slots, as a listing start gathers them.
    void ReadCard();
    // Reads the card again when it changed or a failure may have left the map wrong.
    void RereadChangedCard();
    CardInformation ReadCardInformation(CKelvraBase& link);
    std::vector<uint8_t> ScanSlots(CKelvraBase& link, uint32_t slotCount, uint32_t recordCount);
    bool SlotHoldsEntry(CKelvraBase& link, uint32_t slot);
    uint32_t FreeSlot();
    void DecodeEntry(const RecordBytes& record, uint32_t index, ColumnMap& map) const;
    // Writes the entry at a SUID: a new one whole, an existing one changing only the
    // fields whose columns differ; a slot that holds no entry is not updated. The map
    // afterwards holds what was stored.
    void WriteEntry(ColumnMap& map, uint32_t suid, bool creating);
    // The host's card entry, with the card's limits and slot map read if need be.
    CItemKelvraBase& CardItemToWrite(IItem* item);
    uint32_t SlotOf(SUID suid) const;

    uint32_t m_cardKind = 13;
    LONG m_startIndex = 0;
    CardEntryLayout m_layout;

    bool m_cardRead = false;
    uint64_t m_failuresAtRead = 0;  // the link's failed exchanges when the card was read
    uint32_t m_recordCount = 0;
    uint32_t m_nameLimit = 0;
    uint32_t m_numberLimit = 0;
    std::vector<uint8_t> m_slots;  // one byte a slot: the slot count is its size
    bool m_entriesUnfound = false;  // the last scan found fewer entries than the card counts
    uint32_t m_slotCursor = 0;
};

}  // namespace kelvra
