// Keeps a handset's table and a folder of one file per item in step, both ways: new
// items and files are made on the other side, edits carried over, deletions too.
// Conflicts (both sides changed since the last sync, to different projections) are
// listed and left alone unless a side is preferred; an edit beats a deletion. Deletions
// are inferred only from complete listings, and a sync that would empty a side or
// delete more than half of one is refused unless deletions are forced. Every change is
// followed by the status saved, so that a killed run, run again, ends as one run would.
#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "FolderListing.h"
#include "FolderSyncStatus.h"
#include "SyncedFormat.h"

namespace kelvra::host {

struct FolderSyncOptions {
    bool dryRun = false;
    std::wstring prefer;  // "handset", "folder" or empty: which side wins a conflict
    bool forceDelete = false;
};

class FolderSync {
public:
    FolderSync(const SyncedFormat& format, FolderSyncStatus& status, const std::wstring& folder,
               const FolderSyncOptions& options);

    // Returns the exit code: done, done with the handset changing what it got, records
    // passed over, or conflicts left as they are.
    int Run();

private:
    struct HandsetItem {
        ComPtr<IItem> item;
        ItemProjection projection;
        std::string hash;
    };
    struct FolderItem {
        FolderFile file;
        std::string bytes;
        FileItem content;
        std::string hash;
        bool read = false;
    };
    enum class Step {
        CreateOnHandset,
        UpdateOnHandset,
        DeleteOnHandset,
        CreateInFolder,
        UpdateInFolder,
        DeleteInFolder,
        Record,
        Conflict
    };
    struct Action {
        Step step;
        long suid = 0;       // the handset item it concerns
        std::wstring file;   // the file it concerns
        size_t pair = SIZE_MAX;  // its place in the status; SIZE_MAX for none
        bool onlyChanged = false;  // a file update with just what the handset changed
    };

    void ListHandset();
    void ListFolder();
    FolderItem& ReadFile(FolderItem& file);
    void Plan();
    void PlanPair(size_t index);
    // Whether the item now at a pair's SUID is another than the one paired.
    bool Reused(const SyncPair& pair, const ItemProjection& now) const;
    void PlanNew(const std::set<long>& pairedItems, const std::set<std::wstring>& pairedFiles);
    // A pair's item at another SUID, or its file under another name.
    void FindMoved(SyncPair& pair, std::set<long>& pairedItems, std::set<std::wstring>& pairedFiles);
    bool SameItem(const SyncPair& pair, const ItemProjection& now) const;
    void Refuse() const;
    void RemoveLeftOvers() const;
    static std::set<std::wstring> ChangedFields(const std::map<std::wstring, std::string>& was,
                                                const ItemProjection& now);
    // A file that cannot be read, written or edited is said and left; the run goes on.
    void Failed(const std::wstring& file, const std::string& why);
    void Apply(const Action& action);

    void CreateOnHandset(const Action& action);
    void UpdateOnHandset(const Action& action);
    void DeleteOnHandset(const Action& action);
    void CreateInFolder(const Action& action);
    void UpdateInFolder(const Action& action);
    void DeleteInFolder(const Action& action);
    void Record(const Action& action);
    void Conflict(const Action& action);
    // Says what the handset keeps otherwise than the file said.
    void SayKept(const FolderItem& file, const ItemProjection& held);
    void SayDifferences(const std::string& lead, const ItemProjection& file, const ItemProjection& held);
    // A dry run says of each pair left alone whether the item holds what its file says.
    void CheckInStep(const HandsetItem& item, const FolderItem& file);

    // The pair the status keeps for an item and a file as they are now.
    SyncPair Paired(long suid, const FolderItem& file, const ItemProjection& held) const;
    std::vector<std::string> Identity(const ItemProjection& held) const;
    void Keep(const Action& action, SyncPair pair);
    void Forget(const Action& action);
    void SaveStatus();
    // Whether the file is still as it was listed; one changed since is left to the next run.
    bool Unchanged(const FolderItem& file) const;
    std::wstring PathOf(const std::wstring& name) const { return m_folder + L"\\" + name; }
    std::string Named(long suid) const;
    std::string NamedFile(const std::wstring& name) const;
    void Say(const std::string& line) const;
    void Warn(const std::string& line);

    const SyncedFormat& m_format;
    FolderSyncStatus& m_status;
    std::wstring m_folder;
    FolderSyncOptions m_options;

    std::map<long, HandsetItem> m_items;
    std::map<std::wstring, FolderItem> m_files;  // by name
    bool m_handsetComplete = true;
    std::vector<Action> m_actions;
    std::vector<SyncPair> m_pairs;  // the status's, as found now and as changed since
    std::vector<bool> m_forgotten;  // pairs done with
    std::set<long> m_reused;        // SUIDs of the status that are new items now
    std::vector<SyncPair> m_added;
    size_t m_conflicts = 0;
    size_t m_outOfStep = 0;
    size_t m_failedFiles = 0;
    bool m_handsetChanged = false;
    std::map<Step, size_t> m_done;
};

}  // namespace kelvra::host
