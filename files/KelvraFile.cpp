#include "KelvraFile.h"

#include <algorithm>
#include <climits>
#include <cwctype>
#include <utility>

#include "ByteCursor.h"
#include "DebugLog.h"
#include "Errors.h"
#include "Platform.h"
#include "Request.h"

namespace kelvra {

namespace {

constexpr LONG kFreeSpaceErrorBase = 30000;
// An HRESULT keeps 16 bits of a _tam_error code: an agent's code that would not fit, or
// is no error number at all (0 or below), is shown as the largest that does.
constexpr long kLargestShownAgentError = 0xFFFF - kFreeSpaceErrorBase;
constexpr DWORD kTotalSizeTimeout = 2000;
constexpr BYTE kLinkVersionWithLargeFreeSpace = 5;

// Every folder the process numbers takes the next id, across tables and listings.
ULONG g_lastFolderId = 0;
// The totals of the two memories, as last asked or read from the profile.
uint64_t g_phoneTotal = 0;
uint64_t g_externalTotal = 0;

const wchar_t* const kDefaultSystemFolders[] = {
    L"/Images", L"/Videos", L"/Music", L"/Sounds", L"/Other files", L"/Images/Downloaded images",
    L"/Videos/Downloaded videos", L"/Sounds/Downloaded sounds", L"/Sounds/Voice memo"};
const wchar_t* const kA230SystemFolders[] = {
    L"/Images", L"/Videos", L"/Music", L"/Sounds", L"/Other files", L"/Images/Downloaded images",
    L"/Videos/Downloaded videos", L"/Sounds/Downloaded sounds", L"/Sounds/Voice memo", L"/Sounds/FM radio clips",
    L"/Other files/Document files", L"/Other files/Data files"};
// "Donwloaded" is how these handsets spell their own folder.
const wchar_t* const kA290SystemFolders[] = {
    L"/Images", L"/Videos", L"/Sounds", L"/Other files", L"/Images/Donwloaded images", L"/Images/My photos",
    L"/Videos/Downloaded videos", L"/Sounds/Downloaded sounds", L"/Sounds/Music", L"/Sounds/Voice memo",
    L"/Sounds/FM radio clips"};

struct TypeRule {
    const wchar_t* entry;
    const wchar_t* codes;
};
const TypeRule kTypeRules[] = {
    {L"/Images", L"106;101;112;120;109"}, {L"/Music", L"304;331;208;317;410;330"},
    {L"/Sounds/Music", L"304;331;208;317;410;330"}, {L"/Sound", L"306;311"},
    {L"/Videos", L"410;400;330"}, {L"/Other files", L"0"}};

const std::pair<const wchar_t*, const wchar_t*> kCodeRewrites[] = {
    {L"110", L"120"}, {L"200", L"340"}, {L"300", L"312"}, {L"301", L"313"},
    {L"302", L"314"}, {L"305", L"331"}, {L"308", L"330"}, {L"401", L"410"}};

const wchar_t kWallpaperModel[] = L"KTM-A290";
const wchar_t kWallpaperFolder[] = L"/tfs4/a/users/Images";
const wchar_t kBuiltInWallpapers[] =
    L":01 Blue sky.bmp:02 Green meadow.bmp:03 Sunset.bmp:04 Night city.bmp:05 Ocean wave.bmp"
    L":06 Autumn leaves.bmp:07 Snow peak.bmp:08 Desert dune.bmp:09 Spring bloom.bmp:10 Starry night.bmp"
    L":11 Rain drops.bmp:12 Forest path.bmp:13 Golden field.bmp:14 Harbour lights.bmp:";

std::wstring Lower(std::wstring text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](wchar_t c) { return std::towlower(c); });
    return text;
}

std::wstring CollapseSlashes(std::wstring path)
{
    for (size_t at = path.find(L"//"); at != std::wstring::npos; at = path.find(L"//", at))
        path.erase(at, 1);
    return path;
}

Variant DateNow()
{
    SYSTEMTIME now = Platform::Current().LocalTime();
    Variant date;
    VARIANT& value = *date.Out();
    value.vt = VT_R8;
    SystemTimeToVariantTime(&now, &value.dblVal);
    return date;
}

