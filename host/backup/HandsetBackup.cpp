#include "HandsetBackup.h"

#include <cstdio>
#include <cwctype>

#include "BackupTables.h"
#include "ComFailure.h"
#include "CopyProgress.h"
#include "ExitCode.h"
#include "FileSync.h"
#include "ICalendarWriter.h"
#include "MessageSync.h"
#include "ModelProfileText.h"
#include "OrganizerSync.h"
#include "TableWalker.h"
#include "UntrustedText.h"
#include "VCardImport.h"
#include "VCardWriter.h"
#include "WholeFile.h"

namespace kelvra::host {

namespace {

// "2026-12-07T03:50:12Z", from the calendar's stamp "20261207T035012Z".
std::string IsoUtcNow()
{
    std::string stamp = ICalendarWriter::StampNow();
    return stamp.substr(0, 4) + "-" + stamp.substr(4, 2) + "-" + stamp.substr(6, 5) + ":" + stamp.substr(11, 2) +
           ":" + stamp.substr(13);
}

// The picture's name as the person's PC file had it: the photo cache puts the record's
// number in front ("008_face.bmp"), and the handset puts it there again when the picture
// is restored.
std::wstring PictureName(const std::wstring& cachedPath)
{
    std::wstring name = cachedPath.substr(cachedPath.find_last_of(L"\\/") + 1);
    size_t digits = 0;
    while (digits < name.size() && iswdigit(name[digits]))
        ++digits;
    if (digits >= 3 && digits + 1 < name.size() && name[digits] == L'_')
        name.erase(0, digits + 1);
    return name;
}

// Where a handset file or folder lies in the backup: files/phone/... or files/card/...
std::string BackupPathOf(const HandsetPlace& place)
{
    std::string path(place.OnCard() ? "files/card" : "files/phone");
    for (const std::wstring& part : place.Parts())
        path.append(1, '/').append(NarrowUtf8(part));
    return path;
}

}  // namespace

int HandsetBackup::Run()
{
    ModelProfileText profile = ModelProfileText::Of(m_session.Model());
    m_manifest.modelId = m_session.Model();
    m_manifest.modelName = WidenUtf8(profile.ModelName());
    m_manifest.time = IsoUtcNow();
    for (const BackupTable& table : kBackupTables) {
        if (profile.KeepsTable(table.name))
            m_listed[table.name] = BackUpTable(table);
    }
    if (profile.KeepsTable(L"phonebook"))
        WriteContacts(m_listed[L"phonebook"], m_listed[L"groups"]);
    WriteOrganizer();
    if (profile.KeepsTable(L"sms"))
        m_folder.Write("sms.json", SmsAsJson(m_listed[L"sms"]));
    if (profile.KeepsTable(L"mms"))
        BackUpMmsContent(m_listed[L"mms"]);
    if (profile.KeepsTable(kFilesTable) && m_session.Handset()) {
        BackUpFiles();
    } else if (profile.KeepsTable(kFilesTable)) {
        m_filesPassedOver.push_back("the handset's files, which the serial link does not carry");
        fprintf(stderr, "kelvra-sync: passed over the handset's files, which the serial link does not carry\n");
    }
    m_manifest.componentVersion = LoadedComponentVersion();
    m_manifest.passedOver = TableWalker::PassedOverNames();
    m_manifest.passedOver.insert(m_manifest.passedOver.end(), m_filesPassedOver.begin(), m_filesPassedOver.end());
    m_folder.Complete(m_manifest);
    printf("backed up the %s to %s\n", profile.ModelName().c_str(), NarrowUtf8(m_folder.Target()).c_str());
    if (m_manifest.passedOver.empty())
        return kOk;
    fprintf(stderr, "kelvra-sync: %zu record%s could not be read and %s not in the backup (see its manifest)\n",
            m_manifest.passedOver.size(), m_manifest.passedOver.size() == 1 ? "" : "s",
            m_manifest.passedOver.size() == 1 ? "is" : "are");
    return kPassedOver;
}

void HandsetBackup::Said(const std::string& table, uint64_t count, const char* what)
{
    printf("%s: %llu %s\n", table.c_str(), static_cast<unsigned long long>(count), what);
    fflush(stdout);
}

std::vector<ComPtr<IItem>> HandsetBackup::BackUpTable(const BackupTable& backed)
{
    const wchar_t* name = backed.name;
    QELDATATYPE kind;
    ComPtr<IDataTable> table = m_session.Table(name, kind);
    std::vector<ComPtr<IItem>> items = TableWalker(table.Get()).Items(kind, true);
    std::string lines;
    for (const auto& item : items) {
        ItemRecord record = ItemRecord::Of(item.Get());
        if (kind == QELDT_PHONEBOOK)
            KeepPicture(item.Get(), record);
        lines += record.ToJsonLine() + "\n";
    }
    std::string table8 = NarrowUtf8(name);
    m_folder.Write("items/" + table8 + ".jsonl", lines);
    m_manifest.counts.push_back({table8, items.size()});
    Said(table8, items.size(), items.size() == 1 ? backed.one : backed.many);
    return items;
}

void HandsetBackup::KeepPicture(IItem* contact, ItemRecord& record)
{
    std::wstring cached = ColumnText(contact, L"PHOTO_LOCAL_PATH");
    if (ColumnText(contact, L"PHOTO_TYPE") != L"IMAGE_PHOTO" || cached.empty())
        return;
    std::string picture = "pictures/" + std::to_string(record.suid) + "/" + NarrowUtf8(PictureName(cached));
    if (!IsSafeRelativePath(picture))
        picture = "pictures/" + std::to_string(record.suid) + "/picture";
    record.picture = picture;
    m_folder.Write("items/" + record.picture, ReadWhole(cached));
}

void HandsetBackup::WriteContacts(const std::vector<ComPtr<IItem>>& contacts, const std::vector<ComPtr<IItem>>& groups)
{
    std::map<std::wstring, std::wstring> groupNames;
    for (const auto& group : groups)
        groupNames[std::to_wstring(ItemSuid(group.Get()))] = ColumnText(group.Get(), L"NAME");
    std::string text;
    for (const auto& contact : contacts)
        text += VCardWriter::Write(ColumnTexts(contact.Get()), groupNames);
    m_folder.Write("contacts.vcf", text);
}

void HandsetBackup::WriteOrganizer()
{
    const std::pair<const wchar_t*, OrganizerKind> kinds[] = {
        {L"calendar", OrganizerKind::Calendar}, {L"tasks", OrganizerKind::Task}, {L"memos", OrganizerKind::Memo}};
    std::vector<OrganizerEntry> entries;
    bool kept = false;
    for (const auto& [name, kind] : kinds) {
        auto listed = m_listed.find(name);
        if (listed == m_listed.end())
            continue;
        kept = true;
        for (const auto& item : listed->second)
            entries.push_back(OrganizerSync::EntryOf(kind, item.Get()));
    }
    if (kept)
        m_folder.Write("calendar.ics", ICalendarWriter::Write(entries, ICalendarWriter::StampNow()));
}

void HandsetBackup::BackUpMmsContent(const std::vector<ComPtr<IItem>>& messages)
{
    QELDATATYPE kind;
    ComPtr<IDataTable> table = m_session.Table(L"mms", kind);
    for (const auto& mms : messages) {
        std::string suid = std::to_string(ItemSuid(mms.Get()));
        HRESULT hr = table->ReadItem(mms.Get());
        if (FAILED(hr) && TableWalker::LinkFailed(hr))
            CheckCall(hr, "Fetching an MMS");
        if (FAILED(hr)) {
            m_filesPassedOver.push_back("the content of MMS " + suid);
            fprintf(stderr, "kelvra-sync: passed over the content of MMS %s, which could not be fetched\n", suid.c_str());
            continue;
        }
        m_folder.Write("mms/" + suid + ".mms", ReadWhole(ColumnText(mms.Get(), L"ATTACHMENT_FILE_PATH")));
    }
}

void HandsetBackup::BackUpFiles()
{
    FileSync files(m_session);
    uint64_t count = 0, bytes = 0;
    for (const HandsetEntry& entry : files.Entries()) {
        std::string path = BackupPathOf(entry.place), shown = Shown(NarrowUtf8(entry.place.Shown()));
        // A name Windows reads as a device, changes or refuses has no place in a PC folder.
        if (!IsSafeRelativePath(path)) {
            m_filesPassedOver.push_back("the " + std::string(entry.folder ? "folder " : "file ") + shown);
            fprintf(stderr, "kelvra-sync: passed over %s, whose name a PC folder cannot hold\n", shown.c_str());
            continue;
        }
        if (entry.folder) {
            m_folder.MakeFolder(path);
            continue;
        }
        if (ErrorStreamIsTerminal())
            fprintf(stderr, "%s\n", shown.c_str());
        try {
            bytes += files.Get(entry.place, m_folder.PathFor(path));
        } catch (const ComFailure& failure) {
            if (TableWalker::LinkFailed(failure.Result()) || CopyProgress::Cancelled())
                throw;
            m_filesPassedOver.push_back("the file " + shown);
            fprintf(stderr, "kelvra-sync: passed over %s, which could not be copied: %s\n", shown.c_str(),
                    Shown(failure.what()).c_str());
            continue;
        }
        m_folder.Record(path);
        ++count;
    }
    printf("files: %llu files, %llu bytes\n", static_cast<unsigned long long>(count),
           static_cast<unsigned long long>(bytes));
}

}  // namespace kelvra::host
