#include "DataTableKelvraCard.h"

#include <algorithm>

#include "ByteCursor.h"
#include "ColumnChanges.h"
#include "DebugLog.h"
#include "ErrorBoundary.h"
#include "Errors.h"
#include "ItemKelvraCardPhonebook.h"
#include "PhonebookTypes.h"
#include "Request.h"

namespace kelvra {

namespace {

// The card information request shares its command code with record deletion.
constexpr uint16_t kCardInformationRequest = 0x4140;
constexpr uint32_t kCardInformation = 101;
constexpr size_t kScanBytes = 150;
constexpr size_t kUsedMarkOffset = 68;
const wchar_t kNumberNeeded[] = L"A card entry needs a number; nothing was written";
// No card has more slots than this; a larger answer is a garbled reply.
constexpr uint32_t kMostSlots = 10000;

}  // namespace

CDataTableKelvraCard::CDataTableKelvraCard()
{
    m_columns = CItemKelvraCardPhonebook::CreateColumns();
}

void CDataTableKelvraCard::Initialize(DeviceDataOwner* owner, ITAMConnection* connection, uint32_t cardKind)
{
    CDataTableKelvraBase::Initialize(owner, connection);
    ModelProfile& profile = owner->Model();
    m_startIndex = profile.Number(L"RUIM_startindex");
    m_cardKind = cardKind;
    m_layout = CardEntryLayout::For(profile.Length(L"RUIM_DefaultNameLen"), profile.Length(L"RUIM_DefaultNumberLen"));
}

CDataTableKelvraCard::CardInformation CDataTableKelvraCard::ReadCardInformation(CKelvraBase& link)
{
    uint32_t received = 0;
    std::string reply = link.ExchangeAlloc(
        Request(kCardInformationRequest).Word(kCardInformation).Word(m_cardKind == 14 ? 1u : 0u), received, 2000);
    ByteReader words(reply);
    words.ReadU32LE();
    CardInformation card;
    card.nameLimit = words.ReadU32LE();
    card.slotCount = words.ReadU32LE();
    card.numberLimit = words.ReadU32LE();
    if (!words.Ok() || card.slotCount > kMostSlots)
        ThrowTamError(kTamWrongReply, L"The handset's card information reply is garbled");
    // Whatever the card reports, never more than the record's fields hold.
    card.nameLimit = std::min<uint32_t>(card.nameLimit, static_cast<uint32_t>(m_layout.name.maxChars));
    card.numberLimit = std::min<uint32_t>(card.numberLimit, static_cast<uint32_t>(m_layout.number.maxChars));
    return card;
}

std::vector<uint8_t> CDataTableKelvraCard::ScanSlots(CKelvraBase& link, uint32_t slotCount, uint32_t recordCount)
{
    std::vector<uint8_t> slots(slotCount, 0);
    uint32_t found = 0;
    // Slot n holds the entry at index start + n, the index its SUID names. The scan stops
    // once every counted entry is found, and never passes the last slot.
    for (uint32_t slot = 0; slot < slotCount && found < recordCount; ++slot) {
        if (SlotHoldsEntry(link, slot)) {
            slots[slot] = 1;
            ++found;
        }
    }
    m_entriesUnfound = found < recordCount;
    return slots;
}

// The card answers a slot without an entry with its refusal; a slot it does not answer
// at all fails, since taking it for free would let a new entry overwrite what it holds.
bool CDataTableKelvraCard::SlotHoldsEntry(CKelvraBase& link, uint32_t slot)
{
    uint32_t index = static_cast<uint32_t>(m_startIndex) + slot;
    std::string entry(kScanBytes, '\0');
    uint32_t received = 0;
    if (!link.Exchange(Request(CKelvraBase::kReadRequest).Word(m_cardKind).Word(index), entry.data(), entry.size(),
                       received, CKelvraBase::kMismatchIsFalse, 2000))
        return false;
    // An answer too short to hold the mark says nothing of the slot: taken for free, it
    // would let a new entry overwrite one.
    if (received <= kUsedMarkOffset)
        ThrowTamError(kTamWrongReply, L"The card answered the read of slot " + std::to_wstring(index) +
                                          L" with " + std::to_wstring(received) + L" bytes, too few to tell");
    return entry[kUsedMarkOffset] != 0;
}

// The first free slot of the map. When the last scan found fewer entries than the card
// counts, a slot it took for free may have refused a read that held an entry: each
// candidate is asked again before a new entry goes there.
uint32_t CDataTableKelvraCard::FreeSlot()
{
    CKelvraBase link = Link();
    for (uint32_t slot = 0; slot < m_slots.size(); ++slot) {
        if (m_slots[slot])
            continue;
        if (!m_entriesUnfound || !SlotHoldsEntry(link, slot))
            return slot;
        m_slots[slot] = 1;  // an entry the scan missed
    }
    ThrowTamError(kTamStoreFull, L"The card has no free slot");
}

void CDataTableKelvraCard::ReadCard()
{
    if (m_startIndex < 0 || m_startIndex > static_cast<LONG>(kMostSlots))
        ThrowComError(E_INVALIDARG, L"The model profile gives an impossible card start index " +
                                        std::to_wstring(m_startIndex));
    CKelvraBase link = Link();
    CardInformation card = ReadCardInformation(link);
    uint32_t recordCount = link.GetRecordCount(m_cardKind);
    std::vector<uint8_t> slots = ScanSlots(link, card.slotCount, recordCount);
    // Taken over only once all of it arrived, so the slot map never disagrees with the card.
    m_nameLimit = card.nameLimit;
    m_numberLimit = card.numberLimit;
    m_recordCount = recordCount;
    m_slots = std::move(slots);
    m_failuresAtRead = CKelvraBase::FailedExchanges();
    m_cardRead = true;
}

// The slot map is kept between creates while the card's count agrees with it and no
// exchange has failed since it was read; else the card is read again.
void CDataTableKelvraCard::RereadChangedCard()
{
    if (CKelvraBase::FailedExchanges() != m_failuresAtRead || Link().GetRecordCount(m_cardKind) != m_recordCount)
        ReadCard();
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

// The SUID is the place the entry was read from, whatever its own address field says.
void CDataTableKelvraCard::DecodeEntry(const RecordBytes& record, uint32_t index, ColumnMap& map) const
{
    map.SetValue(L"SUID", VT_UI2, static_cast<LONG>(static_cast<uint16_t>(index)));
    map.SetText(L"FIRST_NAME", record.WideText(m_layout.name));
    map.SetText(L"TEL_NUM_0", record.WideText(m_layout.number));
    map.SetText(L"TEL_TYPE_0", L"Private");
    map[L"DISPLAY_NAME"] = map[L"FIRST_NAME"];
}

STDMETHODIMP CDataTableKelvraCard::NextItem(IItem** item)
{
    return ComBoundary(L"CDataTableKelvraCard::NextItem", [&] {
        ScopedTrace trace(L"CDataTableKelvraCard::NextItem");
        if (!item)
            return E_POINTER;
        *item = nullptr;
        if (Passed() >= m_recordCount)
            return NoMoreItems();
        if (!Listing())
            return E_FAIL;
        while (m_slotCursor < m_slots.size() && !m_slots[m_slotCursor])
            ++m_slotCursor;
        if (m_slotCursor >= m_slots.size()) {
            m_recordCount = Passed();  // the card counted more than it holds
            return ListItemsEnd();
        }
        uint32_t index = static_cast<uint32_t>(m_startIndex) + m_slotCursor++;
        ColumnMap map;
        try {
            CKelvraBase link = Link();
            DecodeEntry(link.ReadRecord(m_cardKind, index, m_layout.size), index, map);
        } catch (...) {
            PassOverFailedRecord(L"Card entry " + std::to_wstring(index), m_recordCount);
        }
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
    RequireAgent();
    if (!m_cardRead)
        ReadCard();  // no limits or slot map without it
    return own;
}

uint32_t CDataTableKelvraCard::SlotOf(SUID suid) const
{
    if (suid < m_startIndex || static_cast<LONG64>(suid) - m_startIndex >= static_cast<LONG64>(m_slots.size()))
        ThrowComError(E_INVALIDARG, L"The card entry's SUID " + std::to_wstring(suid) + L" names no card slot");
    return static_cast<uint32_t>(suid - m_startIndex);
}

void CDataTableKelvraCard::WriteEntry(ColumnMap& map, uint32_t suid, bool creating)
{
    CKelvraBase link = Link();
    ColumnChanges changes = ColumnChanges::ForNewRecord(map);
    RecordBytes record = link.StartRecord(m_cardKind, suid, m_layout.size, creating, map, changes,
                                          [&](const RecordBytes& r, ColumnMap& current) { DecodeEntry(r, suid, current); });
    // The card marks a slot used by its entry's number: a slot without one holds no
    // entry, and writing one there would leave the slot map saying it is free.
    if (!creating && record.WideText(m_layout.number).empty())
        ThrowComError(E_INVALIDARG, L"Card slot " + std::to_wstring(suid) +
                                        L" holds no entry to update; a new entry is made with CreateItem");
    ColumnMap& values = changes.Values();
    if (changes.Changed({L"DISPLAY_NAME"})) {
        std::wstring name(CutWithinUnits(values.TextOr(L"DISPLAY_NAME", L""), m_nameLimit));
        values.SetText(L"DISPLAY_NAME", name);
        record.SetWideText(m_layout.name, name);
    }
    if (changes.Changed({L"TEL_NUM_0"})) {
        // A leading "+" is allowed beyond the card's limit, but never beyond the field.
        std::wstring number =
            CleanCardNumber(values.TextOr(L"TEL_NUM_0", L""), m_numberLimit).substr(0, m_layout.number.maxChars);
        values.SetText(L"TEL_NUM_0", number);
        record.SetWideText(m_layout.number, number);
    }
    // The card marks a slot used by its number: an entry without one would never be
    // listed again, and the next new entry would take its slot.
    if (record.WideText(m_layout.number).empty())
        ThrowComError(E_INVALIDARG, kNumberNeeded);
    record.SetU16(m_layout.address, static_cast<uint16_t>(suid));
    uint8_t reply[8];
    uint32_t received = 0;
    link.Exchange(Request(CKelvraBase::kWriteRequest).Word(m_cardKind).Word(suid).Bytes(record.Bytes()), reply,
                  sizeof(reply), received, CKelvraBase::kMismatchIsError, 2000);
    map = values;
}

STDMETHODIMP CDataTableKelvraCard::CreateItem(IItem* item, SUID* suid)
{
    return ComBoundary(L"CDataTableKelvraCard::CreateItem", [&] {
        CItemKelvraBase& own = CardItemToWrite(item);
        ColumnMap map = MapOfItem(own);
        // Refused before anything goes to the card, the look at its count included.
        if (CleanCardNumber(map.TextOr(L"TEL_NUM_0", L""), m_numberLimit).empty())
            ThrowComError(E_INVALIDARG, kNumberNeeded);
        RereadChangedCard();
        uint32_t slot = FreeSlot();
        uint32_t newSuid = static_cast<uint32_t>(m_startIndex) + slot;
        WriteEntry(map, newSuid, true);
        m_slots[slot] = 1;
        ++m_recordCount;
        map.SetValue(L"SUID", VT_I4, static_cast<LONG>(newSuid));
        own.SchemaConvertMap2Item(map);
        if (suid)
            *suid = static_cast<SUID>(newSuid);
        return S_OK;
    });
}

STDMETHODIMP CDataTableKelvraCard::UpdateItem(IItem* item)
{
    return ComBoundary(L"CDataTableKelvraCard::UpdateItem", [&] {
        CItemKelvraBase& own = CardItemToWrite(item);
        uint32_t slot = SlotOf(own.Suid());
        ColumnMap map = MapOfItem(own);
        WriteEntry(map, static_cast<uint32_t>(own.Suid()), false);
        if (!m_slots[slot]) {
            // The card holds an entry the slot map missed; the map now knows it.
            m_slots[slot] = 1;
            ++m_recordCount;
        }
        map.SetValue(L"SUID", VT_I4, own.Suid());
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
        Link().Exchange(Request(CKelvraBase::kDeleteRequest).Word(m_cardKind).Word(static_cast<uint32_t>(own.Suid())),
                        reply, sizeof(reply), received, CKelvraBase::kMismatchIsError, 2000);
        if (m_slots[slot] && m_recordCount > 0)
            --m_recordCount;
        m_slots[slot] = 0;
        return S_OK;
    });
}

}  // namespace kelvra