void SetDatesNow(ColumnMap& record)
{
    Variant now = DateNow();
    for (const wchar_t* column : {L"CreateDate", L"LastWriteDate", L"LastAccessDate"})
        record[column] = now;
}

void SetUnsigned(ColumnMap& record, const wchar_t* column, ULONG value)
{
    Variant number;
    VARIANT& raw = *number.Out();
    raw.vt = VT_UI4;
    raw.ulVal = value;
    record[column] = number;
}

std::wstring TotalLessFree(uint64_t total, double freeBytes)
{
    // Whatever the agent answers, the difference is a size: never below 0, and a free
    // space at or above the total (infinity included) leaves nothing used.
    if (!(freeBytes < static_cast<double>(total)))
        return L"0";
    uint64_t free = freeBytes > 0 ? static_cast<uint64_t>(freeBytes) : 0;
    return std::to_wstring(total - free);
}

LONG FreeSpaceErrorCode(long agentCode)
{
    bool shown = agentCode > 0 && agentCode <= kLargestShownAgentError;
    return kFreeSpaceErrorBase + (shown ? agentCode : kLargestShownAgentError);
}

}  // namespace

CKelvraFile::CKelvraFile(ITAMAgent* agent, FileSystemSettings settings)
    : CKelvraBase(agent, 1, 3000), m_settings(std::move(settings))
{
    RequirePointer(agent, L"The device agent");
}

ULONG CKelvraFile::NextFolderId()
{
    return ++g_lastFolderId;
}

ULONG CKelvraFile::LastFolderId()
{
    return g_lastFolderId;
}

const std::wstring& CKelvraFile::RootOf(const std::wstring& folder) const
{
    return folder.find(L'\\') != std::wstring::npos ? m_settings.externalRoot : m_settings.phoneRoot;
}

// A folder path from the host climbs nowhere: no ".", "..", drive or control character.
void CKelvraFile::RequireSafeFolder(const std::wstring& folder)
{
    size_t start = 0;
    while (start <= folder.size()) {
        size_t end = folder.find_first_of(L"/\\", start);
        if (end == std::wstring::npos)
            end = folder.size();
        std::wstring part = folder.substr(start, end - start);
        if (!part.empty() && !IsPlainName(part))
            ThrowComError(E_INVALIDARG, L"The folder path " + folder + L" names \"" + part + L"\", which is no folder");
        start = end + 1;
    }
}

std::wstring CKelvraFile::EntryOf(const ColumnMap& record) const
{
    std::wstring name = record.TextOr(L"Name", L"");
    if (!IsPlainName(name))
        ThrowComError(E_INVALIDARG, L"\"" + name + L"\" names no file or folder");
    return EntryPath(record.TextOr(L"Reserved1", L"/"), name);
}

std::wstring CKelvraFile::EntryPath(const std::wstring& folder, const std::wstring& name) const
{
    RequireSafeFolder(folder);
    std::wstring relative = folder;
    std::replace(relative.begin(), relative.end(), L'\\', L'/');
    const std::wstring& root = RootOf(folder);
    if (root.empty())
        ThrowComError(E_INVALIDARG, L"The folder " + folder + L" lies in a memory this model does not have");
    return CollapseSlashes(relative == L"/" ? root + L"/" + name : root + relative + L"/" + name);
}

std::wstring CKelvraFile::FolderPath(const std::wstring& folder) const
{
    std::wstring path = EntryPath(folder, L"");
    while (path.size() > 1 && path.back() == L'/')
        path.pop_back();
    return path;
}

bool CKelvraFile::OnExternalMemory(const std::wstring& path) const
{
    const std::wstring& root = m_settings.externalRoot;
    return !root.empty() && path.compare(0, root.size(), root) == 0 &&
           (path.size() == root.size() || path[root.size()] == L'/');
}

