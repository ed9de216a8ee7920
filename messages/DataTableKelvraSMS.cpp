#include "DataTableKelvraSMS.h"

#include "DebugLog.h"
#include "ErrorBoundary.h"
#include "ItemKelvraSMS.h"
#include "Platform.h"
#include "ProfileLoader.h"

namespace kelvra {

namespace {

// The handset needs these pauses before it lists its boxes and before it sends.
constexpr DWORD kPauseBeforeListing = 500;
constexpr DWORD kPauseBeforeSending = 3000;

}  // namespace

CDataTableKelvraSMS::CDataTableKelvraSMS()
{
    m_columns = CItemKelvraSMS::CreateColumns();
}

void CDataTableKelvraSMS::Initialize(DeviceDataOwner* owner, ITAMConnection* connection)
{
    CDataTableKelvraBase::Initialize(owner, connection);
    m_settings = SmsSettings::Load(owner->Model());
    m_codec.reset();
}

void CDataTableKelvraSMS::Detach()
{
    CDataTableKelvraBase::Detach();
    m_codec.reset();
}

void CDataTableKelvraSMS::AskDualCard(IModelDatabase* models)
{
    m_dualCard = _wcsicmp(AskModelDatabase(models, L"SMS.DualCard").c_str(), L"true") == 0;
}

CKelvraSMS& CDataTableKelvraSMS::Codec()
{
    ITAMAgent* agent = RequireAgent();
    // Without its field sizes a message would be read as empty texts and sent as a
    // packet the handset cannot parse.
    if (!m_settings.SizesEveryField())
        ThrowComError(E_FAIL, L"The model's profile gives no sizes for its SMS fields, so its messages can be "
                              L"neither read nor sent");
    if (!m_codec)
        m_codec = std::make_unique<CKelvraSMS>(agent, m_settings);
    return *m_codec;
}

void CDataTableKelvraSMS::CountBoxes()
{
    m_total = Codec().GetSMSCount(m_boxes, m_dualCard);
    m_slot = 0;
    m_folderPositions.fill(0);
}

STDMETHODIMP CDataTableKelvraSMS::ListItemsAllBegin()
{
    static const wchar_t kName[] = L"CDataTableKelvraSMS::ListItemsAllBegin";
    return ComBoundary(kName, [&] {
        ScopedTrace trace(kName);
        AskDualCard(Owner().ModelDatabase());
        return BeginListing([&] {
            Platform::Current().Sleep(kPauseBeforeListing);
            CountBoxes();
        });
    });
}

bool CDataTableKelvraSMS::FindNextRecord()
{
    while (m_slot < CKelvraSMS::kSlotCount && m_boxes[m_slot].slot != CKelvraSMS::kNoSlot) {
        if (m_boxes[m_slot].remaining > 0)
            return true;
        ++m_slot;
    }
    return false;
}

STDMETHODIMP CDataTableKelvraSMS::NextItem(IItem** item)
{
    static const wchar_t kName[] = L"CDataTableKelvraSMS::NextItem";
    return ComBoundary(kName, [&] {
        ScopedTrace trace(kName);
        if (!item)
            return E_POINTER;
        *item = nullptr;
        if (!Listing())
            return Passed() >= m_total ? S_OK : E_FAIL;
        if (!FindNextRecord())
            return NoMoreItems();
        // Records of a box are read from the highest index down.
        uint32_t box = CKelvraSMS::GetBoxID(m_slot);
        uint32_t index = m_boxes[m_slot].remaining--;
        uint32_t position = ++m_folderPositions[CKelvraSMS::FolderCode(CKelvraSMS::GetFolderName(box))];
        ColumnMap map;
        try {
            Codec().ReadSMS(index, box, map, position);
        } catch (...) {
            PassOverFailedRecord(L"Message " + std::to_wstring(index) + L" of box " + std::to_wstring(box), m_total);
        }
        auto message = ItemFromRecord<CItemKelvraSMS>(m_columns.Get(), map);
        return HandOut(message.Get(), item, m_total);
    });
}

STDMETHODIMP CDataTableKelvraSMS::ListItemsEnd()
{
    DebugLog(L"%ls", L"CDataTableKelvraSMS::ListItemsEnd");
    return EndListing();
}

STDMETHODIMP CDataTableKelvraSMS::GetItemCount(IItem*, ULONG, QELDATATYPE, ULONG* count)
{
    static const wchar_t kName[] = L"CDataTableKelvraSMS::GetItemCount";
    return ComBoundary(kName, [&] {
        DebugLog(L"%ls", kName);
        if (!count)
            return E_POINTER;
        if (!Listing()) {
            Codec().SetMode(0);
            CountBoxes();
        }
        *count = m_total;
        return S_OK;
    });
}

STDMETHODIMP CDataTableKelvraSMS::NewItem(QELDATATYPE, SUID suid, SUID parent, IItem** item)
{
    return ComBoundary(L"CDataTableKelvraSMS::NewItem", [&] {
        return HandOutNewItem<CItemKelvraSMS>(m_columns.Get(), suid, parent, item);
    });
}

STDMETHODIMP CDataTableKelvraSMS::Execute(BSTR, IItem* item, IItem** result)
{
    return ComBoundary(L"CDataTableKelvraSMS::Execute", [&] {
        if (result)
            *result = nullptr;
        CItemKelvraBase& own = OwnItem(item);
        HRESULT hr = RequireAgent()->SetMode(0);
        if (FAILED(hr))
            return hr;
        Platform::Current().Sleep(kPauseBeforeSending);
        ColumnMap map = MapOfItem(own);
        Codec().SendSMS(map, m_dualCard);
        return S_OK;
    });
}

}  // namespace kelvra
