#include "KelvraPB.h"

#include "Errors.h"
#include "IndexedColumn.h"
#include "PhonebookTypes.h"
#include "Request.h"

namespace kelvra {

namespace {

constexpr DWORD kTimeout = CKelvraBase::kRecordTimeout;
// The ring index byte the two small models keep when no ring is chosen.
constexpr uint8_t kSmallModelRing = 0x86;
// No handset keeps more speed dials than this.
constexpr LONG64 kMostSpeedDials = 1000;
constexpr size_t kSpeedDialReplyBytes = 158;

bool IsValidDate(int year, int month, int day)
{
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (year < 100 || year > 9999 || month < 1 || month > 12 || day < 1)
        return false;
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return day <= kDays[month - 1] + (month == 2 && leap ? 1 : 0);
}

bool IsDecimalNumber(const std::wstring& text)
{
    if (text.empty() || text.size() > 5)
        return false;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9')
            return false;
    }
    return true;
}

}  // namespace

CKelvraPB::CKelvraPB(ITAMAgent* agent, const PhonebookSettings& settings)
    : CKelvraBase(agent, 1, 3000),
      m_settings(settings),
      m_contact(ContactLayout::For(settings)),
      m_group(GroupLayout::For(settings)),
      m_names(m_contact, settings),
      m_blocks(m_contact, settings),
      m_pictures(*this, m_contact, settings),
      m_groups(m_group, settings)
{
}

void CKelvraPB::SendRecord(uint32_t store, uint32_t index, const RecordBytes& record, int mismatchMode,
                           const std::wstring& what)
{
    if (!WriteRecord(store, index, record, mismatchMode))
        ThrowTamError(kTamWrongReply, L"The handset refused to store " + what + L" " + std::to_wstring(index));
}

// ---- Contacts: reading -----------------------------------------------------------------

void CKelvraPB::ReadContact(uint32_t index, ColumnMap& map)
{
    RecordBytes record = ReadRecord(kContactStore, index, m_contact.size);
    DecodeContact(record, index, map);
    m_pictures.Decode(record, map, true);
}

// The SUID is the place the record was read from: the record's own index field is the
// handset's to fill, and a write sets it to the place.
void CKelvraPB::DecodeContact(const RecordBytes& record, uint32_t index, ColumnMap& map) const
{
    map.SetValue(L"SUID", VT_UI2, static_cast<LONG>(static_cast<uint16_t>(index)));
    m_names.Decode(record, map);
    DecodeNumbers(record, map);
    m_blocks.Decode(record, map);
    DecodeBirthday(record, map);
    DecodeRing(record, map);
    map.SetText(L"NOTES", record.WideText(m_contact.memo));
    for (size_t n = 0; n < m_contact.groupSlotCount; ++n) {
        uint8_t group = record.U8(m_contact.groupSlots + n);
        map.SetValue(IndexedColumn(L"GROUP_ID_%d", n), VT_UINT, group == 0xFF ? 0 : group);
    }
}

void CKelvraPB::DecodeNumbers(const RecordBytes& record, ColumnMap& map) const
{
    map.SetValue(L"TEL_COUNT", VT_UINT, static_cast<LONG>(m_contact.numbers.size()));
    for (size_t n = 0; n < m_contact.numbers.size(); ++n) {
        const auto& block = m_contact.numbers[n];
        std::wstring number = record.WideText(block.text);
        if (!m_settings.KeepsNumbersAsStored())
            number = CleanContactNumber(number, block.text.maxChars);
        map.SetText(IndexedColumn(L"TEL_NUM_%d", n), number);
        if (number.empty())
            continue;
        map.SetText(IndexedColumn(L"TEL_TYPE_%d", n), TypeName(record.U8(block.type), m_settings.TypeNameSetting()));
        uint16_t speedDial = record.U16(block.speedDial);
        if (speedDial == 0) {
            Variant null;
            null.Get().vt = VT_NULL;
            map[IndexedColumn(L"TEL_DIAL_%d", n)] = null;
        } else {
            map.SetText(IndexedColumn(L"TEL_DIAL_%d", n), std::to_wstring(speedDial));
        }
    }
}

void CKelvraPB::DecodeBirthday(const RecordBytes& record, ColumnMap& map) const
{
    int year = record.U16(m_contact.birthday), month = record.U16(m_contact.birthday + 2),
        day = record.U16(m_contact.birthday + 4);
    if (!IsValidDate(year, month, day))
        return;
    SYSTEMTIME date = {};
    date.wYear = static_cast<WORD>(year);
    date.wMonth = static_cast<WORD>(month);
    date.wDay = static_cast<WORD>(day);
    Variant birthday;
    birthday.Get().vt = VT_DATE;
    SystemTimeToVariantTime(&date, &birthday.Get().date);
    map[L"BIRTHDAY"] = birthday;
}

