// The calendar table: the six kinds of calendar record as one listing, with one SUID
// space (kind × 10000 + handset index).
#pragma once

#include <array>
#include <memory>
#include <vector>

#include "DataTableKelvraBase.h"
#include "KelvraOrg.h"
#include "OrganizerPlaces.h"
#include "OrganizerSettings.h"

namespace kelvra {

class CDataTableKelvraSchedule : public CDataTableKelvra<CDataTableKelvraSchedule> {
public:
    static constexpr SUID kKindSpan = 10000;

    CDataTableKelvraSchedule();

    void Initialize(DeviceDataOwner* owner, ITAMConnection* connection);
    void Detach() override;

    STDMETHODIMP ListItemsAllBegin() override;
    STDMETHODIMP NextItem(IItem** item) override;
    STDMETHODIMP ListItemsEnd() override;
    STDMETHODIMP GetItemCount(IItem* item, ULONG recursive, QELDATATYPE type, ULONG* count) override;
    STDMETHODIMP NewItem(QELDATATYPE type, SUID suid, SUID parent, IItem** item) override;
    STDMETHODIMP CreateItem(IItem* item, SUID* suid) override;
    STDMETHODIMP UpdateItem(IItem* item) override;
    STDMETHODIMP DeleteItem(IItem* item) override;

    const OrganizerSettings& Settings() const { return m_settings; }

private:
    struct KindState {
        std::vector<uint32_t> used;  // in the order the handset listed them
        uint32_t count = 0;
        uint32_t cursor = 0;
    };

    CKelvraOrg& Codec();
    void LoadIndexLists();
    ULONG TotalCount() const;
    // The kind an item's TYPE asks for; an absent kind is a schedule.
    OrgKind KindOfType(const ColumnMap& map) const;
    // The kind and handset index a SUID names; a SUID of no present kind's place is refused.
    OrgKind KindOfSuid(SUID suid, uint32_t& index) const;
    std::wstring TypeText(OrgKind kind) const;
    // The item shows the record as the handset now holds it.
    void FillFromHandset(CItemKelvraBase& item, ColumnMap& written, OrgKind kind, uint32_t index);
    // The places of a kind this table works with (OrganizerPlaces).
    OrganizerPlaces Places(OrgKind kind) const;
    // The first place of the kind that neither the handset nor this table holds.
    uint32_t FreeIndex(OrgKind kind);
    // A change of kind: the entry goes to the first free place of its new kind.
    void Move(CItemKelvraBase& item, const ColumnMap& given, OrgKind oldKind, uint32_t index, OrgKind newKind);
    bool OldRecordStays(OrgKind kind, uint32_t index);
    void Forget(OrgKind kind, uint32_t index);
    void TakeBack(OrgKind kind, uint32_t index);
    void Remember(OrgKind kind, uint32_t index);
    KindState& State(OrgKind kind) { return m_kinds[static_cast<size_t>(kind)]; }

    OrganizerSettings m_settings;
    std::unique_ptr<CKelvraOrg> m_codec;
    std::array<KindState, kOrgKindCount> m_kinds;
    KeptIndexes m_kept;  // what each kind's store uses, between creates
    int m_kind = 0;  // the kind the listing is in
};

}  // namespace kelvra
