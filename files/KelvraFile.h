// The file domain's codec: the handset's phone memory and memory card as folder and file
// records, and the folder and file operations, carried out through the agent's file
// methods; only a root's total size is asked with a request packet.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ColumnMap.h"
#include "KelvraBase.h"
#include "ModelName.h"

namespace kelvra {

// What the codec needs to know of the connected model, read from its profile.
struct FileSystemSettings {
    ModelName model;
    std::wstring phoneRoot;     // "/tfs4/a/users"
    std::wstring externalRoot;  // "/mvfs/mv"; empty when the model has no memory card
    LONG fileNameLength = 0;
    LONG folderNameLength = 0;
    LONG maxFolderDepth = 0;
};

class CKelvraFile : public CKelvraBase {
public:
    static constexpr uint16_t kTotalSizeRequest = 0x4190;
    static constexpr size_t kRootPathField = 255;
    // What a listing believes of a handset. A feature phone's memory holds far fewer
    // entries (its camera, numbering pictures with four digits, fills a folder at 9,999),
    // while a listing within them keeps its records, about a kilobyte each, to some
    // twenty megabytes. A count past them is refused before a single entry is fetched.
    static constexpr long kMostEntriesPerFolder = 10000;
    static constexpr size_t kMostRecords = 20000;  // folders and files of one listing
    // Each folder costs a listing request: a full listing stops after this many.
    static constexpr size_t kMostFolders = 10000;
    static constexpr DWORD kCopyPause = 500;

    static constexpr ULONG kPhoneMemory = 0x01;
    static constexpr ULONG kExternalMemory = 0x21;
    static constexpr ULONG kFolderFlag = 0x02;
    static constexpr ULONG kFileFlag = 0x80;
    static constexpr ULONG kSystemFolder = 0x143;
    static constexpr ULONG kNoTypeLimit = 0x20;
    static constexpr ULONG kOrdinaryFile = 4;
    static constexpr ULONG kBuiltInWallpaper = 0x103;

    struct Listing {
        std::vector<ColumnMap> folders;
        std::vector<ColumnMap> files;
    };

    CKelvraFile(ITAMAgent* agent, FileSystemSettings settings);

    // The handset path of an entry of a folder path (a backslash selects the card).
    std::wstring EntryPath(const std::wstring& folder, const std::wstring& name) const;
    // The handset path of the entry a record names by "Reserved1" and "Name", both checked.
    std::wstring EntryOf(const ColumnMap& record) const;
    // The handset path of a folder path itself.
    std::wstring FolderPath(const std::wstring& folder) const;

    std::wstring GetLimitFileType(const std::wstring& path) const;
    ULONG GetNotAllowedOperation(const std::wstring& path) const;
    static std::wstring RewriteTypeCodes(const std::wstring& codes);
    // A name the handset listed that can safely name one entry of a folder.
    static bool IsPlainName(const std::wstring& name);
    static void RequireSafeFolder(const std::wstring& folder);

    ColumnMap GetMemoryInfo();
    double GetFreeSize(const std::wstring& root);
    uint64_t GetTotalSize(bool external);
    // Asks the handset for both totals, or takes the phone's from the profile on the
    // models whose handset does not answer.
    static void RefreshTotals(CKelvraFile& codec, bool fixedPhoneTotal, uint64_t profileTotal);

    Listing ListFolderTree();
    // Adds the files of a handset folder path and, unless the folder is at the deepest
    // level the walk looks into, its subfolders, numbered from the process-wide counter.
    // Fails, adding nothing, when the folder or the listing as a whole would hold more
    // than the handset is believed.
    void ListFolder(const std::wstring& path, ULONG folderId, Listing& listing, bool withSubfolders = true);
    // How many entries the handset lists in a folder, whatever their names.
    long CountEntries(const std::wstring& path);

    void MakeFolder(ColumnMap& record);
    void RemoveFile(const ColumnMap& record);
    void RemoveFolder(const ColumnMap& record);
    void RenamePhoneFile(const ColumnMap& record);
    void RenamePhoneFolder(const ColumnMap& record);
    void GetFileFromPhone(const ColumnMap& record);
    void PutFileToPhone(const ColumnMap& record);

    // The last "FolderID" handed out in this process.
    static ULONG LastFolderId();

private:
    struct Entry {
        std::wstring name;
        bool isFile = false;
        ULONG size = 0;
    };

    const std::wstring& RootOf(const std::wstring& folder) const;
    bool OnExternalMemory(const std::wstring& path) const;
    ComPtr<ITAMFileList> ListOnHandset(const std::wstring& path, long& count);
    // The entries of a folder; refused when the handset counts more than room of them.
    std::vector<Entry> ListEntries(const std::wstring& path, size_t room);
    ColumnMap FolderRecord(const std::wstring& parentPath, const std::wstring& name, ULONG status) const;
    ColumnMap SubfolderRecord(const std::wstring& path, ULONG folderId, const Entry& entry) const;
    ColumnMap FileRecord(const std::wstring& path, ULONG folderId, const Entry& entry) const;
    ULONG MemoryStatus(const std::wstring& path) const;
    ColumnMap RootRecord(const std::wstring& root, ULONG status) const;
    bool IsBuiltInWallpaper(const std::wstring& folder, const std::wstring& name) const;
    static ULONG NextFolderId();
    // The agent's two-path methods: a rename in place, a copy between handset and PC.
    using AgentPathPair = HRESULT (STDMETHODCALLTYPE ITAMAgent::*)(BSTR, BSTR);
    void Rename(const ColumnMap& record, AgentPathPair rename, const wchar_t* kind);
    void Copy(const ColumnMap& record, AgentPathPair copy);

    FileSystemSettings m_settings;
};

}  // namespace kelvra
