// The file table: the handset's folders and files as items, listed whole or one folder
// at a time, and the folder and file operations; copies are the file item's own.
#pragma once

#include <vector>

#include "DataTableKelvraBase.h"
#include "KelvraFile.h"

namespace kelvra {

class CDataTableKelvraFile : public CDataTableKelvra<CDataTableKelvraFile> {
public:
    CDataTableKelvraFile();

    STDMETHODIMP ListItemsAllBegin() override;
    STDMETHODIMP ListChildItemsBegin(IItem* item) override;
    STDMETHODIMP NextItem(IItem** item) override;
    STDMETHODIMP ListItemsEnd() override;
    STDMETHODIMP NewItem(QELDATATYPE type, SUID suid, SUID parent, IItem** item) override;
    STDMETHODIMP CreateItem(IItem* item, SUID* suid) override;
    STDMETHODIMP UpdateItem(IItem* item) override;
    STDMETHODIMP DeleteItem(IItem* item) override;
    STDMETHODIMP ReadItem(IItem* item) override;

    // A codec for one operation, on the table's agent and the connected model's profile.
    CKelvraFile MakeCodec() const;
    // Passes a copy's progress to the host through the device data object.
    void ReportProgress(ULONG done, ULONG total, LONG* continueFlag) const;
    // A reference to the device data object, held while a copy runs: a host may release
    // its own last one from a progress event, and the copy goes on reporting to it.
    ComPtr<IUnknown> HoldOwner() const;

private:
    static constexpr DWORD kListingPause = 1000;
    static constexpr DWORD kUpdatePause = 500;
    static constexpr const wchar_t* kCreateAndDeleteRenameModels =
        L"KTM-A280;KTM-A150;KTM-A230;KTM-A260;KTM-A130;KTM-A170;KTM-A180";

    FileSystemSettings Settings() const;
    bool HasFixedPhoneTotal() const;
    // The phone memory's size as the profile states it; 0 when it states none ("-1").
    uint64_t StatedPhoneTotal() const;
    // Opens a listing of what the codec gathers.
    void Open(CKelvraFile::Listing listing, ColumnMap info);
    void RenameFolder(CKelvraFile& codec, CItemKelvraBase& item, ColumnMap& record);
    void RenameByCreateAndDelete(CKelvraFile& codec, ColumnMap& record);
    ComPtr<IItem> NextListedItem();

    ComPtr<CColumnsKelvra> m_infoColumns;
    ComPtr<CColumnsKelvra> m_folderColumns;
    ComPtr<CColumnsKelvra> m_fileColumns;
    bool m_open = false;
    bool m_infoHandedOut = false;
    ColumnMap m_info;
    CKelvraFile::Listing m_listing;
    size_t m_nextFolder = 0;
    size_t m_nextFile = 0;
};

}  // namespace kelvra
