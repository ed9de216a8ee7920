// The message table: lists and counts the messages of the handset's boxes and sends a
// new message; nothing stored is created, changed or deleted.
#pragma once

#include <array>
#include <memory>

#include "DataTableKelvraBase.h"
#include "KelvraSMS.h"
#include "ModelDatabase.h"
#include "SmsSettings.h"

namespace kelvra {

class CDataTableKelvraSMS : public CDataTableKelvra<CDataTableKelvraSMS> {
public:
    CDataTableKelvraSMS();

    void Initialize(DeviceDataOwner* owner, ITAMConnection* connection);
    void Detach() override;
    // Asks the model database whether the handset has two cards.
    void AskDualCard(IModelDatabase* models);
    bool DualCard() const { return m_dualCard; }
    const SmsSettings& Settings() const { return m_settings; }

    STDMETHODIMP ListItemsAllBegin() override;
    STDMETHODIMP NextItem(IItem** item) override;
    STDMETHODIMP ListItemsEnd() override;
    STDMETHODIMP GetItemCount(IItem* item, ULONG recursive, QELDATATYPE type, ULONG* count) override;
    STDMETHODIMP NewItem(QELDATATYPE type, SUID suid, SUID parent, IItem** item) override;
    // Sends the item as a new message; nothing is handed back.
    STDMETHODIMP Execute(BSTR param, IItem* item, IItem** result) override;

private:
    CKelvraSMS& Codec();
    void CountBoxes();
    // Moves to the next box with records left; false after the last box.
    bool FindNextRecord();

    SmsSettings m_settings;
    std::unique_ptr<CKelvraSMS> m_codec;
    bool m_dualCard = false;
    ULONG m_total = 0;
    CKelvraSMS::BoxTable m_boxes{};
    size_t m_slot = 0;
    // Messages listed so far per folder code: a folder's SUIDs run on across its boxes.
    std::array<uint32_t, 5> m_folderPositions{};
};

}  // namespace kelvra
