#include "DataTableKelvraCard.h"

#include <algorithm>

#include "ByteCursor.h"
#include "DebugLog.h"
#include "DeviceDataKELVRA.h"
#include "ErrorBoundary.h"
#include "Errors.h"
#include "ItemKelvraCardPhonebook.h"
#include "PhonebookTypes.h"

namespace kelvra {

namespace {

constexpr LONG kStoreFull = 12;
constexpr uint32_t kCardInformation = 101;
constexpr size_t kScanBytes = 150;
constexpr size_t kUsedMarkOffset = 68;
// No card has more slots than this; a larger answer is a garbled reply.
constexpr uint32_t kMostSlots = 10000;

std::string Request(uint16_t command, std::initializer_list<uint32_t> words)
{
    ByteWriter packet;
    packet.U16LE(command).U32LE(static_cast<uint32_t>(words.size() * 4));
    for (uint32_t word : words)
        packet.U32LE(word);
    return packet.Take();
}

}  // namespace

CDataTableKelvraCard::CDataTableKelvraCard()
{
    m_columns = CItemKelvraCardPhonebook::CreateColumns();
}

void CDataTableKelvraCard::Initialize(CDeviceDataKELVRA* owner, ITAMConnection* connection, uint32_t cardKind)
{
    CDataTableKelvraBase::Initialize(owner, connection);
    ModelProfile& profile = owner->Model();
    m_startIndex = profile.Number(L"RUIM_startindex");
    m_cardKind = cardKind;
    m_nameField = profile.Length(L"RUIM_DefaultNameLen");
    m_numberField = profile.Length(L"RUIM_DefaultNumberLen");
    m_layout = CardEntryLayout::For(m_nameField, m_numberField);
}

void CDataTableKelvraCard::ReadCardInformation(CKelvraBase& link)
{
    uint32_t received = 0;
    std::string reply =
        link.ExchangeAlloc(Request(0x4140, {kCardInformation, m_cardKind == 14 ? 1u : 0u}), received, 2000);
    ByteReader words(reply);
    words.ReadU32LE();
    uint32_t nameLimit = words.ReadU32LE();
    uint32_t slotCount = words.ReadU32LE();
    uint32_t numberLimit = words.ReadU32LE();
    if (!words.Ok() || slotCount > kMostSlots)
        ThrowTamError(1, L"The handset's card information reply is garbled");
    m_slotCount = slotCount;
    // Whatever the card reports, never more than the record's fields hold.
    m_nameLimit = std::min<uint32_t>(nameLimit, static_cast<uint32_t>(m_layout.name.maxChars));
    m_numberLimit = std::min<uint32_t>(numberLimit, static_cast<uint32_t>(m_layout.number.maxChars));
}

void CDataTableKelvraCard::ScanSlots(CKelvraBase& link)
{
    m_slots.assign(m_slotCount, 0);
    if (m_recordCount == 0)
        return;
    uint32_t found = 0;
    for (LONG index = m_startIndex; index <= static_cast<LONG>(m_slotCount) && found < m_recordCount; ++index) {
        std::string entry(kScanBytes, '\0');
        uint32_t received = 0;
        try {
            if (!link.Exchange(Request(0x4120, {m_cardKind, static_cast<uint32_t>(index)}), entry.data(),
                               entry.size(), received, CKelvraBase::kMismatchIsFalse, 2000))
                continue;
        } catch (const _com_error&) {
            continue;  // a slot that cannot be read is passed over
        } catch (const _tam_error&) {
            continue;
        }
        if (entry[kUsedMarkOffset] != 0 && index >= 1 && static_cast<uint32_t>(index) <= m_slotCount) {
            m_slots[static_cast<size_t>(index - 1)] = 1;
            ++found;
        }
    }
}

void CDataTableKelvraCard::ReadCard()
{
    RequirePointer(m_agent, L"The device agent");
    CKelvraBase link = Link();
    ReadCardInformation(link);
    m_recordCount = link.GetRecordCount(m_cardKind);
    ScanSlots(link);
    m_cardRead = true;
}

STDMETHODIMP CDataTableKelvraCard::ListItemsAllBegin()
{
    return ComBoundary(L"CDataTableKelvraCard::ListItemsAllBegin", [&] {
        ScopedTrace trace(L"CDataTableKelvraCard::ListItemsAllBegin");
        return BeginListing([&] {
            ReadCard();
            m_slotCursor = 0;
        });
    });
}

RecordBytes CDataTableKelvraCard::ReadEntry(CKelvraBase& link, uint32_t index)
{
    uint32_t received = 0;
    std::string reply = link.ExchangeAlloc(Request(0x4120, {m_cardKind, index}), received, 2000);
    if (reply.size() < m_layout.size)
        ThrowTamError(1, L"The card entry " + std::to_wstring(index) + L" is shorter than its layout");
    return RecordBytes(std::move(reply));
}

STDMETHODIMP CDataTableKelvraCard::NextItem(IItem** item)
{
    return ComBoundary(L"CDataTableKelvraCard::NextItem", [&] {
        ScopedTrace trace(L"CDataTableKelvraCard::NextItem");
        if (!item)
            return E_POINTER;
        *item = nullptr;
        if (HandedOut() >= m_recordCount)
            return S_OK;
        if (!Listing())
            return E_FAIL;
        while (m_slotCursor < m_slots.size() && !m_slots[m_slotCursor])
            ++m_slotCursor;
        if (m_slotCursor >= m_slots.size()) {
            m_recordCount = HandedOut();  // the card counted more than it holds
            return ListItemsEnd();
        }
        ++m_slotCursor;
        CKelvraBase link = Link();
        RecordBytes record = ReadEntry(link, m_slotCursor);
        ColumnMap map;
        map.SetValue(L"SUID", VT_UI2, record.U16(m_layout.address));
        map.SetText(L"FIRST_NAME", record.WideText(m_layout.name));
        map.SetText(L"TEL_NUM_0", record.WideText(m_layout.number));
        map.SetText(L"TEL_TYPE_0", L"Private");
        map[L"DISPLAY_NAME"] = map[L"FIRST_NAME"];
        auto entry = ItemFromRecord<CItemKelvraCardPhonebook>(m_columns.Get(), map);
        return HandOut(entry.Get(), item, m_recordCount);
    });
}

STDMETHODIMP CDataTableKelvraCard::ListItemsEnd()
{
    ScopedTrace trace(L"CDataTableKelvraCard::ListItemsEnd");
    return EndListing();
}

STDMETHODIMP CDataTableKelvraCard::GetItemCount(IItem*, ULONG, QELDATATYPE, ULONG* count)
{
    return ComBoundary(L"CDataTableKelvraCard::GetItemCount", [&] {
        if (!count)
            return E_POINTER;
        RequirePointer(m_agent, L"The device agent");
        *count = Link().GetRecordCount(m_cardKind);
        return S_OK;
    });
}

STDMETHODIMP CDataTableKelvraCard::NewItem(QELDATATYPE type, SUID suid, SUID parent, IItem** item)
{
    return ComBoundary(L"CDataTableKelvraCard::NewItem", [&] {
        if (type == QELDT_PHONEBOOK_SIM)
            return HandOutNewItem<CItemKelvraCardPhonebook>(m_columns.Get(), suid, parent, item);
        if (item)
            *item = nullptr;
        return E_FAIL;
    });
}

CItemKelvraBase& CDataTableKelvraCard::CardItemToWrite(IItem* item)
{
    CItemKelvraBase& own = OwnItem(item);
    if (own.Type() != QELDT_PHONEBOOK_SIM)
        ThrowComError(E_INVALIDARG, L"The card phonebook takes card entries only");
    RequirePointer(m_agent, L"The device agent");
    if (!m_cardRead)
        ReadCard();  // no limits or slot map without it
    return own;
}

uint32_t CDataTableKelvraCard::SlotOf(SUID suid) const
{
    if (suid < m_startIndex || static_cast<LONG64>(suid) - m_startIndex >= static_cast<LONG64>(m_slotCount))
        ThrowComError(E_INVALIDARG, L"The card entry's SUID " + std::to_wstring(suid) + L" names no card slot");
    return static_cast<uint32_t>(suid - m_startIndex);
}

void CDataTableKelvraCard::WriteEntry(ColumnMap& map, uint32_t suid)
{
    std::wstring name = map.TextOr(L"DISPLAY_NAME", L"").substr(0, m_nameLimit);
    std::wstring number = CleanCardNumber(map.TextOr(L"TEL_NUM_0", L""), m_numberLimit);
    map.SetText(L"DISPLAY_NAME", name);
    map.SetText(L"TEL_NUM_0", number);

    RecordBytes record(m_layout.size);
    record.SetU16(m_layout.address, static_cast<uint16_t>(suid));
    record.SetWideText(m_layout.name, name);
    record.SetWideText(m_layout.number, number);
    uint32_t length = static_cast<uint32_t>((m_layout.name.units + m_layout.number.units) * 2 + 10);
    std::string request =
        ByteWriter().U16LE(0x4130).U32LE(length).U32LE(m_cardKind).U32LE(suid).Bytes(record.Bytes()).Take();
    uint8_t reply[8];
    uint32_t received = 0;
    Link().Exchange(request, reply, sizeof(reply), received, CKelvraBase::kMismatchIsError, 2000);
}

STDMETHODIMP CDataTableKelvraCard::CreateItem(IItem* item, SUID* suid)
{
    return ComBoundary(L"CDataTableKelvraCard::CreateItem", [&] {
        CItemKelvraBase& own = CardItemToWrite(item);
        ColumnMap map = MapOfItem(own);
        auto free = std::find(m_slots.begin(), m_slots.end(), 0);
        if (free == m_slots.end())
            ThrowTamError(kStoreFull, L"The card has no free slot");
        uint32_t slot = static_cast<uint32_t>(free - m_slots.begin());
        uint32_t newSuid = static_cast<uint16_t>(m_startIndex + static_cast<LONG>(slot));
        map.SetValue(L"SUID", VT_UINT, static_cast<LONG>(slot));
        WriteEntry(map, newSuid);
        m_slots[slot] = 1;
        if (suid)
            *suid = static_cast<SUID>(newSuid);
        map.SetValue(L"SUID", VT_I4, static_cast<LONG>(newSuid));
        own.SchemaConvertMap2Item(map);
        ++m_recordCount;
        return S_OK;
    });
}

STDMETHODIMP CDataTableKelvraCard::UpdateItem(IItem* item)
{
    return ComBoundary(L"CDataTableKelvraCard::UpdateItem", [&] {
        CItemKelvraBase& own = CardItemToWrite(item);
        SlotOf(own.Suid());
        ColumnMap map = MapOfItem(own);
        map.SetValue(L"SUID", VT_I4, own.Suid());
        WriteEntry(map, static_cast<uint32_t>(own.Suid()));
        own.SchemaConvertMap2Item(map);
        return S_OK;
    });
}

STDMETHODIMP CDataTableKelvraCard::DeleteItem(IItem* item)
{
    return ComBoundary(L"CDataTableKelvraCard::DeleteItem", [&] {
        CItemKelvraBase& own = CardItemToWrite(item);
        uint32_t slot = SlotOf(own.Suid());
        uint8_t reply[8];
        uint32_t received = 0;
        Link().Exchange(Request(0x4140, {m_cardKind, static_cast<uint32_t>(own.Suid())}), reply, sizeof(reply),
                        received, CKelvraBase::kMismatchIsError, 2000);
        m_slots[slot] = 0;
        if (m_recordCount > 0)
            --m_recordCount;
        return S_OK;
    });
}

}  // namespace kelvra
