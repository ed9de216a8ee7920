#include "KelvraPB.h"

#include <gdiplus.h>

#include <cwchar>

#include "ByteCursor.h"
#include "Errors.h"
#include "Platform.h"
#include "PhonebookTypes.h"

namespace kelvra {

namespace {

constexpr DWORD kTimeout = CKelvraBase::kRecordTimeout;
constexpr DWORD kLinkPause = 500;
constexpr LONG kWrongReply = 1;

std::wstring Indexed(const wchar_t* name, size_t n)
{
    return name + std::to_wstring(n);
}

std::wstring Formatted(const wchar_t* format, size_t n)
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

// The file name part of a handset path: no folders, no drive, nothing that climbs out.
std::wstring PlainFileName(const std::wstring& path)
{
    size_t slash = path.find_last_of(L"/\\");
    std::wstring name = slash == std::wstring::npos ? path : path.substr(slash + 1);
    if (name.empty() || name == L"." || name == L".." || name.find(L':') != std::wstring::npos)
        return {};
    return name;
}

std::wstring FileNameOf(const std::wstring& path)
{
    size_t slash = path.find_last_of(L"/\\");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
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

}  // namespace

CKelvraPB::CKelvraPB(ITAMAgent* agent, const PhonebookSettings& settings)
    : CKelvraBase(agent, 1, 3000),
      m_settings(settings),
      m_contact(ContactLayout::For(settings)),
      m_group(GroupLayout::For(settings))
{
}

RecordBytes CKelvraPB::ReadRecord(uint32_t store, uint32_t index, size_t size)
{
    std::string request = ByteWriter().U16LE(0x4120).U32LE(8).U32LE(store).U32LE(index).Take();
    uint32_t received = 0;
    std::string reply = ExchangeAlloc(request, received, kTimeout);
    if (reply.size() < size)
        ThrowTamError(kWrongReply, L"The handset's record " + std::to_wstring(index) + L" of store " +
                                       std::to_wstring(store) + L" has " + std::to_wstring(reply.size()) +
                                       L" bytes; the model's layout needs " + std::to_wstring(size));
    return RecordBytes(std::move(reply));
}

void CKelvraPB::ReadContact(uint32_t index, ColumnMap& map)
{
    RecordBytes record = ReadRecord(kContactStore, index, m_contact.size);
    map.SetValue(L"SUID", VT_UI2, record.U16(m_contact.tableAddress));
    ReadNames(record, map);
    ReadNumbers(record, map);
    ReadTypedTexts(record, map);
    if (!m_settings.HasNoAddressBlock())
        ReadAddresses(record, map);

    int year = record.U16(m_contact.birthday), month = record.U16(m_contact.birthday + 2),
        day = record.U16(m_contact.birthday + 4);
    if (IsValidDate(year, month, day)) {
        SYSTEMTIME date = {};
        date.wYear = static_cast<WORD>(year);
        date.wMonth = static_cast<WORD>(month);
        date.wDay = static_cast<WORD>(day);
        Variant birthday;
        birthday.Get().vt = VT_DATE;
        SystemTimeToVariantTime(&date, &birthday.Get().date);
        map[L"BIRTHDAY"] = birthday;
    }

    std::string ring = record.NarrowText(m_contact.ring.fileName);
    if (!ring.empty())
        map.SetText(L"RINGTON", Widen(ring, CP_ACP));
    else
        map.SetValue(L"RINGTON", VT_UI2, record.U16(m_contact.ring.index));
    map.SetText(L"RINGTON_TYPE", L"bell");

    ReadPhoto(record, map);
    map.SetText(L"NOTES", record.WideText(m_contact.memo));
    for (size_t n = 0; n < m_contact.groupSlotCount; ++n) {
        uint8_t group = record.U8(m_contact.groupSlots + n);
        map.SetValue(Indexed(L"GROUP_ID_", n), VT_UINT, group == 0xFF ? 0 : group);
    }
}

void CKelvraPB::ReadNames(const RecordBytes& record, ColumnMap& map) const
{
    std::wstring last = m_settings.SkipsLastName() ? std::wstring() : record.WideText(m_contact.lastName);
    map.SetText(L"LAST_NAME", last);
    map.SetText(L"FIRST_NAME", record.WideText(m_contact.firstName));
    if (m_settings.NamesFromFullName())
        map.SetText(L"FIRST_NAME", record.WideText(m_contact.fullName));
    else
        map.SetText(L"DISPLAY_NAME", record.WideText(m_contact.fullName));
}

void CKelvraPB::ReadNumbers(const RecordBytes& record, ColumnMap& map) const
{
    map.SetValue(L"TEL_COUNT", VT_UINT, static_cast<LONG>(m_contact.numbers.size()));
    for (size_t n = 0; n < m_contact.numbers.size(); ++n) {
        const auto& block = m_contact.numbers[n];
        std::wstring number = record.WideText(block.text);
        if (!m_settings.KeepsNumbersAsStored())
            number = CleanContactNumber(number, block.text.maxChars);
        map.SetText(Formatted(L"TEL_NUM_%d", n), number);
        if (number.empty())
            continue;
        map.SetText(Formatted(L"TEL_TYPE_%d", n), TypeName(record.U8(block.type), m_settings.numberTypeSetting));
        uint16_t speedDial = record.U16(block.speedDial);
        if (speedDial == 0) {
            Variant null;
            null.Get().vt = VT_NULL;
            map[Formatted(L"TEL_DIAL_%d", n)] = null;
        } else {
            map.SetText(Formatted(L"TEL_DIAL_%d", n), std::to_wstring(speedDial));
        }
    }
}

void CKelvraPB::ReadTypedTexts(const RecordBytes& record, ColumnMap& map) const
{
    auto read = [&](const std::vector<ContactLayout::TypedText>& blocks, const wchar_t* type, const wchar_t* text,
                    const wchar_t* count) {
        size_t found = 0;
        for (const auto& block : blocks) {
            std::wstring value = record.WideText(block.text);
            if (value.empty())
                continue;
            map.SetText(Formatted(type, found), TypeName(record.U8(block.type), m_settings.numberTypeSetting));
            map.SetText(Formatted(text, found), value);
            ++found;
        }
        map.SetValue(count, VT_UINT, static_cast<LONG>(found));
    };
    read(m_contact.emails, L"EMAIL_TYPE_%d", L"EMAIL_ADDR_%d", L"EMAIL_COUNT");
    read(m_contact.urls, L"URL_TYPE_%d", L"URL_ADDR_%d", L"URL_COUNT");
}

void CKelvraPB::ReadAddresses(const RecordBytes& record, ColumnMap& map) const
{
    static const wchar_t* const kParts[] = {L"ADDR_EXTADDR_%d",  L"ADDR_STREET_%d", L"ADDR_POSTALCODE_%d",
                                            L"ADDR_LOCALITY_%d", L"ADDR_REGION_%d", L"ADDR_COUNTRY_%d"};
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
        map.SetText(Formatted(L"ADDR_TYPE_%d", found), TypeName(record.U8(block.type), m_settings.numberTypeSetting));
        for (size_t part = 0; part < 6; ++part)
            map.SetText(Formatted(kParts[part], found), parts[part]);
        ++found;
    }
    map.SetValue(L"ADDR_COUNT", VT_UINT, static_cast<LONG>(found));
}

void CKelvraPB::ReadPhoto(const RecordBytes& record, ColumnMap& map)
{
    std::wstring handsetPath = WidenUtf8(record.NarrowText(m_contact.photo));
    const std::wstring modelsWithoutPhotos = L"KTM-A280;KTM-A150;KTM-A230;KTM-A130;KTM-A260;";
    if (!m_settings.model.empty() && modelsWithoutPhotos.find(m_settings.model) != std::wstring::npos) {
        if (ModelIsOneOf(m_settings.model, {L"KTM-A260", L"KTM-A130"}) && !handsetPath.empty())
            map.SetText(L"PHOTO_LOCAL_PATH", handsetPath);
        map.SetText(L"PHOTO_TYPE", L"NONE");
        map.SetText(L"PHOTO", L"");
        return;
    }
    std::wstring fileName = PlainFileName(handsetPath);
    if (handsetPath.empty() || fileName.empty()) {
        // Also a name that would lead out of the cache folder: the picture is not fetched.
        map.SetText(L"PHOTO_TYPE", L"NONE");
        map.SetText(L"PHOTO", L"");
        return;
    }
    std::wstring folder = PhotoCacheFolder();
    if (folder.empty())
        return;
    std::wstring localPath = folder + fileName;
    Platform& platform = Platform::Current();
    SetMode(2);
    platform.Sleep(kLinkPause);
    if (FAILED(Agent()->GetFile(Bstr(handsetPath).Get(), Bstr(localPath).Get())))
        ThrowTamError(kWrongReply, L"The contact's picture " + handsetPath + L" could not be copied from the handset");
    SetMode(0);
    platform.Sleep(kLinkPause);
    map.SetText(L"PHOTO_LOCAL_PATH", localPath);
    map.SetText(L"PHOTO_TYPE", L"IMAGE_PHOTO");
}

void CKelvraPB::WriteContact(ColumnMap& map, bool photoSupported, bool)
{
    RecordBytes record(m_contact.size);
    uint32_t index = static_cast<uint16_t>(map.Number(L"SUID"));
    // The record carries its own index, which reads back as its SUID.
    record.SetU16(m_contact.tableAddress, static_cast<uint16_t>(index));

    for (size_t n = 0; n < m_contact.groupSlotCount; ++n) {
        std::wstring column = Indexed(L"GROUP_ID_", n);
        uint8_t group = map.Has(column) ? static_cast<uint8_t>(ParseDecimal(map.TextOr(column, L"0"))) : 0xFF;
        record.SetU8(m_contact.groupSlots + n, group);
    }
    WriteNumbersAndTexts(record, map);
    WriteNames(record, map);
    WriteRing(record, map);

    // The picture is cached (and so checked) before the record names it, so that no
    // record names a picture that never reached the handset.
    std::wstring picture = photoSupported ? map.TextOr(L"PHOTO_LOCAL_PATH", L"") : std::wstring();
    std::wstring pictureName = PlainFileName(picture);
    std::wstring cached;
    bool pictureReady = !pictureName.empty() && CachePhoto(static_cast<int>(index), picture, pictureName, cached);
    std::wstring handsetPicture = pictureReady ? HandsetPictureFolder() + pictureName : std::wstring();
    record.SetNarrowText(m_contact.photo, NarrowUtf8(handsetPicture));
    if (!photoSupported)
        map.SetText(L"PHOTO_LOCAL_PATH", L"");

    std::string request =
        ByteWriter().U16LE(0x4130).U32LE(static_cast<uint32_t>(record.Size() + 8)).U32LE(kContactStore).U32LE(index)
            .Bytes(record.Bytes()).Take();
    uint8_t reply[8];
    uint32_t received = 0;
    Exchange(request, reply, sizeof(reply), received, kMismatchIsError, kTimeout);

    if (pictureReady) {
        map.SetText(L"PHOTO_LOCAL_PATH", cached);
        map.SetText(L"PHOTO_TYPE", L"IMAGE_PHOTO");
        SendPictureToHandset(cached, handsetPicture);
    } else if (photoSupported && !picture.empty()) {
        map.SetText(L"PHOTO_LOCAL_PATH", L"");
        map.SetText(L"PHOTO_TYPE", L"NONE");
    }
}

void CKelvraPB::WriteNumbersAndTexts(RecordBytes& record, ColumnMap& map) const
{
    for (size_t n = 0; n < m_contact.numbers.size(); ++n) {
        const auto& block = m_contact.numbers[n];
        record.SetWideText(block.text, map.TextOr(Formatted(L"TEL_NUM_%d", n), L""));
        record.SetU8(block.type, NumberTypeCode(map.TextOr(Formatted(L"TEL_TYPE_%d", n), L""), m_settings));
        record.SetU16(block.speedDial, static_cast<uint16_t>(ParseDecimal(map.TextOr(Formatted(L"TEL_DIAL_%d", n), L"0"))));
    }
    for (size_t n = 0; n < m_contact.emails.size(); ++n) {
        record.SetWideText(m_contact.emails[n].text, map.TextOr(Formatted(L"EMAIL_ADDR_%d", n), L""));
        record.SetU8(m_contact.emails[n].type, EmailTypeCode(map.TextOr(Formatted(L"EMAIL_TYPE_%d", n), L"")));
    }
    size_t urlsWritten = 0;
    for (size_t n = 0; n < m_contact.urls.size(); ++n) {
        std::wstring url = UrlForHandset(map.TextOr(Formatted(L"URL_ADDR_%d", n), L""));
        record.SetWideText(m_contact.urls[n].text, url);
        record.SetU8(m_contact.urls[n].type, UrlTypeCode(map.TextOr(Formatted(L"URL_TYPE_%d", n), L"")));
        urlsWritten += url.empty() ? 0 : 1;
    }
    map.SetValue(L"URL_COUNT", VT_UINT, static_cast<LONG>(urlsWritten));

    static const wchar_t* const kParts[] = {L"ADDR_EXTADDR_%d",  L"ADDR_STREET_%d", L"ADDR_POSTALCODE_%d",
                                            L"ADDR_LOCALITY_%d", L"ADDR_REGION_%d", L"ADDR_COUNTRY_%d"};
    for (size_t n = 0; n < m_contact.addresses.size(); ++n) {
        const auto& block = m_contact.addresses[n];
        for (size_t part = 0; part < 6; ++part)
            record.SetWideText(block.parts[part], map.TextOr(Formatted(kParts[part], n), L""));
        record.SetU8(block.type, AddressTypeCode(map.TextOr(Formatted(L"ADDR_TYPE_%d", n), L"")));
    }

    auto birthday = map.find(L"BIRTHDAY");
    if (birthday != map.end() && birthday->second.Type() == VT_DATE) {
        SYSTEMTIME date = {};
        if (VariantTimeToSystemTime(birthday->second.Get().date, &date)) {
            record.SetU16(m_contact.birthday, date.wYear);
            record.SetU16(m_contact.birthday + 2, date.wMonth);
            record.SetU16(m_contact.birthday + 4, date.wDay);
        }
    }
    record.SetWideText(m_contact.memo, map.TextOr(L"NOTES", L""));
}

void CKelvraPB::WriteNames(RecordBytes& record, ColumnMap& map) const
{
    std::wstring first = map.TextOr(L"FIRST_NAME", L"");
    std::wstring last = map.TextOr(L"LAST_NAME", L"");
    record.SetWideText(m_contact.firstName, first);
    if (m_settings.SkipsLastName()) {
        if (!last.empty()) {
            first = last + first;
            map.SetText(L"FIRST_NAME", first);
        }
    } else {
        std::wstring stored = last.substr(0, m_contact.lastName.maxChars);
        map.SetText(L"LAST_NAME", stored);
        record.SetWideText(m_contact.lastName, stored);
    }
    // The full name is made from the name as given, so a last name the record has no
    // field for still reaches the handset.
    std::wstring full;
    if (ModelIsOneOf(m_settings.model, {L"KTM-A230", L"KTM-A160", L"KTM-A120 INDIA_OPEN"}))
        full = first + L" " + last;
    else if (m_settings.model == L"KTM-A220" || m_settings.model == L"KTM-A110" || m_settings.model == L"KTM-A100")
        full = first;
    else if (m_settings.SkipsLastName())
        full = first;
    else
        full = last + first;
    record.SetWideText(m_contact.fullName, full);
}

void CKelvraPB::WriteRing(RecordBytes& record, ColumnMap& map) const
{
    map.SetText(L"RINGTON_TYPE", L"bell");
    auto ring = map.find(L"RINGTON");
    std::wstring ringName = ring != map.end() && ring->second.Type() == VT_BSTR ? map.Text(L"RINGTON") : L"";
    if (!ringName.empty())
        record.SetNarrowText(m_contact.ring.fileName, Narrow(ringName, CP_ACP));
    else
        map.SetText(L"RINGTON", L"137");
    if (m_settings.UsesShortTypeTable())
        record.SetU8(m_contact.ring.index, 0x86);
}

std::wstring CKelvraPB::HandsetPictureFolder() const
{
    if (ModelIsOneOf(m_settings.model, {L"KTM-A290", L"KTM-A180"}))
        return L"tfs4/a/sap/";
    if (ModelIsOneOf(m_settings.model, {L"KTM-A160", L"KTM-A150 TW"}))
        return L"efs2/users/Images/";
    if (ModelIsOneOf(m_settings.model,
                     {L"KTM-A200", L"KTM-A200 INDIA_OPEN", L"KTM-A200 HUTCH", L"KTM-A140", L"KTM-A120",
                      L"KTM-A120 INDIA_OPEN", L"KTM-A120 TW", L"KTM-A120 INDONESIA", L"KTM-A270", L"KTM-A220",
                      L"KTM-A300", L"KTM-A250", L"KTM-A210", L"KTM-A210 INDIA_OPEN", L"KTM-A190 INDIA",
                      L"KTM-A190 INI", L"KTM-A240"}))
        return m_settings.phoneRootPath + L"/Images/";
    return m_settings.phoneRootPath + L"/Images/Phonebook images/";
}

void CKelvraPB::SendPictureToHandset(const std::wstring& pcPath, const std::wstring& handsetPath)
{
    Platform& platform = Platform::Current();
    SetMode(2);
    platform.Sleep(kLinkPause);
    Bstr target(handsetPath), source(pcPath);
    if (FAILED(Agent()->PutFile(target.Get(), source.Get())) && SUCCEEDED(Agent()->RemoveFile(target.Get())))
        Agent()->PutFile(target.Get(), source.Get());
    SetMode(0);
    platform.Sleep(kLinkPause);
}

void CKelvraPB::ReadGroup(uint32_t index, ColumnMap& map)
{
    RecordBytes record = ReadRecord(kGroupStore, index, m_group.size);
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

void CKelvraPB::WriteGroup(uint32_t index, const ColumnMap& map)
{
    RecordBytes record(m_group.size);
    record.SetWideText(m_group.name, map.TextOr(L"NAME", L""));
    record.SetNarrowText(m_group.photo, Narrow(map.TextOr(L"PHOTO", L""), CP_ACP));
    std::string request =
        ByteWriter().U16LE(0x4130).U32LE(static_cast<uint32_t>(record.Size() + 8)).U32LE(kGroupStore).U32LE(index)
            .Bytes(record.Bytes()).Take();
    uint8_t reply[8];
    uint32_t received = 0;
    if (!Exchange(request, reply, sizeof(reply), received, kMismatchIsFalse, kTimeout))
        ThrowTamError(kWrongReply, L"The handset refused to store group " + std::to_wstring(index));
}

void CKelvraPB::DeleteRecord(uint32_t index, uint32_t store)
{
    std::string request = ByteWriter().U16LE(0x4140).U32LE(8).U32LE(store).U32LE(index).Take();
    uint8_t reply[8];
    uint32_t received = 0;
    Exchange(request, reply, sizeof(reply), received, kMismatchIsError, kTimeout);
}

bool CKelvraPB::ScanSimSpeedDials(std::vector<uint16_t>& speedDials)
{
    speedDials.clear();
    uint32_t count = GetRecordCount(kSpeedDialStore);
    if (count == 0)
        return false;
    CardEntryLayout layout = CardEntryLayout::For(m_settings.speedDialName, m_settings.speedDialNumber);
    uint32_t arrived = 0;
    for (LONG index = m_settings.speedDialStart; index <= m_settings.speedDialEnd && arrived < count; ++index) {
        std::string request =
            ByteWriter().U16LE(0x4120).U32LE(8).U32LE(kSpeedDialStore).U32LE(static_cast<uint32_t>(index)).Take();
        std::string reply(158, '\0');
        uint32_t received = 0;
        if (!Exchange(request, reply.data(), reply.size(), received, kMismatchIsFalse, kTimeout))
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
    if (source.empty() || !FileExists(source))
        return false;
    std::wstring folder = PhotoCacheFolder();
    if (folder.empty())
        return false;
    wchar_t name[MAX_PATH];
    swprintf(name, MAX_PATH, L"%ls%03d_%ls", folder.c_str(), number, FileNameOf(fileName).c_str());
    if (!LoadsAsBitmap(source))
        return false;
    if (_wcsicmp(source.c_str(), name) != 0 && !CopyFileW(source.c_str(), name, FALSE))
        return false;
    cachedPath = name;
    return true;
}

}  // namespace kelvra
