// The MMS table: the message headers of the last listing, held in memory and handed out
// as items; a message's content is fetched into a ".mms" file, and such a file is sent
// as a new message.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "DataTableKelvraBase.h"
#include "KelvraMms.h"

namespace kelvra {

class CDataTableKelvraMMS : public CDataTableKelvra<CDataTableKelvraMMS> {
public:
    CDataTableKelvraMMS();

    STDMETHODIMP ListItemsAllBegin() override;
    STDMETHODIMP NextItem(IItem** item) override;
    STDMETHODIMP ListItemsEnd() override;
    STDMETHODIMP GetItemCount(IItem* item, ULONG recursive, QELDATATYPE type, ULONG* count) override;
    STDMETHODIMP NewItem(QELDATATYPE type, SUID suid, SUID parent, IItem** item) override;
    STDMETHODIMP CreateItem(IItem* item, SUID* suid) override;
    STDMETHODIMP UpdateItem(IItem* item) override;
    STDMETHODIMP DeleteItem(IItem* item) override;
    STDMETHODIMP ReadItem(IItem* item) override;
    STDMETHODIMP Execute(BSTR param, IItem* item, IItem** result) override;

private:
    static constexpr DWORD kSettlePause = 500;

    // A codec for one operation, on the table's agent and the connected model.
    CKelvraMms MakeCodec() const;
    // Packet exchange on the agent; a failing result is returned as it is.
    HRESULT EnterPacketMode() const;
    void ListAllFolders();
    // The held header of a SUID, or null.
    ColumnMap* FindHeader(SUID suid);

    std::array<uint32_t, 4> m_folderCounts{};
    std::vector<ColumnMap> m_headers;
    size_t m_position = 0;
};

}  // namespace kelvra