std::wstring CKelvraFile::RewriteTypeCodes(const std::wstring& codes)
{
    // Whole codes only: a code that merely contains an old one stays as it is.
    std::wstring result;
    size_t start = 0;
    while (start <= codes.size()) {
        size_t end = std::min(codes.find(L';', start), codes.size());
        std::wstring code = codes.substr(start, end - start);
        for (auto [old, replacement] : kCodeRewrites) {
            if (code == old)
                code = replacement;
        }
        result += code;
        if (end < codes.size())
            result += L';';
        start = end + 1;
    }
    return result;
}

std::wstring CKelvraFile::GetLimitFileType(const std::wstring& path) const
{
    const std::wstring& external = m_settings.externalRoot;
    if ((!external.empty() && path == external + L"/") || path == L"\\")
        return L"0";
    const std::wstring& root = RootOf(path);
    for (const TypeRule& rule : kTypeRules) {
        if (path.find(root + rule.entry) != std::wstring::npos)
            return RewriteTypeCodes(rule.codes);
    }
    return L"";
}

ULONG CKelvraFile::GetNotAllowedOperation(const std::wstring& path) const
{
    auto isOneOf = [&](const auto& folders) {
        const std::wstring& root = RootOf(path);
        std::wstring wanted = Lower(path);
        return std::any_of(std::begin(folders), std::end(folders),
                           [&](const wchar_t* entry) { return Lower(root + entry) == wanted; });
    };
    const ModelName& model = m_settings.model;
    if (model.IsOneOf({L"KTM-A230", L"KTM-A160"}))
        return isOneOf(kA230SystemFolders) ? kSystemFolder : 0;
    if (model.IsOneOf({L"KTM-A290", L"KTM-A180"}))
        return isOneOf(kA290SystemFolders) ? kSystemFolder : 0;
    return isOneOf(kDefaultSystemFolders) ? kSystemFolder : 0;
}

bool CKelvraFile::IsPlainName(const std::wstring& name)
{
    if (name.empty() || name == L"." || name == L"..")
        return false;
    return std::none_of(name.begin(), name.end(),
                        [](wchar_t c) { return c == L'\\' || c == L'/' || c == L':' || c < 0x20; });
}

bool CKelvraFile::IsBuiltInWallpaper(const std::wstring& folder, const std::wstring& name) const
{
    return m_settings.model.IsOneOf({kWallpaperModel}) && Lower(folder) == Lower(kWallpaperFolder) &&
           std::wstring_view(kBuiltInWallpapers).find(L":" + name + L":") != std::wstring_view::npos;
}

double CKelvraFile::GetFreeSize(const std::wstring& root)
{
    ITAMAgent* agent = Agent();
    TAMLINKINFO link{};
    Check(agent->GetLinkInfo(&link), agent);
    Bstr path(root);
    double freeBytes = 0;
    if (link.version < kLinkVersionWithLargeFreeSpace) {
        long small = 0;
        Check(agent->GetFreeBytes(path.Get(), &small), agent);
        freeBytes = static_cast<double>(static_cast<ULONG>(small));
    } else {
        Check(agent->GetFreeBytesEx(path.Get(), &freeBytes), agent);
    }
    if (freeBytes == 0) {
        long code = 0;
        Check(agent->GetAgentError(&code), agent);
        if (code != 0)
            ThrowTamError(FreeSpaceErrorCode(code),
                          L"The free space of " + root + L" is not available (agent error " + std::to_wstring(code) +
                              L")");
    }
    return freeBytes;
}

uint64_t CKelvraFile::GetTotalSize(bool external)
{
    const std::wstring& root = external ? m_settings.externalRoot : m_settings.phoneRoot;
    std::string path = Narrow(root + L"/", CP_THREAD_ACP);
    if (path.size() > kRootPathField)
        ThrowComError(E_INVALIDARG, L"The root path " + root + L" is too long to ask its size");
    Request request(kTotalSizeRequest);
    request.Field(path, kRootPathField);
    uint32_t received = 0;
    std::string reply = ExchangeAlloc(request, received, kTotalSizeTimeout);
    ByteReader reader(reply);
    uint32_t total = reader.ReadU32LE();
    if (!reader.Ok())
        ThrowTamError(kTamWrongReply, L"The handset's answer to the size of " + root + L" is too short");
    (external ? g_externalTotal : g_phoneTotal) = total;
    return total;
}