void CKelvraPB::DecodeRing(const RecordBytes& record, ColumnMap& map) const
{
    std::string ring = record.NarrowText(m_contact.ring.fileName);
    if (!ring.empty())
        map.SetText(L"RINGTON", Widen(ring, CP_ACP));
    else
        map.SetValue(L"RINGTON", VT_UI2, record.U16(m_contact.ring.index));
    map.SetText(L"RINGTON_TYPE", L"bell");
}

// ---- Contacts: writing -----------------------------------------------------------------

void CKelvraPB::WriteContact(ColumnMap& map, bool photoSupported, bool creating)
{
    uint32_t index = static_cast<uint16_t>(map.Number(L"SUID"));
    ColumnChanges changes = ColumnChanges::ForNewRecord(map);
    RecordBytes record = StartRecord(kContactStore, index, m_contact.size, creating, map, changes,
                                     [&](const RecordBytes& r, ColumnMap& current) {
                                         DecodeContact(r, index, current);
                                         m_pictures.Decode(r, current, false);
                                     });
    EncodeContact(record, changes);
    // Set on every write: the slot's occupied byte and the record's own index, which is
    // the place it is stored at.
    record.SetU8(m_contact.occupied, 0);
    record.SetU16(m_contact.tableAddress, static_cast<uint16_t>(index));
    ContactPictures::Pending picture = m_pictures.Encode(record, changes, photoSupported, index);

    SendRecord(kContactStore, index, record, kMismatchIsError, L"contact");
    if (!picture.cachedPath.empty() && !m_pictures.Send(picture)) {
        // A record never names a picture the handset does not have: it could not be read.
        record.SetNarrowText(m_contact.photo, std::string_view());
        changes.Values().SetText(L"PHOTO_LOCAL_PATH", L"");
        changes.Values().SetText(L"PHOTO_TYPE", L"NONE");
        SendRecord(kContactStore, index, record, kMismatchIsError, L"contact");
    }
    map = changes.Values();
}

void CKelvraPB::EncodeContact(RecordBytes& record, ColumnChanges& changes) const
{
    ColumnMap& values = changes.Values();
    if (changes.Changed({L"FIRST_NAME", L"LAST_NAME", L"DISPLAY_NAME"}))
        m_names.Encode(record, changes);
    EncodeNumbers(record, changes);
    m_blocks.Encode(record, changes);
    if (changes.Changed({L"BIRTHDAY"}))
        EncodeBirthday(record, values);
    if (changes.Changed({L"NOTES"}))
        ChangeWideText(record, m_contact.memo, values.TextOr(L"NOTES", L""));
    if (changes.Changed({L"RINGTON"}))
        EncodeRing(record, values);
    EncodeGroupSlots(record, changes);
}

void CKelvraPB::EncodeNumbers(RecordBytes& record, const ColumnChanges& changes) const
{
    const ColumnMap& values = changes.Values();
    for (size_t n = 0; n < m_contact.numbers.size(); ++n) {
        const auto& block = m_contact.numbers[n];
        std::wstring number = IndexedColumn(L"TEL_NUM_%d", n), type = IndexedColumn(L"TEL_TYPE_%d", n),
                     dial = IndexedColumn(L"TEL_DIAL_%d", n);
        // An empty number's type and speed dial are not read: a number that fills the
        // block gets them from its columns.
        bool filled = !HoldsWideText(record, block.text);
        if (changes.Changed({number}))
            ChangeWideText(record, block.text, values.TextOr(number, L""));
        filled = filled && HoldsWideText(record, block.text);
        if (changes.Changed({type}) || filled)
            record.SetU8(block.type, NumberTypeCode(values.TextOr(type, L""), m_settings));
        if (changes.Changed({dial}) || filled) {
            LONG position = ParseDecimal(values.TextOr(dial, L"0"));
            if (position < 0 || position > 0xFFFF)
                ThrowComError(E_INVALIDARG, dial + L" is no speed-dial position: " + std::to_wstring(position));
            record.SetU16(block.speedDial, static_cast<uint16_t>(position));
        }
    }
}

void CKelvraPB::EncodeBirthday(RecordBytes& record, const ColumnMap& values) const
{
    SYSTEMTIME date = {};
    auto birthday = values.find(L"BIRTHDAY");
    if (birthday == values.end() || birthday->second.Type() != VT_DATE ||
        !VariantTimeToSystemTime(birthday->second.Get().date, &date))
        date = {};  // no date: the birthday is cleared
    record.SetU16(m_contact.birthday, date.wYear);
    record.SetU16(m_contact.birthday + 2, date.wMonth);
    record.SetU16(m_contact.birthday + 4, date.wDay);
}

