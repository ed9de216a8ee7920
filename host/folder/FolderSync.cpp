#include "FolderSync.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>

#include "ComFailure.h"
#include "ExitCode.h"
#include "InputFile.h"
#include "ItemColumns.h"
#include "Sha256.h"
#include "TableWalker.h"
#include "UntrustedText.h"
#include "WholeFile.h"

namespace kelvra::host {

FolderSync::FolderSync(const SyncedFormat& format, FolderSyncStatus& status, const std::wstring& folder,
                       const FolderSyncOptions& options)
    : m_format(format), m_status(status), m_folder(folder), m_options(options)
{
}

int FolderSync::Run()
{
    m_status.Load();
    m_forgotten.assign(m_status.pairs.size(), false);
    if (!m_options.dryRun)
        RemoveLeftOvers();
    ListFolder();
    ListHandset();
    Plan();
    Refuse();
    for (const Action& action : m_actions)
        Apply(action);
    if (!m_options.dryRun)
        SaveStatus();
    printf("%s%zu created, %zu updated, %zu deleted on the handset; %zu created, %zu updated, %zu deleted in the "
           "folder",
           m_options.dryRun ? "dry run, nothing changed: " : "", m_done[Step::CreateOnHandset], m_done[Step::UpdateOnHandset],
           m_done[Step::DeleteOnHandset], m_done[Step::CreateInFolder], m_done[Step::UpdateInFolder], m_done[Step::DeleteInFolder]);
    if (m_conflicts)
        printf("; %zu conflict%s left as %s", m_conflicts, m_conflicts == 1 ? "" : "s",
               m_conflicts == 1 ? "it is" : "they are");
    if (m_outOfStep)
        printf("; %zu out of step", m_outOfStep);
    printf("\n");
    if (m_conflicts)
        return kConflicts;
    if (m_failedFiles)
        return kInputFailure;
    if (!m_handsetComplete)
        return kPassedOver;
    return m_handsetChanged ? kHandsetChanged : kOk;
}

void FolderSync::RemoveLeftOvers() const
{
    // What a killed run was writing: a new file under its own name, an edit beside its file.
    for (const std::wstring& pattern : {std::wstring(L".kelvra-*.part"), L"*" + std::wstring(m_format.Extension()) + L".part"}) {
        WIN32_FIND_DATAW found = {};
        HANDLE search = FindFirstFileW(PathOf(pattern).c_str(), &found);
        if (search == INVALID_HANDLE_VALUE)
            continue;
        do
            DeleteFileW(PathOf(found.cFileName).c_str());
        while (FindNextFileW(search, &found));
        FindClose(search);
    }
}

void FolderSync::ListHandset()
{
    size_t passedBefore = TableWalker::PassedOver();
    for (ComPtr<IItem>& item : TableWalker(m_format.Table()).Items(m_format.ItemType(), true)) {
        HandsetItem held{item, m_format.OfItem(item.Get()), {}};
        held.hash = held.projection.Hash();
        m_items[static_cast<long>(ItemSuid(item.Get()))] = std::move(held);
    }
    // A record passed over may be one the status pairs: its file must not be taken
    // for one whose item was deleted.
    m_handsetComplete = TableWalker::PassedOver() == passedBefore;
}

void FolderSync::ListFolder()
{
    for (FolderFile& file : FolderListing::Files(m_folder, m_format.Extension())) {
        std::wstring name = file.name;
        m_files[name].file = std::move(file);
    }
}

FolderSync::FolderItem& FolderSync::ReadFile(FolderItem& file)
{
    if (file.read)
        return file;
    file.read = true;
    try {
        file.bytes = ReadWhole(PathOf(file.file.name), kMostInputFileBytes);
        file.content = m_format.OfFile(file.bytes);
    } catch (const InputError& e) {
        file.content.problem = e.what();
    }
    if (file.content.problem.empty())
        file.hash = file.content.projection.Hash();
    else
        Failed(file.file.name, "not synced: " + file.content.problem);
    return file;
}

void FolderSync::Plan()
{
    std::set<long> pairedItems;
    std::set<std::wstring> pairedFiles;
    for (const SyncPair& pair : m_status.pairs) {
        pairedItems.insert(pair.suid);
        pairedFiles.insert(pair.file);
    }
    m_pairs = m_status.pairs;
    for (SyncPair& pair : m_pairs)
        FindMoved(pair, pairedItems, pairedFiles);
    for (size_t index = 0; index < m_pairs.size(); ++index)
        PlanPair(index);
    for (long suid : m_reused)
        pairedItems.erase(suid);
    PlanNew(pairedItems, pairedFiles);
}

void FolderSync::FindMoved(SyncPair& pair, std::set<long>& pairedItems, std::set<std::wstring>& pairedFiles)
{
    // A calendar entry of another kind is in that kind's store under another SUID.
    if (m_handsetComplete && !m_items.count(pair.suid)) {
        for (const auto& [suid, item] : m_items) {
            if (!pairedItems.count(suid) && SameItem(pair, item.projection)) {
                pair.suid = suid;
                pairedItems.insert(suid);
                break;
            }
        }
    }
    // A file renamed is the same file under another name.
    if (!m_files.count(pair.file)) {
        for (auto& [name, file] : m_files) {
            if (!pairedFiles.count(name) && ReadFile(file).content.problem.empty() && file.hash == pair.fileHash) {
                pair.file = name;
                pairedFiles.insert(name);
                break;
            }
        }
    }
}

void FolderSync::PlanPair(size_t index)
{
    const SyncPair& pair = m_pairs[index];
    auto item = m_items.find(pair.suid);
    auto file = m_files.find(pair.file);
    bool itemGone = item == m_items.end();
    bool fileGone = file == m_files.end();
    Action action{Step::Record, pair.suid, pair.file, index};
    if (itemGone && !m_handsetComplete)
        return;  // perhaps the record passed over: nothing is inferred from its absence
    if (itemGone && fileGone) {
        m_forgotten[index] = true;
        return;
    }
    bool fileChanged = false;
    if (!fileGone) {
        FolderItem& current = file->second;
        bool asRecorded = current.file.stamp == pair.stamp && current.file.size == pair.size;
        if (!asRecorded) {
            if (!ReadFile(current).content.problem.empty())
                return;  // a file that cannot be read is neither deleted nor overwritten
            fileChanged = current.hash != pair.fileHash;
        }
    }
    bool itemChanged = !itemGone && item->second.hash != pair.itemHash;
    if (itemChanged && !fileChanged && Reused(pair, item->second.projection)) {
        // The pair's item was deleted and its place given to a new one, which gets a file
        // of its own: the old one's file is not the new one's.
        m_reused.insert(pair.suid);
        itemGone = true;
        itemChanged = false;
    }
    if (itemGone) {
        // An edit beats a deletion: the edited file makes the item anew.
        action.step = fileChanged ? Step::CreateOnHandset : Step::DeleteInFolder;
    } else if (fileGone) {
        action.step = itemChanged ? Step::CreateInFolder : Step::DeleteOnHandset;
    } else if (itemChanged && fileChanged) {
        bool same = m_format.Holds(item->second.projection, file->second.content.projection);
        if (same)
            action.step = Step::Record;
        else if (m_options.prefer == L"handset")
            action.step = Step::UpdateInFolder;
        else if (m_options.prefer == L"folder")
            action.step = Step::UpdateOnHandset;
        else
            action.step = Step::Conflict;
    } else if (itemChanged) {
        action.step = Step::UpdateInFolder;
        action.onlyChanged = true;
    } else if (fileChanged) {
        action.step = Step::UpdateOnHandset;
    } else if (m_options.dryRun) {
        CheckInStep(item->second, ReadFile(file->second));
        return;
    } else if (file->second.read) {
        action.step = Step::Record;  // rewritten alike: its new stamp saves reading it again
    } else {
        return;
    }
    m_actions.push_back(action);
}

bool FolderSync::Reused(const SyncPair& pair, const ItemProjection& now) const
{
    // One name alone says too little: its edit would pass for another item.
    std::vector<std::string> identity = Identity(now);
    if (!m_format.TellsReusedPlaces() || pair.identity.size() < 2 || identity.size() < 2)
        return false;
    for (const std::string& key : identity) {
        if (std::find(pair.identity.begin(), pair.identity.end(), key) != pair.identity.end())
            return false;
    }
    return true;
}

bool FolderSync::SameItem(const SyncPair& pair, const ItemProjection& now) const
{
    std::vector<std::string> identity = Identity(now);
    if (pair.identity.size() < 2 || identity.size() < 2 || pair.identity.front() != identity.front())
        return false;
    return std::any_of(identity.begin() + 1, identity.end(), [&](const std::string& key) {
        return std::find(pair.identity.begin() + 1, pair.identity.end(), key) != pair.identity.end();
    });
}

void FolderSync::PlanNew(const std::set<long>& pairedItems, const std::set<std::wstring>& pairedFiles)
{
    // Items and files new since the last sync that hold the same are paired, not copied:
    // a first sync of two sides that both hold items, or a run killed after a copy.
    std::multimap<std::string, std::wstring> newFiles;
    for (auto& [name, file] : m_files) {
        if (pairedFiles.count(name) || !ReadFile(file).content.problem.empty())
            continue;
        newFiles.emplace(file.hash, name);
    }
    std::vector<long> unmatched;
    for (const auto& [suid, item] : m_items) {
        if (pairedItems.count(suid))
            continue;
        auto match = newFiles.find(item.hash);
        if (match == newFiles.end()) {
            unmatched.push_back(suid);
            continue;
        }
        m_actions.push_back({Step::Record, suid, match->second, SIZE_MAX});
        newFiles.erase(match);
    }
    // Then those the handset holds as far as it keeps them: texts it cut.
    for (long suid : unmatched) {
        auto match = newFiles.begin();
        while (match != newFiles.end() &&
               !m_format.Holds(m_items.at(suid).projection, m_files.at(match->second).content.projection))
            ++match;
        if (match == newFiles.end()) {
            m_actions.push_back({Step::CreateInFolder, suid, {}, SIZE_MAX});
            continue;
        }
        m_actions.push_back({Step::Record, suid, match->second, SIZE_MAX});
        newFiles.erase(match);
    }
    for (const auto& [hash, name] : newFiles)
        m_actions.push_back({Step::CreateOnHandset, 0, name, SIZE_MAX});
}

void FolderSync::CheckInStep(const HandsetItem& item, const FolderItem& file)
{
    if (!file.content.problem.empty() || m_format.Holds(item.projection, file.content.projection))
        return;
    ++m_outOfStep;
    SayDifferences(NamedFile(file.file.name) + ": out of step with " + Named(static_cast<long>(ItemSuid(item.item.Get()))) +
                       ", which keeps ",
                   file.content.projection, item.projection);
}

void FolderSync::Refuse() const
{
    if (m_options.forceDelete)
        return;
    size_t onHandset = 0, inFolder = 0;
    for (const Action& action : m_actions) {
        onHandset += action.step == Step::DeleteOnHandset ? 1 : 0;
        inFolder += action.step == Step::DeleteInFolder ? 1 : 0;
    }
    // Measured against what the last sync paired: items new on the emptied side since do
    // not make its emptying any smaller.
    size_t paired = m_pairs.size();
    auto refuse = [&](size_t deletions, bool otherEmpty, const char* side, const char* other) {
        if (deletions == 0)
            return;
        if (otherEmpty)
            throw BadValue(std::string(other) + " holds nothing, but held " + std::to_string(paired) +
                           " paired items at the last sync: deleting " + std::to_string(deletions) + " " + side +
                           " needs --force-delete (--dry-run lists them)");
        if (deletions * 2 > paired)
            throw BadValue("this sync would delete " + std::to_string(deletions) + " " + side + " of the " +
                           std::to_string(paired) + " items the last sync paired, more than half; that needs "
                           "--force-delete (--dry-run lists them)");
    };
    refuse(onHandset, m_files.empty(), "items on the handset", "the folder");
    refuse(inFolder, m_items.empty(), "files in the folder", "the handset");
}

SyncPair FolderSync::Paired(long suid, const FolderItem& file, const ItemProjection& held) const
{
    return {suid, file.file.name, file.file.stamp, file.file.size, file.hash, held.Hash(), Identity(held),
            held.FieldHashes()};
}

std::vector<std::string> FolderSync::Identity(const ItemProjection& held) const
{
    std::vector<std::string> identity;
    for (const std::wstring& text : m_format.IdentityOf(held))
        identity.push_back(Sha256Hex(NarrowUtf8(text)).substr(0, 16));
    return identity;
}

void FolderSync::Keep(const Action& action, SyncPair pair)
{
    if (action.pair != SIZE_MAX && !m_forgotten[action.pair])
        m_pairs[action.pair] = std::move(pair);
    else
        m_added.push_back(std::move(pair));
    SaveStatus();
}

void FolderSync::Forget(const Action& action)
{
    if (action.pair != SIZE_MAX)
        m_forgotten[action.pair] = true;
    SaveStatus();
}

void FolderSync::SaveStatus()
{
    std::vector<SyncPair> pairs;
    for (size_t index = 0; index < m_pairs.size(); ++index) {
        if (!m_forgotten[index])
            pairs.push_back(m_pairs[index]);
    }
    pairs.insert(pairs.end(), m_added.begin(), m_added.end());
    m_status.Save(pairs);
}

bool FolderSync::Unchanged(const FolderItem& file) const
{
    FolderFile now;
    if (FolderListing::Stat(PathOf(file.file.name), now) && now.stamp == file.file.stamp &&
        now.size == file.file.size)
        return true;
    fprintf(stderr, "%s changed while the sync ran; it is left to the next sync\n",
            Shown(NarrowUtf8(file.file.name)).c_str());
    return false;
}

void FolderSync::SayKept(const FolderItem& file, const ItemProjection& held)
{
    for (const std::string& note : file.content.notes)
        Warn(NamedFile(file.file.name) + ": " + note);
    m_handsetChanged = m_handsetChanged || !file.content.notes.empty();
    if (held == file.content.projection)
        return;
    m_handsetChanged = true;
    SayDifferences(NamedFile(file.file.name) + ": the handset keeps ", file.content.projection, held);
}

void FolderSync::SayDifferences(const std::string& lead, const ItemProjection& file, const ItemProjection& held)
{
    // An iCalendar field's value is said without the colon before it.
    auto shown = [](const std::wstring& value) {
        return "\"" + NarrowUtf8(value.compare(0, 1, L":") == 0 ? value.substr(1) : value) + "\"";
    };
    for (const auto& [name, value] : file.fields) {
        if (held.Get(name) != value)
            Warn(lead + NarrowUtf8(name) + " as " + shown(held.Get(name)) + ", not " + shown(value));
    }
    for (const auto& [name, value] : held.fields) {
        if (!file.fields.count(name))
            Warn(lead + NarrowUtf8(name) + " as " + shown(value) + ", which the file leaves empty");
    }
}

std::set<std::wstring> FolderSync::ChangedFields(const std::map<std::wstring, std::string>& was,
                                                const ItemProjection& now)
{
    std::map<std::wstring, std::string> hashes = now.FieldHashes();
    std::set<std::wstring> changed;
    for (const auto& [field, hash] : hashes) {
        auto before = was.find(field);
        if (before == was.end() || before->second != hash)
            changed.insert(field);
    }
    for (const auto& [field, hash] : was) {
        if (!hashes.count(field))
            changed.insert(field);
    }
    return changed;
}

void FolderSync::Failed(const std::wstring& file, const std::string& why)
{
    ++m_failedFiles;
    Warn(NamedFile(file) + ": " + why);
}

std::string FolderSync::Named(long suid) const
{
    auto item = m_items.find(suid);
    std::string label = item == m_items.end() ? std::string() : NarrowUtf8(m_format.LabelOf(item->second.projection));
    return "SUID " + std::to_string(suid) + (label.empty() ? std::string() : " (" + label + ")");
}

std::string FolderSync::NamedFile(const std::wstring& name) const
{
    return NarrowUtf8(name);
}

void FolderSync::Say(const std::string& line) const
{
    printf("%s\n", Shown(line).c_str());
    fflush(stdout);  // what was done must be seen even if the run is killed
}

void FolderSync::Warn(const std::string& line)
{
    fflush(stdout);
    fprintf(stderr, "%s\n", Shown(line).c_str());
}

}  // namespace kelvra::host