void CKelvraFile::RefreshTotals(CKelvraFile& codec, bool fixedPhoneTotal, uint64_t profileTotal)
{
    // A memory that is not asked has no size, whatever an earlier handset's had.
    g_phoneTotal = 0;
    g_externalTotal = 0;
    if (fixedPhoneTotal) {
        g_phoneTotal = profileTotal;
        return;
    }
    if (!codec.m_settings.phoneRoot.empty())
        codec.GetTotalSize(false);
    if (!codec.m_settings.externalRoot.empty())
        codec.GetTotalSize(true);
}

ColumnMap CKelvraFile::GetMemoryInfo()
{
    ColumnMap info;
    info.SetText(L"MemorySize", std::to_wstring(g_phoneTotal));
    info.SetText(L"MemoryUse", m_settings.phoneRoot.empty()
                                   ? L"0"
                                   : TotalLessFree(g_phoneTotal, GetFreeSize(m_settings.phoneRoot)));
    info.SetText(L"MaxFolderDepth", std::to_wstring(m_settings.maxFolderDepth));
    info.SetText(L"FolderNameLength", std::to_wstring(m_settings.folderNameLength));
    // The profile may come from the handset: a length beyond reason saturates.
    LONG nameLength = m_settings.fileNameLength;
    info.SetValue(L"FileNameLength", VT_INT, nameLength > LONG_MAX - 4 ? LONG_MAX : nameLength + 4);
    TAMLINKINFO link{};
    Check(Agent()->GetLinkInfo(&link), Agent());
    SetUnsigned(info, L"PacketSize", static_cast<ULONG>(link.packetSize));
    info.SetValue(L"CodeSchema", VT_INT, 3);
    info.SetText(L"ExtMemorySize", std::to_wstring(g_externalTotal));
    info.SetText(L"ExtMemoryUse", m_settings.externalRoot.empty()
                                      ? L"0"
                                      : TotalLessFree(g_externalTotal, GetFreeSize(m_settings.externalRoot)));
    info.SetValue(L"DeviceAttribute", VT_INT, 10);
    return info;
}

ComPtr<ITAMFileList> CKelvraFile::ListOnHandset(const std::wstring& path, long& count)
{
    ITAMAgent* agent = Agent();
    ComPtr<ITAMFileList> list;
    Check(agent->ListFolder(Bstr(path).Get(), 0, 0, list.GetAddressOf()), agent);
    RequirePointer(list, L"The agent's folder listing");
    Check(list->get_Count(&count), list.Get());
    DebugLog(L"[KELQEL]Folder : %ls\t Count=%d", path.c_str(), static_cast<int>(count));
    return list;
}

long CKelvraFile::CountEntries(const std::wstring& path)
{
    long count = 0;
    ListOnHandset(path, count);
    return count;
}

std::vector<CKelvraFile::Entry> CKelvraFile::ListEntries(const std::wstring& path, size_t room)
{
    long count = 0;
    ComPtr<ITAMFileList> list = ListOnHandset(path, count);
    if (count < 0 || count > kMostEntriesPerFolder)
        ThrowComError(E_FAIL, L"The handset counts " + std::to_wstring(count) + L" entries in " + path +
                                  L", where a folder holds 0 to " + std::to_wstring(kMostEntriesPerFolder) +
                                  L"; the listing was stopped");
    if (static_cast<size_t>(count) > room)
        ThrowComError(E_FAIL, L"The handset's folders hold more than " + std::to_wstring(kMostRecords) +
                                  L" entries in all; the listing was stopped at " + path);
    std::vector<Entry> entries;
    entries.reserve(static_cast<size_t>(count));
    for (long index = 0; index < count; ++index) {
        ComPtr<ITAMFileEntry> item;
        Check(list->Item(index, item.GetAddressOf()), list.Get());
        RequirePointer(item, L"An entry of the agent's folder listing");
        Entry entry;
        Bstr name;
        VARIANT_BOOL isFile = VARIANT_FALSE;
        long size = 0;
        Check(item->get_Name(name.Out()), item.Get());
        Check(item->get_IsFile(&isFile), item.Get());
        Check(item->get_Size(&size), item.Get());
        entry.name = name.Str();
        entry.isFile = isFile != VARIANT_FALSE;
        entry.size = static_cast<ULONG>(size);
        // A name that could climb out of its folder names nothing we can address.
        if (!IsPlainName(entry.name)) {
            DebugLog(L"[KELQEL]Passed over the entry \"%ls\" of %ls", entry.name.c_str(), path.c_str());
            continue;
        }
        entries.push_back(std::move(entry));
    }
    return entries;
}

