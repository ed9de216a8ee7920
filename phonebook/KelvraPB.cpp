#include "KelvraPB.h"

#include <gdiplus.h>

#include <cwchar>

#include "Errors.h"
#include "LinkModeScope.h"
#include "PhonebookTypes.h"
#include "PhotoNames.h"
#include "Platform.h"
#include "Request.h"

namespace kelvra {

namespace {

constexpr DWORD kTimeout = CKelvraBase::kRecordTimeout;
// The ring index byte the two small models keep when no ring is chosen.
constexpr uint8_t kSmallModelRing = 0x86;
// No handset keeps more speed dials than this.
constexpr LONG64 kMostSpeedDials = 1000;
constexpr size_t kSpeedDialReplyBytes = 158;

const wchar_t* const kAddressParts[] = {L"ADDR_EXTADDR_%d",  L"ADDR_STREET_%d", L"ADDR_POSTALCODE_%d",
                                        L"ADDR_LOCALITY_%d", L"ADDR_REGION_%d", L"ADDR_COUNTRY_%d"};

std::wstring Indexed(const wchar_t* format, size_t n)
{
    wchar_t name[64];
    swprintf(name, 64, format, static_cast<int>(n));
    return name;
}

bool IsValidDate(int year, int month, int day)
{
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (year < 100 || year > 9999 || month < 1 || month > 12 || day < 1)
        return false;
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return day <= kDays[month - 1] + (month == 2 && leap ? 1 : 0);
}

bool EndsWith(const std::wstring& text, const std::wstring& tail)
{
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
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

// The last name inside a full name that the model made from the first and last names;
// empty when the full name does not follow the model's rule (the person edited it on
// the handset, or it was cut to its field).
std::wstring LastNameWithin(const std::wstring& full, const std::wstring& first, FullNameRule rule)
{
    switch (rule) {
    case FullNameRule::FirstBlankLast: {
        std::wstring lead = first + L" ";
        return full.compare(0, lead.size(), lead) == 0 ? full.substr(lead.size()) : std::wstring();
    }
    case FullNameRule::SingleName:
        // A single name with no first name in it is the first name itself.
        if (first.empty() || full.size() <= first.size())
            return {};
        return EndsWith(full, first) ? full.substr(0, full.size() - first.size()) : std::wstring();
    case FullNameRule::LastThenFirst:
        return EndsWith(full, first) ? full.substr(0, full.size() - first.size()) : std::wstring();
    case FullNameRule::LastNameInFirstName:
        break;
    }
    return {};
}

bool FileExists(const std::wstring& path)
{
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool LoadsAsBitmap(const std::wstring& path)
{
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok)
        return false;
    Gdiplus::GpBitmap* bitmap = nullptr;
    bool loaded = Gdiplus::DllExports::GdipCreateBitmapFromFile(path.c_str(), &bitmap) == Gdiplus::Ok && bitmap;
    if (bitmap)
        Gdiplus::DllExports::GdipDisposeImage(bitmap);
    Gdiplus::GdiplusShutdown(token);
    return loaded;
}

std::wstring CachedFileName(int number, const std::wstring& fileName)
{
    wchar_t prefix[16];
    swprintf(prefix, 16, L"%03d_", number);
    return prefix + fileName;
}

}  // namespace

CKelvraPB::CKelvraPB(ITAMAgent* agent, const PhonebookSettings& settings)
    : CKelvraBase(agent, 1, 3000),
      m_settings(settings),
      m_contact(ContactLayout::For(settings)),
      m_group(GroupLayout::For(settings))
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
    DecodeContact(record, map);
    DecodePhoto(record, map, true);
}

void CKelvraPB::DecodeContact(const RecordBytes& record, ColumnMap& map) const
{
    map.SetValue(L"SUID", VT_UI2, record.U16(m_contact.tableAddress));
    DecodeNames(record, map);
    DecodeNumbers(record, map);
    DecodeTypedTexts(record, map);
    if (!m_settings.HasNoAddressBlock())
        DecodeAddresses(record, map);
    DecodeBirthday(record, map);
    DecodeRing(record, map);
    map.SetText(L"NOTES", record.WideText(m_contact.memo));
    for (size_t n = 0; n < m_contact.groupSlotCount; ++n) {
        uint8_t group = record.U8(m_contact.groupSlots + n);
        map.SetValue(Indexed(L"GROUP_ID_%d", n), VT_UINT, group == 0xFF ? 0 : group);
    }
}

// The built-in profiles give the last name no field of its own: the full name then
// carries it, and reading finds it there by the model's own rule, so that a contact's
// names survive every round trip.
void CKelvraPB::DecodeNames(const RecordBytes& record, ColumnMap& map) const
{
    std::wstring first = record.WideText(m_contact.firstName);
    std::wstring full = record.WideText(m_contact.fullName);
    std::wstring last;
    bool lastFromFullName = false;
    if (!m_settings.SkipsLastName()) {
        if (m_contact.lastName.maxChars > 0) {
            last = record.WideText(m_contact.lastName);
        } else {
            last = LastNameWithin(full, first, m_settings.NameRule());
            lastFromFullName = !last.empty();
        }
    }
    map.SetText(L"LAST_NAME", last);
    if (m_settings.NamesFromFullName()) {
        map.SetText(L"FIRST_NAME", lastFromFullName ? first : full);
    } else {
        map.SetText(L"FIRST_NAME", first);
        map.SetText(L"DISPLAY_NAME", full);
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
        map.SetText(Indexed(L"TEL_NUM_%d", n), number);
        if (number.empty())
            continue;
        map.SetText(Indexed(L"TEL_TYPE_%d", n), TypeName(record.U8(block.type), m_settings.numberTypeSetting));
        uint16_t speedDial = record.U16(block.speedDial);
        if (speedDial == 0) {
            Variant null;
            null.Get().vt = VT_NULL;
            map[Indexed(L"TEL_DIAL_%d", n)] = null;
        } else {
            map.SetText(Indexed(L"TEL_DIAL_%d", n), std::to_wstring(speedDial));
        }
    }
}

void CKelvraPB::DecodeTypedTexts(const RecordBytes& record, ColumnMap& map) const
{
    auto read = [&](const std::vector<ContactLayout::TypedText>& blocks, const wchar_t* type, const wchar_t* text,
                    const wchar_t* count) {
        size_t found = 0;
        for (const auto& block : blocks) {
            std::wstring value = record.WideText(block.text);
            if (value.empty())
                continue;
            map.SetText(Indexed(type, found), TypeName(record.U8(block.type), m_settings.numberTypeSetting));
            map.SetText(Indexed(text, found), value);
            ++found;
        }
        map.SetValue(count, VT_UINT, static_cast<LONG>(found));
    };
    read(m_contact.emails, L"EMAIL_TYPE_%d", L"EMAIL_ADDR_%d", L"EMAIL_COUNT");
    read(m_contact.urls, L"URL_TYPE_%d", L"URL_ADDR_%d", L"URL_COUNT");
}

void CKelvraPB::DecodeAddresses(const RecordBytes& record, ColumnMap& map) const
{
    size_t found = 0;
    for (const auto& block : m_contact.addresses) {
        std::wstring parts[6];
        bool any = false;
        for (size_t part = 0; part < 6; ++part) {
            parts[part] = record.WideText(block.parts[part]);
            any = any || !parts[part].empty();
        }
        if (!any)
            continue;
        map.SetText(Indexed(L"ADDR_TYPE_%d", found), TypeName(record.U8(block.type), m_settings.numberTypeSetting));
        for (size_t part = 0; part < 6; ++part)
            map.SetText(Indexed(kAddressParts[part], found), parts[part]);
        ++found;
    }
    map.SetValue(L"ADDR_COUNT", VT_UINT, static_cast<LONG>(found));
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

bool CKelvraPB::ModelKeepsNoPhotos() const
{
    return m_settings.model.OccursInList(L"KTM-A280;KTM-A150;KTM-A230;KTM-A130;KTM-A260;");
}

void CKelvraPB::DecodePhoto(const RecordBytes& record, ColumnMap& map, bool fetch)
{
    std::wstring handsetPath = WidenUtf8(record.NarrowText(m_contact.photo));
    if (ModelKeepsNoPhotos()) {
        if (m_settings.model.IsOneOfIgnoringCase({L"KTM-A260", L"KTM-A130"}) && !handsetPath.empty())
            map.SetText(L"PHOTO_LOCAL_PATH", handsetPath);
        map.SetText(L"PHOTO_TYPE", L"NONE");
        map.SetText(L"PHOTO", L"");
        return;
    }
    // A handset name that would lead out of the cache or open a device is not fetched.
    std::wstring fileName = CacheFileName(handsetPath);
    if (fileName.empty()) {
        map.SetText(L"PHOTO_TYPE", L"NONE");
        map.SetText(L"PHOTO", L"");
        return;
    }
    std::wstring folder = PhotoCacheFolder();
    if (folder.empty())
        return;
    std::wstring localPath = folder + fileName;
    if (fetch) {
        LinkModeScope fileTransfer(*this);
        if (FAILED(Agent()->GetFile(Bstr(handsetPath).Get(), Bstr(localPath).Get())))
            ThrowTamError(kTamWrongReply, L"The contact's picture " + handsetPath + L" could not be copied from the handset");
    }
    map.SetText(L"PHOTO_LOCAL_PATH", localPath);
    map.SetText(L"PHOTO_TYPE", L"IMAGE_PHOTO");
}

// ---- Contacts: writing -----------------------------------------------------------------

void CKelvraPB::WriteContact(ColumnMap& map, bool photoSupported, bool creating)
{
    uint32_t index = static_cast<uint16_t>(map.Number(L"SUID"));
    ColumnChanges changes = ColumnChanges::ForNewRecord(map);
    RecordBytes record = StartRecord(kContactStore, index, m_contact.size, creating, map, changes,
                                     [&](const RecordBytes& r, ColumnMap& current) {
                                         DecodeContact(r, current);
                                         DecodePhoto(r, current, false);
                                     });
    EncodeContact(record, changes);
    // Set on every write: the slot's occupied byte and the record's own index, which
    // reads back as its SUID.
    record.SetU8(m_contact.occupied, 0);
    record.SetU16(m_contact.tableAddress, static_cast<uint16_t>(index));
    PendingPicture picture = EncodePhoto(record, changes, photoSupported, index);

    SendRecord(kContactStore, index, record, kMismatchIsError, L"contact");
    if (!picture.cachedPath.empty() && !SendPictureToHandset(picture)) {
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
        EncodeNames(record, values);
    EncodeNumbers(record, changes);
    EncodeEmailsAndUrls(record, changes);
    if (!m_settings.HasNoAddressBlock())
        EncodeAddresses(record, changes);
    if (changes.Changed({L"BIRTHDAY"}))
        EncodeBirthday(record, values);
    if (changes.Changed({L"NOTES"}))
        record.SetWideText(m_contact.memo, values.TextOr(L"NOTES", L""));
    if (changes.Changed({L"RINGTON"}))
        EncodeRing(record, values);
    EncodeGroupSlots(record, changes);
}

void CKelvraPB::EncodeNames(RecordBytes& record, ColumnMap& values) const
{
    std::wstring first = values.TextOr(L"FIRST_NAME", L"");
    std::wstring last = values.TextOr(L"LAST_NAME", L"");
    // A contact known only by its display name is stored under that name.
    if (first.empty() && last.empty())
        first = values.TextOr(L"DISPLAY_NAME", L"");
    record.SetWideText(m_contact.firstName, first);

    std::wstring full;
    switch (m_settings.NameRule()) {
    case FullNameRule::LastNameInFirstName:
        record.SetWideText(m_contact.lastName, L"");
        if (!last.empty()) {
            first = last + first;
            values.SetText(L"FIRST_NAME", first);
        }
        full = first;
        break;
    case FullNameRule::FirstBlankLast:
        record.SetWideText(m_contact.lastName, last);
        full = first + L" " + last;
        break;
    case FullNameRule::SingleName:  // the one name the handset shows keeps the last name too
    case FullNameRule::LastThenFirst:
        record.SetWideText(m_contact.lastName, last);
        full = last + first;
        break;
    }
    record.SetWideText(m_contact.fullName, full);
}

void CKelvraPB::EncodeNumbers(RecordBytes& record, const ColumnChanges& changes) const
{
    const ColumnMap& values = changes.Values();
    for (size_t n = 0; n < m_contact.numbers.size(); ++n) {
        const auto& block = m_contact.numbers[n];
        std::wstring number = Indexed(L"TEL_NUM_%d", n), type = Indexed(L"TEL_TYPE_%d", n),
                     dial = Indexed(L"TEL_DIAL_%d", n);
        if (changes.Changed({number}))
            record.SetWideText(block.text, values.TextOr(number, L""));
        if (changes.Changed({type}))
            record.SetU8(block.type, NumberTypeCode(values.TextOr(type, L""), m_settings));
        if (changes.Changed({dial}))
            record.SetU16(block.speedDial, static_cast<uint16_t>(ParseDecimal(values.TextOr(dial, L"0"))));
    }
}

// E-mails, URLs and addresses read back packed (empty blocks skipped), so each kind is
// encoded whole when any of its columns changes.
void CKelvraPB::EncodeEmailsAndUrls(RecordBytes& record, ColumnChanges& changes) const
{
    ColumnMap& values = changes.Values();
    std::vector<std::wstring> emailColumns, urlColumns;
    for (size_t n = 0; n < m_contact.emails.size(); ++n) {
        emailColumns.push_back(Indexed(L"EMAIL_ADDR_%d", n));
        emailColumns.push_back(Indexed(L"EMAIL_TYPE_%d", n));
    }
    for (size_t n = 0; n < m_contact.urls.size(); ++n) {
        urlColumns.push_back(Indexed(L"URL_ADDR_%d", n));
        urlColumns.push_back(Indexed(L"URL_TYPE_%d", n));
    }
    if (changes.Changed(emailColumns)) {
        for (size_t n = 0; n < m_contact.emails.size(); ++n) {
            record.SetWideText(m_contact.emails[n].text, values.TextOr(Indexed(L"EMAIL_ADDR_%d", n), L""));
            record.SetU8(m_contact.emails[n].type, EmailTypeCode(values.TextOr(Indexed(L"EMAIL_TYPE_%d", n), L"")));
        }
    }
    if (changes.Changed(urlColumns)) {
        size_t urlsWritten = 0;
        for (size_t n = 0; n < m_contact.urls.size(); ++n) {
            std::wstring url = UrlForHandset(values.TextOr(Indexed(L"URL_ADDR_%d", n), L""));
            record.SetWideText(m_contact.urls[n].text, url);
            record.SetU8(m_contact.urls[n].type, UrlTypeCode(values.TextOr(Indexed(L"URL_TYPE_%d", n), L"")));
            urlsWritten += url.empty() ? 0 : 1;
        }
        values.SetValue(L"URL_COUNT", VT_UINT, static_cast<LONG>(urlsWritten));
    }
}

void CKelvraPB::EncodeAddresses(RecordBytes& record, const ColumnChanges& changes) const
{
    std::vector<std::wstring> columns;
    for (size_t n = 0; n < m_contact.addresses.size(); ++n) {
        columns.push_back(Indexed(L"ADDR_TYPE_%d", n));
        for (const wchar_t* part : kAddressParts)
            columns.push_back(Indexed(part, n));
    }
    if (!changes.Changed(columns))
        return;
    const ColumnMap& values = changes.Values();
    for (size_t n = 0; n < m_contact.addresses.size(); ++n) {
        const auto& block = m_contact.addresses[n];
        for (size_t part = 0; part < 6; ++part)
            record.SetWideText(block.parts[part], values.TextOr(Indexed(kAddressParts[part], n), L""));
        record.SetU8(block.type, AddressTypeCode(values.TextOr(Indexed(L"ADDR_TYPE_%d", n), L"")));
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
        std::wstring column = Indexed(L"GROUP_ID_%d", n);
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

CKelvraPB::PendingPicture CKelvraPB::EncodePhoto(RecordBytes& record, ColumnChanges& changes, bool photoSupported,
                                                 uint32_t index)
{
    if (!changes.Changed({L"PHOTO_LOCAL_PATH"}))
        return {};  // the record keeps the picture it names, and nothing is sent again
    ColumnMap& values = changes.Values();
    std::wstring picture = photoSupported ? values.TextOr(L"PHOTO_LOCAL_PATH", L"") : std::wstring();
    record.SetNarrowText(m_contact.photo, std::string_view());
    if (!photoSupported) {
        values.SetText(L"PHOTO_LOCAL_PATH", L"");
        return {};
    }
    // Each contact's picture gets a name of its own on the handset, so two pictures of
    // the same PC file name never replace each other.
    std::wstring fileName = CacheFileName(picture);
    std::string handsetPath =
        fileName.empty() ? std::string()
                         : HandsetPicturePath(HandsetPictureFolder(), CachedFileName(static_cast<int>(index), fileName),
                                              m_contact.photo.maxChars);
    std::wstring cached;
    bool ready = !handsetPath.empty() && CachePhoto(static_cast<int>(index), picture, fileName, cached);
    if (!ready) {
        if (!picture.empty()) {
            values.SetText(L"PHOTO_LOCAL_PATH", L"");
            values.SetText(L"PHOTO_TYPE", L"NONE");
        }
        return {};
    }
    record.SetNarrowText(m_contact.photo, handsetPath);
    values.SetText(L"PHOTO_LOCAL_PATH", cached);
    values.SetText(L"PHOTO_TYPE", L"IMAGE_PHOTO");
    return {cached, WidenUtf8(handsetPath)};
}

std::wstring CKelvraPB::HandsetPictureFolder() const
{
    const ModelName& model = m_settings.model;
    if (model.IsOneOfIgnoringCase({L"KTM-A290", L"KTM-A180"}))
        return L"tfs4/a/sap/";
    if (model.IsOneOfIgnoringCase({L"KTM-A160", L"KTM-A150 TW"}))
        return L"efs2/users/Images/";
    if (model.IsOneOfIgnoringCase({L"KTM-A200", L"KTM-A200 INDIA_OPEN", L"KTM-A200 HUTCH", L"KTM-A140", L"KTM-A120",
                                   L"KTM-A120 INDIA_OPEN", L"KTM-A120 TW", L"KTM-A120 INDONESIA", L"KTM-A270",
                                   L"KTM-A220", L"KTM-A300", L"KTM-A250", L"KTM-A210", L"KTM-A210 INDIA_OPEN",
                                   L"KTM-A190 INDIA", L"KTM-A190 INI", L"KTM-A240"}))
        return m_settings.phoneRootPath + L"/Images/";
    return m_settings.phoneRootPath + L"/Images/Phonebook images/";
}

bool CKelvraPB::SendPictureToHandset(const PendingPicture& picture)
{
    try {
        LinkModeScope fileTransfer(*this);
        Bstr target(picture.handsetPath), source(picture.cachedPath);
        if (SUCCEEDED(Agent()->PutFile(target.Get(), source.Get())))
            return true;
        // A file of that name may stand in the way: it goes, and the copy is made once more.
        return SUCCEEDED(Agent()->RemoveFile(target.Get())) && SUCCEEDED(Agent()->PutFile(target.Get(), source.Get()));
    } catch (const _com_error&) {
        return false;  // the link would not switch to file transfer
    }
}

// ---- Groups ----------------------------------------------------------------------------

void CKelvraPB::ReadGroup(uint32_t index, ColumnMap& map)
{
    DecodeGroup(ReadRecord(kGroupStore, index, m_group.size), index, map);
}

void CKelvraPB::DecodeGroup(const RecordBytes& record, uint32_t index, ColumnMap& map) const
{
    std::wstring photo = Widen(record.NarrowText(m_group.photo), CP_ACP);
    map.SetValue(L"SUID", VT_I4, static_cast<LONG>(index));
    map.SetValue(L"INDEX", VT_UINT, static_cast<LONG>(index));
    map.SetText(L"ATTRIBUTE", static_cast<LONG>(index) <= m_settings.undeletableGroups ? L"DISABLE_DEL" : L"NORMAL");
    map.SetText(L"NAME", record.WideText(m_group.name));
    map.SetValue(L"RINGTON_TYPE", VT_UI2, record.U16(m_group.ringIndex));
    map.SetText(L"RINGTON", Widen(record.NarrowText(m_group.ringFileName), CP_ACP));
    map.SetText(L"MESSAGETON_TYPE", L"0");
    map.SetText(L"MESSAGETON", L"");
    map.SetText(L"PHOTO_TYPE", photo.empty() ? L"NONE" : L"IMAGE_PHOTO");
    map.SetText(L"PHOTO", photo);
    for (const wchar_t* empty : {L"PHOTO_LOCAL_PATH", L"GROUP_PROPERTY", L"DB_LEDTYPE", L"PGUID", L"ITEM_STATE",
                                 L"REJECT"})
        map.SetText(empty, L"");
    for (const wchar_t* zero : {L"ICON_GROUP_INDEX", L"ICON_INDEX", L"PCFLAG", L"WEBFLAG", L"MODE"})
        map.SetValue(zero, VT_I4, 0);
    for (const wchar_t* zeroText : {L"VCARD_IMAGE_TYPE", L"PTIMESTAMP", L"SAVE_TIME"})
        map.SetText(zeroText, L"0");
}

void CKelvraPB::WriteGroup(uint32_t index, const ColumnMap& map, bool creating)
{
    ColumnChanges changes = ColumnChanges::ForNewRecord(map);
    RecordBytes record =
        StartRecord(kGroupStore, index, m_group.size, creating, map, changes,
                    [&](const RecordBytes& r, ColumnMap& current) { DecodeGroup(r, index, current); });
    // A group's ring and secret flag are the handset's own: a new group has none, and an
    // update keeps them.
    const ColumnMap& values = changes.Values();
    if (changes.Changed({L"NAME"}))
        record.SetWideText(m_group.name, values.TextOr(L"NAME", L""));
    if (changes.Changed({L"PHOTO"}))
        record.SetNarrowText(m_group.photo, values.TextOr(L"PHOTO", L""), CP_ACP);
    // Set on every write.
    record.SetU8(m_group.occupied, 0);
    record.SetU16(m_group.address, 0);
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

// ---- The photo cache -------------------------------------------------------------------

std::wstring CKelvraPB::PhotoCacheFolder()
{
    std::wstring folder = Platform::Current().AppDataFolder();
    if (folder.empty())
        return {};
    for (const wchar_t* part : {L"\\Orvane", L"\\Lumen Desk", L"\\KELVRA_PB"}) {
        folder += part;
        CreateDirectoryW(folder.c_str(), nullptr);
    }
    return folder + L"\\";
}

bool CKelvraPB::CachePhoto(int number, const std::wstring& source, const std::wstring& fileName,
                           std::wstring& cachedPath)
{
    std::wstring safeName = CacheFileName(fileName);
    if (source.empty() || safeName.empty() || !FileExists(source))
        return false;
    std::wstring folder = PhotoCacheFolder();
    if (folder.empty())
        return false;
    std::wstring name = folder + CachedFileName(number, safeName);
    if (!LoadsAsBitmap(source))
        return false;
    if (_wcsicmp(source.c_str(), name.c_str()) != 0 && !CopyFileW(source.c_str(), name.c_str(), FALSE))
        return false;
    cachedPath = name;
    return true;
}

}  // namespace kelvra