// A ring is either a file on the handset or one of the handset's own rings by number;
// a listed contact shows the number, and a number goes back to the ring index.
void CKelvraPB::EncodeRing(RecordBytes& record, ColumnMap& values) const
{
    values.SetText(L"RINGTON_TYPE", L"bell");
    auto found = values.find(L"RINGTON");
    std::wstring ring = found == values.end() ? std::wstring() : ComparableText(found->second);
    uint16_t index = m_settings.UsesShortTypeTable() ? kSmallModelRing : 0;
    if (IsDecimalNumber(ring) && ParseDecimal(ring) <= 0xFFFF) {
        index = static_cast<uint16_t>(ParseDecimal(ring));
        record.SetNarrowText(m_contact.ring.fileName, std::string_view());
    } else {
        record.SetNarrowText(m_contact.ring.fileName, ring, CP_ACP);
        if (ring.empty())
            values.SetText(L"RINGTON", L"137");
    }
    record.SetU16(m_contact.ring.index, index);
}

void CKelvraPB::EncodeGroupSlots(RecordBytes& record, const ColumnChanges& changes) const
{
    for (size_t n = 0; n < m_contact.groupSlotCount; ++n) {
        std::wstring column = IndexedColumn(L"GROUP_ID_%d", n);
        if (!changes.Changed({column}))
            continue;
        size_t slot = m_contact.groupSlots + n;
        // 0 reads back from a slot with no group, and 255 is that slot's own byte.
        LONG group = ParseDecimal(changes.Values().TextOr(column, L"0"));
        if (group < 0 || group > 0xFF)
            ThrowComError(E_INVALIDARG, column + L" names no caller group: " + std::to_wstring(group));
        if (group > 0 && group < 0xFF)
            record.SetU8(slot, static_cast<uint8_t>(group));
        else if (changes.Creating() || record.U8(slot) != 0)  // an unset slot is no group
            record.SetU8(slot, 0xFF);
    }
}

// ---- Groups ----------------------------------------------------------------------------

void CKelvraPB::ReadGroup(uint32_t index, ColumnMap& map)
{
    m_groups.Decode(ReadRecord(kGroupStore, index, m_group.size), index, map);
}

void CKelvraPB::WriteGroup(uint32_t index, const ColumnMap& map, bool creating)
{
    ColumnChanges changes = ColumnChanges::ForNewRecord(map);
    RecordBytes record =
        StartRecord(kGroupStore, index, m_group.size, creating, map, changes,
                    [&](const RecordBytes& r, ColumnMap& current) { m_groups.Decode(r, index, current); });
    m_groups.Encode(record, changes);
    SendRecord(kGroupStore, index, record, kMismatchIsFalse, L"group");
}

// ---- Card speed dials ------------------------------------------------------------------

bool CKelvraPB::ScanSimSpeedDials(std::vector<uint16_t>& speedDials)
{
    speedDials.clear();
    // The range comes from the profile, which may misname a key (it then reads -1) or
    // claim far too much: the scan keeps to indexes that can exist and never runs away.
    LONG64 first = std::max<LONG64>(0, m_settings.speedDialStart);
    LONG64 last = std::min<LONG64>(m_settings.speedDialEnd, first + kMostSpeedDials - 1);
    uint32_t count = GetRecordCount(kSpeedDialStore);
    if (count == 0)
        return false;
    CardEntryLayout layout = CardEntryLayout::For(m_settings.speedDialName, m_settings.speedDialNumber);
    uint32_t arrived = 0;
    // The scan stops once every counted record has arrived, and never passes the range.
    for (LONG64 index = first; index <= last && arrived < count; ++index) {
        std::string reply(kSpeedDialReplyBytes, '\0');
        uint32_t received = 0;
        if (!Exchange(Request(kReadRequest).Word(kSpeedDialStore).Word(static_cast<uint32_t>(index)), reply.data(),
                      reply.size(), received, kMismatchIsFalse, kTimeout))
            continue;
        ++arrived;
        RecordBytes record(reply);
        size_t words = layout.size;  // the two words follow the name and number
        if (words + 4 > record.Size())
            continue;
        if (static_cast<LONG>(record.U16(words + 2)) > m_settings.maxRecords)
            speedDials.push_back(record.U16(words));
    }
    return true;
}

}  // namespace kelvra