ColumnMap CKelvraFile::FolderRecord(const std::wstring& parentPath, const std::wstring& name, ULONG status) const
{
    ColumnMap record;
    record.SetText(L"Name", name);
    record.SetText(L"PARENT_PATH", parentPath);
    record.SetText(L"FileCount", L"0");
    bool external = (status & kExternalMemory) == kExternalMemory;
    record.SetValue(external ? L"ExtMemorySize" : L"MemorySize", VT_INT, 0);
    record.SetValue(external ? L"ExtMemoryUse" : L"MemoryUse", VT_INT, 0);
    std::wstring path = parentPath + L"/" + name;
    std::wstring types = GetLimitFileType(path);
    record.SetText(L"LimitFileType", types);
    SetDatesNow(record);
    SetUnsigned(record, L"Status", status);
    SetUnsigned(record, L"NotAllowedOperation", GetNotAllowedOperation(path) | (types.empty() ? kNoTypeLimit : 0));
    return record;
}

ColumnMap CKelvraFile::RootRecord(const std::wstring& root, ULONG status) const
{
    // A root is named "\" and takes its type codes from its own path.
    ColumnMap record = FolderRecord(root + L"/", L"\\", status | kFolderFlag);
    std::wstring types = GetLimitFileType(root + L"/");
    record.SetText(L"LimitFileType", types);
    SetUnsigned(record, L"NotAllowedOperation", types.empty() ? kNoTypeLimit : 0);
    SetUnsigned(record, L"FolderID", NextFolderId());
    record.SetValue(L"ParentID", VT_INT, 0);
    return record;
}

ULONG CKelvraFile::MemoryStatus(const std::wstring& path) const
{
    return OnExternalMemory(path) ? kExternalMemory : kPhoneMemory;
}

ColumnMap CKelvraFile::SubfolderRecord(const std::wstring& path, ULONG folderId, const Entry& entry) const
{
    ColumnMap record = FolderRecord(path, entry.name, MemoryStatus(path) | kFolderFlag);
    SetUnsigned(record, L"FolderID", NextFolderId());
    record.SetValue(L"ParentID", VT_INT, static_cast<LONG>(folderId));
    return record;
}

ColumnMap CKelvraFile::FileRecord(const std::wstring& path, ULONG folderId, const Entry& entry) const
{
    ColumnMap record;
    SetUnsigned(record, L"FolderID", folderId);
    record.SetText(L"Name", entry.name);
    record.SetText(L"Type", L"0");
    SetUnsigned(record, L"FileSize", entry.size);
    SetDatesNow(record);
    SetUnsigned(record, L"Status", MemoryStatus(path) | kFileFlag);
    SetUnsigned(record, L"NotAllowedOperation",
                IsBuiltInWallpaper(path, entry.name) ? kBuiltInWallpaper : kOrdinaryFile);
    return record;
}

void CKelvraFile::ListFolder(const std::wstring& path, ULONG folderId, Listing& listing, bool withSubfolders)
{
    size_t held = listing.folders.size() + listing.files.size();
    std::vector<Entry> entries = ListEntries(path, held < kMostRecords ? kMostRecords - held : 0);
    for (const Entry& entry : entries) {
        if (entry.isFile)
            listing.files.push_back(FileRecord(path, folderId, entry));
        else if (withSubfolders)
            listing.folders.push_back(SubfolderRecord(path, folderId, entry));
        else
            DebugLog(L"[KELQEL]Not listed below the folder depth: %ls/%ls", path.c_str(), entry.name.c_str());
    }
}

