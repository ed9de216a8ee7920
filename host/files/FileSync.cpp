#include "FileSync.h"

#include <algorithm>
#include <cstdio>
#include <map>

#include "ComFailure.h"
#include "CopyProgress.h"
#include "ItemColumns.h"
#include "ModelProfileText.h"
#include "TableWalker.h"
#include "WholeFile.h"

namespace kelvra::host {

namespace {

// A folder tree deeper than this is a handset listing a folder inside itself.
constexpr int kDeepestFolder = 64;

uint64_t Number(IItem* item, const wchar_t* column)
{
    return wcstoull(ColumnText(item, column).c_str(), nullptr, 10);
}

std::string SizeText(uint64_t bytes)
{
    const char* const units[] = {"B", "KB", "MB", "GB", "TB"};
    double value = static_cast<double>(bytes);
    size_t unit = 0;
    while (value >= 1024 && unit + 1 < std::size(units)) {
        value /= 1024;
        ++unit;
    }
    char text[32];
    snprintf(text, sizeof(text), unit ? "%.1f %s" : "%.0f %s", value, units[unit]);
    return text;
}

bool IsPcFolder(const std::wstring& path)
{
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The folders of a full listing by id, with the places a person knows them by.
class FolderPlaces {
public:
    void Add(IItem* folder)
    {
        uint64_t id = Number(folder, L"FolderID");
        std::wstring name = ColumnText(folder, L"Name");
        uint64_t parent = Number(folder, L"ParentID");
        // The roots come first: the phone memory's, then the card's.
        if (parent == 0)
            m_places[id] = HandsetPlace::Root(m_roots++ > 0);
        else
            m_pending.push_back({id, parent, name});
    }
    // Places the folders whose parents are known, level by level.
    void Resolve()
    {
        for (int level = 0; level < kDeepestFolder && !m_pending.empty(); ++level) {
            std::vector<Pending> waiting;
            for (const Pending& folder : m_pending) {
                auto parent = m_places.find(folder.parent);
                if (parent == m_places.end())
                    waiting.push_back(folder);
                else if (IsPlainName(folder.name))
                    m_places[folder.id] = parent->second.Child(folder.name);
            }
            m_pending.swap(waiting);
        }
    }
    const HandsetPlace* Find(uint64_t id) const
    {
        auto found = m_places.find(id);
        return found == m_places.end() ? nullptr : &found->second;
    }
    const std::map<uint64_t, HandsetPlace>& All() const { return m_places; }

private:
    struct Pending {
        uint64_t id, parent;
        std::wstring name;
    };
    std::map<uint64_t, HandsetPlace> m_places;
    std::vector<Pending> m_pending;
    int m_roots = 0;
};

std::string FolderLine(const HandsetPlace& folder)
{
    std::wstring shown = folder.Shown();
    return NarrowUtf8(folder.IsRoot() ? shown : shown + L"/");
}

std::string FileLine(const HandsetPlace& file, uint64_t size)
{
    return NarrowUtf8(file.Shown()) + "  " + std::to_string(size) + " bytes";
}

std::string Lines(std::vector<std::string> lines)
{
    std::sort(lines.begin(), lines.end());
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    return text;
}

void ReplaceAll(std::string& text, const std::string& from, const std::string& to)
{
    if (from.empty())
        return;
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

void PutLE(std::string& bytes, uint32_t value, int width)
{
    for (int i = 0; i < width; ++i)
        bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
}

// A 16 x 16 picture of two colours, as a 24-bit BMP file.
std::string DemoPicture(uint32_t rgb, uint32_t otherRgb)
{
    const uint32_t side = 16, pixels = side * side * 3;
    std::string bytes = "BM";
    PutLE(bytes, 54 + pixels, 4);
    PutLE(bytes, 0, 4);
    PutLE(bytes, 54, 4);
    PutLE(bytes, 40, 4);
    PutLE(bytes, side, 4);
    PutLE(bytes, side, 4);
    PutLE(bytes, 1, 2);
    PutLE(bytes, 24, 2);
    PutLE(bytes, 0, 4);
    PutLE(bytes, pixels, 4);
    PutLE(bytes, 2835, 4);
    PutLE(bytes, 2835, 4);
    PutLE(bytes, 0, 8);
    for (uint32_t y = 0; y < side; ++y) {
        for (uint32_t x = 0; x < side; ++x)
            PutLE(bytes, ((x / 4 + y / 4) % 2) ? rgb : otherRgb, 3);  // blue, green, red
    }
    return bytes;
}

// Half a second of a rising tone, 8 kHz 8-bit mono WAV.
std::string DemoSound()
{
    const uint32_t samples = 4000;
    std::string bytes = "RIFF";
    PutLE(bytes, 36 + samples, 4);
    bytes += "WAVEfmt ";
    PutLE(bytes, 16, 4);
    PutLE(bytes, 1, 2);
    PutLE(bytes, 1, 2);
    PutLE(bytes, 8000, 4);
    PutLE(bytes, 8000, 4);
    PutLE(bytes, 1, 2);
    PutLE(bytes, 8, 2);
    bytes += "data";
    PutLE(bytes, samples, 4);
    for (uint32_t i = 0; i < samples; ++i)
        bytes += static_cast<char>((i * (8 + i / 500) / 2) % 64 < 32 ? 96 : 160);  // a square wave
    return bytes;
}

}  // namespace

size_t FileSync::SeedDemo()
{
    struct DemoFile {
        const wchar_t* name;
        std::string bytes;
        const wchar_t* folder;
    };
    const DemoFile files[] = {
        {L"Lake at dawn.bmp", DemoPicture(0xC08040, 0xF0D0A0), L"/Images"},
        {L"Cabin.bmp", DemoPicture(0x305080, 0x40A060), L"/Images"},
        {L"Doorbell.wav", DemoSound(), L"/Sounds"},
    };
    // The files go under their own names, from a folder of this process's own: two
    // handsets seeded at once must not take each other's files away.
    struct SeedFolder {
        std::wstring path;
        ~SeedFolder() { RemoveDirectoryW(path.c_str()); }
    } folder;
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    folder.path = std::wstring(temp) + L"kelvra-seed-" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(folder.path.c_str(), nullptr);
    size_t put = 0;
    for (const DemoFile& file : files) {
        std::wstring path = folder.path + L"\\" + file.name;
        WriteWhole(path, file.bytes);
        try {
            Put(path, HandsetPlace::Parse(file.folder));
            ++put;
        } catch (...) {
            DeleteFileW(path.c_str());
            throw;
        }
        DeleteFileW(path.c_str());
    }
    return put;
}

FileSync::FileSync(SyncSession& session) : m_session(session)
{
    QELDATATYPE kind;
    m_table = session.Table(L"files", kind);
}

void FileSync::Check(HRESULT hr, const std::string& what, const HandsetPlace& place) const
{
    if (SUCCEEDED(hr))
        return;
    if (CopyProgress::Cancelled())
        throw ComFailure(hr, what + " " + NarrowUtf8(place.Shown()) + " was cancelled; nothing was kept");
    try {
        CheckCall(hr, what.c_str());
    } catch (const ComFailure& failure) {
        FailedAt(failure, what, place);
    }
}

void FileSync::FailedAt(const ComFailure& failure, const std::string& what, const HandsetPlace& place) const
{
    // The component names places by the handset's own paths ("tfs4/a/users/Images"); the
    // person wrote "/Images", and reads that back, with the cause in words.
    std::string cause = MeaningOf(failure.Result());
    if (!IsSystemResult(failure.Result()) && !failure.Reason().empty()) {
        ModelProfileText profile = ModelProfileText::Of(m_session.Model());
        cause = failure.Reason();
        for (char& c : cause)
            c = c == '\\' ? '/' : c;
        // A root may be given with or without its leading slash.
        for (auto [root, shown] : {std::pair{profile.Value("ExternalRootPath", "Path"), "card:"},
                                   std::pair{profile.Value("PhoneRootPath", "Path"), ""}}) {
            root.erase(0, root.find_first_not_of('/'));
            ReplaceAll(cause, "/" + root, shown);
            ReplaceAll(cause, root, shown);
        }
    }
    throw ComFailure(failure.Result(), what + " " + NarrowUtf8(place.Shown()) + " failed: " + cause, failure.Reason());
}

ComPtr<IItem> FileSync::NewItem(QELDATATYPE kind)
{
    ComPtr<IItem> item;
    CheckCall(m_table->NewItem(kind, 0, 0, item.GetAddressOf()), "Making a new item");
    if (!item)
        throw ComFailure(E_UNEXPECTED, "The files table made no new item");
    return item;
}

std::vector<ComPtr<IItem>> FileSync::Children(const HandsetPlace& folder)
{
    ComPtr<IItem> listed = NewItem(QELDT_FOLDER);
    SetColumnText(listed.Get(), L"Reserved1", folder.TableFolder());
    SetColumnText(listed.Get(), L"FolderID", L"0");
    try {
        return TableWalker(m_table.Get()).AllItems(listed.Get());
    } catch (const ComFailure& failure) {
        FailedAt(failure, "Listing", folder);
    }
}

FileSync::Entry FileSync::Find(const HandsetPlace& place)
{
    Entry entry;
    if (place.IsRoot()) {
        entry.folder = true;
        return entry;
    }
    for (const auto& item : Children(place.Parent())) {
        QELDATATYPE type = ItemType(item.Get());
        if ((type != QELDT_FOLDER && type != QELDT_FILE) || ColumnText(item.Get(), L"Name") != place.Name())
            continue;
        entry.item = item;
        entry.folder = type == QELDT_FOLDER;
        entry.size = entry.folder ? 0 : Number(item.Get(), L"FileSize");
        return entry;
    }
    throw BadValue("the handset has nothing at " + NarrowUtf8(place.Shown()));
}

std::vector<HandsetEntry> FileSync::Entries()
{
    std::vector<ComPtr<IItem>> items = TableWalker(m_table.Get()).AllItems();
    FolderPlaces folders;
    for (const auto& item : items) {
        if (ItemType(item.Get()) == QELDT_FOLDER)
            folders.Add(item.Get());
    }
    folders.Resolve();
    std::vector<HandsetEntry> entries;
    for (const auto& [id, place] : folders.All())
        entries.push_back({place, true, 0});
    for (const auto& item : items) {
        const HandsetPlace* folder = ItemType(item.Get()) == QELDT_FILE ? folders.Find(Number(item.Get(), L"FolderID")) : nullptr;
        std::wstring name = ColumnText(item.Get(), L"Name");
        if (folder && IsPlainName(name))
            entries.push_back({folder->Child(name), false, Number(item.Get(), L"FileSize")});
    }
    return entries;
}

std::string FileSync::Tree()
{
    std::vector<std::string> lines;
    for (const HandsetEntry& entry : Entries())
        lines.push_back(entry.folder ? FolderLine(entry.place) : FileLine(entry.place, entry.size));
    return Lines(lines);
}

std::string FileSync::Folder(const HandsetPlace& folder)
{
    std::vector<std::string> lines;
    for (const auto& item : Children(folder)) {
        QELDATATYPE type = ItemType(item.Get());
        std::wstring name = ColumnText(item.Get(), L"Name");
        if ((type != QELDT_FOLDER && type != QELDT_FILE) || !IsPlainName(name))
            continue;
        HandsetPlace place = folder.Child(name);
        lines.push_back(type == QELDT_FOLDER ? FolderLine(place) : FileLine(place, Number(item.Get(), L"FileSize")));
    }
    return Lines(lines);
}

ComPtr<IItem> FileSync::FileItem(const HandsetPlace& file, uint64_t size, const std::wstring& pcPath)
{
    ComPtr<IItem> item = NewItem(QELDT_FILE);
    SetColumnText(item.Get(), L"Reserved1", file.TableParent());
    SetColumnText(item.Get(), L"Name", file.Name());
    SetColumnText(item.Get(), L"FileSize", std::to_wstring(size));
    SetColumnText(item.Get(), L"PCPath", pcPath);
    return item;
}

uint64_t FileSync::Get(const HandsetPlace& file, const std::wstring& pcPath)
{
    Entry entry = Find(file);
    if (entry.folder)
        throw BadValue(NarrowUtf8(file.Shown()) + " is a folder; get copies files");
    std::wstring target = FullPcPath(pcPath);
    if (IsPcFolder(target))
        target += L"\\" + file.Name();  // a plain name: HandsetPlace allows no other
    // The component replaces the target only with a whole copy: a copy that fails or is
    // cancelled leaves no cut file, and keeps an older one.
    ComPtr<IItem> item = FileItem(file, entry.size, target);
    HRESULT hr;
    {
        TransferWatch watch(m_session.Device());
        hr = item->ReadBlobTo(0, nullptr);
    }
    Check(hr, "Copying", file);
    return entry.size;
}

uint64_t FileSync::Put(const std::wstring& pcPath, const HandsetPlace& folder)
{
    std::wstring source = FullPcPath(pcPath);
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(source.c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        throw InputError("cannot read " + NarrowUtf8(pcPath));
    uint64_t size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    if (!Find(folder).folder)
        throw BadValue(NarrowUtf8(folder.Shown()) + " is a file, not a folder");
    std::wstring name = source.substr(source.find_last_of(L'\\') + 1);
    ComPtr<IItem> item = FileItem(folder.Child(name), size, source);
    HRESULT hr;
    {
        TransferWatch watch(m_session.Device());
        hr = item->WriteBlobFrom(0, nullptr);
    }
    Check(hr, "Copying " + NarrowUtf8(pcPath) + " into", folder);
    return size;
}

void FileSync::MakeFolder(const HandsetPlace& folder)
{
    if (folder.IsRoot())
        throw BadValue("the root is there already");
    ComPtr<IItem> item = NewItem(QELDT_FOLDER);
    SetColumnText(item.Get(), L"Reserved1", folder.TableParent());
    SetColumnText(item.Get(), L"Name", folder.Name());
    SUID suid = 0;
    Check(m_table->CreateItem(item.Get(), &suid), "Making the folder", folder);
}

void FileSync::RemoveFile(const HandsetPlace& file)
{
    Entry entry = Find(file);
    if (entry.folder)
        throw BadValue(NarrowUtf8(file.Shown()) + " is a folder; rmdir removes folders");
    SetColumnText(entry.item.Get(), L"Reserved1", file.TableParent());
    Check(m_table->DeleteItem(entry.item.Get()), "Deleting", file);
}

void FileSync::RemoveFolder(const HandsetPlace& folder)
{
    if (folder.IsRoot())
        throw BadValue("a root cannot be removed");
    Entry entry = Find(folder);
    if (!entry.folder)
        throw BadValue(NarrowUtf8(folder.Shown()) + " is a file; rm removes files");
    SetColumnText(entry.item.Get(), L"Reserved1", folder.TableParent());
    Check(m_table->DeleteItem(entry.item.Get()), "Removing the folder", folder);
}

void FileSync::Rename(const HandsetPlace& place, const std::wstring& newName)
{
    if (!IsPlainName(newName))
        throw BadValue("\"" + NarrowUtf8(newName) + "\" is no file or folder name; mv renames in place");
    if (place.IsRoot())
        throw BadValue("a root cannot be renamed");
    Entry entry = Find(place);
    SetColumnText(entry.item.Get(), L"Reserved1", place.TableParent());
    SetColumnText(entry.item.Get(), L"Reserved2", newName);
    if (!entry.folder)
        SetColumnText(entry.item.Get(), L"Reserved3", L"RENAME");
    Check(m_table->UpdateItem(entry.item.Get()), "Renaming", place);
}

std::string FileSync::MemoryFigures()
{
    // The totals are asked of the handset when the whole tree is listed.
    for (const auto& item : TableWalker(m_table.Get()).AllItems()) {
        if (ItemType(item.Get()) != QELDT_FILE_INFO)
            continue;
        auto line = [&](const char* what, const wchar_t* sizeColumn, const wchar_t* useColumn) {
            uint64_t size = Number(item.Get(), sizeColumn), used = Number(item.Get(), useColumn);
            if (size == 0)
                return std::string(what) + "no size reported\n";
            return std::string(what) + SizeText(used) + " used of " + SizeText(size) + ", " +
                   SizeText(size > used ? size - used : 0) + " free\n";
        };
        return line("phone memory  ", L"MemorySize", L"MemoryUse") +
               line("memory card   ", L"ExtMemorySize", L"ExtMemoryUse");
    }
    throw ComFailure(E_UNEXPECTED, "The files table gave no memory figures");
}

}  // namespace kelvra::host
