#include "FolderSync.h"

#include <windows.h>
#include <objbase.h>

#include <algorithm>
#include <cstdio>

#include "ComFailure.h"
#include "ExitCode.h"
#include "FolderFileEdit.h"
#include "InputFile.h"
#include "ItemColumns.h"
#include "Sha256.h"
#include "TableWalker.h"
#include "UntrustedText.h"
#include "WholeFile.h"

namespace kelvra::host {

namespace {

std::wstring NewUid()
{
    GUID guid = {};
    if (FAILED(CoCreateGuid(&guid)))
        throw ComFailure(E_FAIL, "Making a UID for a new file failed");
    wchar_t text[40];
    swprintf(text, 40, L"%08lx-%04x-%04x-%02x%02x-%02x%02x%02x%02x%02x%02x", static_cast<unsigned long>(guid.Data1),
             guid.Data2, guid.Data3, guid.Data4[0], guid.Data4[1], guid.Data4[2], guid.Data4[3], guid.Data4[4],
             guid.Data4[5], guid.Data4[6], guid.Data4[7]);
    return text;
}

}  // namespace

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

void FolderSync::Apply(const Action& action)
{
    switch (action.step) {
    case Step::CreateOnHandset: CreateOnHandset(action); break;
    case Step::UpdateOnHandset: UpdateOnHandset(action); break;
    case Step::DeleteOnHandset: DeleteOnHandset(action); break;
    case Step::CreateInFolder: CreateInFolder(action); break;
    case Step::UpdateInFolder: UpdateInFolder(action); break;
    case Step::DeleteInFolder: DeleteInFolder(action); break;
    case Step::Record: Record(action); break;
    case Step::Conflict: Conflict(action); break;
    }
}

void FolderSync::CreateOnHandset(const Action& action)
{
    FolderItem& file = m_files.at(action.file);
    ++m_done[Step::CreateOnHandset];
    if (m_options.dryRun) {
        Say("handset: would create an item from " + NamedFile(action.file));
        return;
    }
    ComPtr<IItem> item;
    CheckCall(m_format.Table()->NewItem(m_format.ItemType(), 0, 0, item.GetAddressOf()), "Making a new item");
    if (!item)
        throw ComFailure(E_POINTER, "Making a new item failed: the table handed out no item");
    try {
        m_format.Apply(file.bytes, item.Get());
    } catch (const std::exception& e) {
        Failed(action.file, std::string("not written to the handset: ") + e.what());
        return;
    }
    SUID suid = 0;
    CheckCall(m_format.Table()->CreateItem(item.Get(), &suid), "Creating an item");
    ItemProjection held = m_format.OfItem(item.Get());
    Keep(action, Paired(static_cast<long>(suid), file, held));
    Say("handset: created SUID " + std::to_string(suid) + " from " + NamedFile(action.file));
    SayKept(file, held);
}

void FolderSync::UpdateOnHandset(const Action& action)
{
    FolderItem& file = m_files.at(action.file);
    ++m_done[Step::UpdateOnHandset];
    if (m_options.dryRun) {
        Say("handset: would update " + Named(action.suid) + " from " + NamedFile(action.file));
        return;
    }
    IItem* item = m_items.at(action.suid).item.Get();
    try {
        m_format.Apply(file.bytes, item);
    } catch (const std::exception& e) {
        Failed(action.file, std::string("not written to the handset: ") + e.what());
        return;
    }
    CheckCall(m_format.Table()->UpdateItem(item), "Updating an item");
    ItemProjection held = m_format.OfItem(item);
    // A calendar entry of another kind moves to that kind's store, and its SUID with it.
    long suid = static_cast<long>(ItemSuid(item));
    Keep(action, Paired(suid, file, held));
    Say("handset: updated " + Named(action.suid) + " from " + NamedFile(action.file) +
        (suid == action.suid ? std::string() : "; it is now SUID " + std::to_string(suid)));
    SayKept(file, held);
}

void FolderSync::DeleteOnHandset(const Action& action)
{
    ++m_done[Step::DeleteOnHandset];
    std::string line = Named(action.suid) + ": its file " + Shown(NarrowUtf8(action.file)) + " was deleted";
    if (m_options.dryRun) {
        Say("handset: would delete " + line);
        return;
    }
    CheckCall(m_format.Table()->DeleteItem(m_items.at(action.suid).item.Get()), "Deleting an item");
    Forget(action);
    Say("handset: deleted " + line);
}

void FolderSync::CreateInFolder(const Action& action)
{
    const HandsetItem& held = m_items.at(action.suid);
    ++m_done[Step::CreateInFolder];
    if (m_options.dryRun) {
        Say("folder: would write a file for " + Named(action.suid));
        return;
    }
    // A new file is written under a name no one lists and renamed, never over a file.
    std::wstring uid, name;
    FolderItem file;
    for (int attempt = 0;; ++attempt) {
        uid = NewUid();
        name = uid + m_format.Extension();
        std::wstring partial = PathOf(L".kelvra-" + uid + L".part");
        file.bytes = FolderFileEdit::WithUid(m_format.NewFile(held.item.Get()), NarrowUtf8(uid));
        WriteWhole(partial, file.bytes);
        if (MoveFileExW(partial.c_str(), PathOf(name).c_str(), MOVEFILE_WRITE_THROUGH))
            break;
        DeleteFileW(partial.c_str());
        if (attempt == 3)
            throw InputError("cannot write a new file into " + NarrowUtf8(m_folder));
    }
    file.read = true;
    file.content = m_format.OfFile(file.bytes);
    file.hash = file.content.projection.Hash();
    if (!FolderListing::Stat(PathOf(name), file.file))
        throw InputError("the new file " + NarrowUtf8(PathOf(name)) + " is gone");
    file.file.name = name;
    m_files[name] = file;
    Keep(action, Paired(action.suid, file, held.projection));
    Say("folder: wrote " + NamedFile(name) + " for " + Named(action.suid));
}

void FolderSync::UpdateInFolder(const Action& action)
{
    FolderItem& file = m_files.at(action.file);
    const HandsetItem& held = m_items.at(action.suid);
    ++m_done[Step::UpdateInFolder];
    if (m_options.dryRun) {
        Say("folder: would update " + NamedFile(action.file) + " from " + Named(action.suid));
        return;
    }
    ReadFile(file);
    if (!Unchanged(file))
        return;
    std::optional<std::set<std::wstring>> changed;
    if (action.onlyChanged && !m_pairs[action.pair].itemFields.empty())
        changed = ChangedFields(m_pairs[action.pair].itemFields, held.projection);
    std::string edited;
    try {
        edited = m_format.EditedFile(file.bytes, held.item.Get(), file.content.projection, held.projection, changed);
    } catch (const InputError& e) {
        Failed(action.file, std::string("cannot be edited: ") + e.what());
        return;
    }
    file.bytes = edited;
    WriteWhole(PathOf(action.file), file.bytes);
    file.content = m_format.OfFile(file.bytes);
    file.hash = file.content.projection.Hash();
    if (!FolderListing::Stat(PathOf(action.file), file.file))
        throw InputError("the file " + NarrowUtf8(PathOf(action.file)) + " is gone");
    Keep(action, Paired(action.suid, file, held.projection));
    Say("folder: updated " + NamedFile(action.file) + " from " + Named(action.suid));
}

void FolderSync::DeleteInFolder(const Action& action)
{
    FolderItem& file = m_files.at(action.file);
    ++m_done[Step::DeleteInFolder];
    std::string line = NamedFile(action.file) + ": SUID " + std::to_string(action.suid) +
                       " was deleted on the handset";
    if (m_options.dryRun) {
        Say("folder: would delete " + line);
        return;
    }
    if (!Unchanged(file))
        return;
    if (!DeleteFileW(PathOf(action.file).c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND)
        throw InputError("cannot delete " + NarrowUtf8(PathOf(action.file)));
    Forget(action);
    Say("folder: deleted " + line);
}

void FolderSync::Record(const Action& action)
{
    if (m_options.dryRun)
        return;
    FolderItem& file = ReadFile(m_files.at(action.file));
    Keep(action, Paired(action.suid, file, m_items.at(action.suid).projection));
}

void FolderSync::Conflict(const Action& action)
{
    ++m_conflicts;
    Warn("conflict: " + Named(action.suid) + " and " + NamedFile(action.file) +
         " both changed since the last sync; both are left as they are (--prefer handset or --prefer folder "
         "settles it)");
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