CKelvraFile::Listing CKelvraFile::ListFolderTree()
{
    Listing listing;
    std::vector<std::pair<std::wstring, LONG>> paths;  // handset path and depth of each listed folder
    // A model lists only the memories it has.
    const std::pair<const std::wstring*, ULONG> roots[] = {{&m_settings.phoneRoot, kPhoneMemory},
                                                           {&m_settings.externalRoot, kExternalMemory}};
    for (auto [root, status] : roots) {
        if (root->empty())
            continue;
        listing.folders.push_back(RootRecord(*root, status));
        paths.emplace_back(*root, 0);
    }
    // Breadth-first. The model's folder depth bounds the folders: those of the deepest
    // level are looked into for their files only, so that a handset that lists a folder
    // inside itself ends there; and no handset is believed beyond the most folders.
    for (size_t next = 0; next < paths.size(); ++next) {
        auto [path, depth] = paths[next];
        bool deepest = m_settings.maxFolderDepth > 0 && depth >= m_settings.maxFolderDepth;
        ULONG id = listing.folders[next].Number(L"FolderID");
        size_t first = listing.folders.size();
        ListFolder(path, id, listing, !deepest);
        if (listing.folders.size() > kMostFolders)
            ThrowComError(E_FAIL, L"The handset lists more than " + std::to_wstring(kMostFolders) +
                                      L" folders; the listing was stopped");
        for (size_t added = first; added < listing.folders.size(); ++added)
            paths.emplace_back(path + L"/" + listing.folders[added].Text(L"Name"), depth + 1);
    }
    return listing;
}

void CKelvraFile::MakeFolder(ColumnMap& record)
{
    std::wstring folder = record.TextOr(L"Reserved1", L"/");
    std::wstring name = record.TextOr(L"Name", L"");
    if (!IsPlainName(name))
        ThrowComError(E_INVALIDARG, L"\"" + name + L"\" cannot name a folder");
    std::wstring path = EntryPath(folder, name);
    Check(Agent()->CreateFolder(Bstr(path).Get()), Agent());
    std::wstring parent = FolderPath(folder);
    for (auto& [column, value] : FolderRecord(parent, name, MemoryStatus(parent) | kFolderFlag))
        record[column] = value;
    SetUnsigned(record, L"FolderID", NextFolderId());
}

void CKelvraFile::RemoveFile(const ColumnMap& record)
{
    std::wstring path = EntryOf(record);
    Check(Agent()->RemoveFile(Bstr(path).Get()), Agent());
}

void CKelvraFile::RemoveFolder(const ColumnMap& record)
{
    std::wstring path = EntryOf(record);
    Check(Agent()->DeleteFolder(Bstr(path).Get()), Agent());
}

void CKelvraFile::RenamePhoneFile(const ColumnMap& record)
{
    Rename(record, &ITAMAgent::RenameFile, L"file");
}

void CKelvraFile::RenamePhoneFolder(const ColumnMap& record)
{
    Rename(record, &ITAMAgent::RenameFolder, L"folder");
}

void CKelvraFile::Rename(const ColumnMap& record, AgentPathPair rename, const wchar_t* kind)
{
    std::wstring folder = record.TextOr(L"Reserved1", L"/");
    std::wstring newName = record.TextOr(L"Reserved2", L"");
    if (!IsPlainName(newName))
        ThrowComError(E_INVALIDARG, L"\"" + newName + L"\" cannot name a " + kind);
    Bstr oldPath(EntryOf(record));
    Check((Agent()->*rename)(oldPath.Get(), Bstr(EntryPath(folder, newName)).Get()), Agent());
}

void CKelvraFile::GetFileFromPhone(const ColumnMap& record)
{
    Copy(record, &ITAMAgent::GetFile);
}

void CKelvraFile::PutFileToPhone(const ColumnMap& record)
{
    Copy(record, &ITAMAgent::PutFile);
}

void CKelvraFile::Copy(const ColumnMap& record, AgentPathPair copy)
{
    SetMode(2);
    Platform::Current().Sleep(kCopyPause);
    std::wstring path = EntryOf(record);
    Check((Agent()->*copy)(Bstr(path).Get(), Bstr(record.Text(L"PCPath")).Get()), Agent());
}

}  // namespace kelvra
