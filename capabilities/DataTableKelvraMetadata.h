// The table of facts about the connected handset: its capability and speed-dial
// documents and its privacy lock.
#pragma once

#include <string>
#include <vector>

#include "DataTableKelvraBase.h"
#include "ModelDatabase.h"

namespace kelvra {

class CDataTableKelvraMetadata : public CDataTableKelvra<CDataTableKelvraMetadata> {
public:
    void SetModelDatabase(IModelDatabase* models) { m_models = models; }
    // The phonebook's hand-over; each replaces the previous list.
    void SetSpeedDials(const std::vector<uint16_t>& usedNumbers);

    STDMETHODIMP GetProperty(BSTR name, BSTR* value) override;
    STDMETHODIMP Execute(BSTR param, IItem* item, IItem** result) override;
    STDMETHODIMP NewItem(QELDATATYPE type, SUID suid, SUID parent, IItem** item) override;

private:
    std::wstring PrivacyLockStatus();
    void Unlock(const std::wstring& password);

    ComPtr<IModelDatabase> m_models;
    std::vector<uint32_t> m_speedDials;
    std::wstring m_lockStatus;
};

}  // namespace kelvra
