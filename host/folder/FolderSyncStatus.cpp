#include "FolderSyncStatus.h"

#include <windows.h>
#include <shlobj.h>

#include "ComFailure.h"
#include "ComTypes.h"
#include "JsonValue.h"
#include "Sha256.h"
#include "WholeFile.h"

namespace kelvra::host {

namespace {

constexpr int kFormat = 1;
// A status larger than any handset's items could need is no status of ours.
constexpr uint64_t kMostStatusBytes = 64ull << 20;

std::wstring StatusFolder()
{
    wchar_t appData[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_APPDATA | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, appData)))
        throw InputError("the PC's application data folder cannot be found for the sync status");
    std::wstring folder = appData;
    for (const wchar_t* part : {L"\\Orvane", L"\\Tarn", L"\\FolderSync"}) {
        folder += part;
        if (!CreateDirectoryW(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
            throw InputError("cannot make the sync status folder " + NarrowUtf8(folder));
    }
    return folder;
}

std::wstring Lower(std::wstring text)
{
    CharLowerBuffW(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

}  // namespace

FolderSyncStatus::FolderSyncStatus(const std::wstring& handset, const std::wstring& table,
                                   const std::wstring& folder)
    : m_handset(handset), m_table(table), m_folder(folder)
{
    // Windows paths ignore case: one folder named two ways keeps one status.
    std::string key = Sha256Hex(NarrowUtf8(Lower(handset) + L"\n" + table + L"\n" + Lower(folder)));
    m_path = StatusFolder() + L"\\" + table + L"-" + WidenUtf8(key.substr(0, 24)) + L".json";
}

void FolderSyncStatus::Load()
{
    pairs.clear();
    if (GetFileAttributesW(m_path.c_str()) == INVALID_FILE_ATTRIBUTES)
        return;
    std::string where = "the sync status " + NarrowUtf8(m_path);
    try {
        JsonValue status = JsonValue::Parse(ReadWhole(m_path, kMostStatusBytes));
        if (status.At("format").Integer() != kFormat)
            throw InputError("it is of another format");
        if (Lower(status.At("handset").Text()) != Lower(m_handset) || status.At("table").Text() != m_table ||
            Lower(status.At("folder").Text()) != Lower(m_folder))
            throw InputError("it belongs to another handset, table or folder");
        for (const JsonValue& item : status.At("pairs").Items()) {
            SyncPair pair;
            pair.suid = static_cast<long>(item.At("suid").Integer());
            pair.file = item.At("file").Text();
            pair.stamp = static_cast<uint64_t>(item.At("stamp").Integer());
            pair.size = static_cast<uint64_t>(item.At("size").Integer());
            pair.fileHash = NarrowUtf8(item.At("fileHash").Text());
            pair.itemHash = NarrowUtf8(item.At("itemHash").Text());
            for (const JsonValue& key : item.At("identity").Items())
                pair.identity.push_back(NarrowUtf8(key.Text()));
            for (const auto& [field, hash] : item.At("itemFields").Members())
                pair.itemFields[WidenUtf8(field)] = NarrowUtf8(hash.Text());
            pairs.push_back(std::move(pair));
        }
    } catch (const InputError& e) {
        throw InputError(where + " cannot be used (" + e.what() +
                         "); remove it to sync anew, pairing items and files by content");
    }
}

void FolderSyncStatus::Save(const std::vector<SyncPair>& pairs) const
{
    std::string text = "{\"format\":" + std::to_string(kFormat) + ",\"handset\":" + JsonText(m_handset) +
                       ",\"table\":" + JsonText(m_table) + ",\"folder\":" + JsonText(m_folder) + ",\"pairs\":[";
    const char* comma = "\n";
    for (const SyncPair& pair : pairs) {
        text += comma;
        text += "{\"suid\":" + std::to_string(pair.suid) + ",\"file\":" + JsonText(pair.file) +
                ",\"stamp\":" + std::to_string(pair.stamp) + ",\"size\":" + std::to_string(pair.size) +
                ",\"fileHash\":\"" + pair.fileHash + "\",\"itemHash\":\"" + pair.itemHash + "\",\"identity\":[";
        for (size_t key = 0; key < pair.identity.size(); ++key)
            text += (key ? ",\"" : "\"") + pair.identity[key] + "\"";
        text += "],\"itemFields\":{";
        const char* separator = "";
        for (const auto& [field, hash] : pair.itemFields) {
            text += separator + JsonText(field) + ":\"" + hash + "\"";
            separator = ",";
        }
        text += "}}";
        comma = ",\n";
    }
    WriteWhole(m_path, text + "\n]}\n");
}

}  // namespace kelvra::host
