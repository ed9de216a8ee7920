#include "FileRestore.h"

#include <windows.h>

#include <cstdio>

#include "ComFailure.h"
#include "Sha256.h"
#include "TableWalker.h"
#include "UntrustedText.h"

namespace kelvra::host {

namespace {

// A PC file of this process's own, removed with the scope.
struct ScratchFile {
    std::wstring path;
    ScratchFile()
    {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        path = std::wstring(temp) + L"kelvra-compare-" + std::to_wstring(GetCurrentProcessId()) + L".tmp";
    }
    ~ScratchFile() { DeleteFileW(path.c_str()); }
};

}  // namespace

HandsetPlace HandsetPlaceOf(const std::string& backupPath)
{
    for (auto [prefix, root] : {std::pair{"files/phone", L"/"}, std::pair{"files/card", L"card:/"}}) {
        std::string start = prefix;
        if (backupPath == start)
            return HandsetPlace::Parse(root);
        if (backupPath.rfind(start + "/", 0) == 0)
            return HandsetPlace::Parse(root + WidenUtf8(backupPath.substr(start.size() + 1)));
    }
    throw BadValue(backupPath + " is no place on the handset");
}

FileRestore::FileRestore(SyncSession& session, const BackupContents& backup, bool replace)
    : m_backup(backup), m_replace(replace), m_files(session)
{
    for (const HandsetEntry& entry : m_files.Entries())
        m_onHandset.emplace(entry.place.Shown(), entry);
}

bool FileRestore::HandsetHoldsFiles() const
{
    for (const auto& [shown, entry] : m_onHandset) {
        if (!entry.folder)
            return true;
    }
    return false;
}

bool FileRestore::Run(bool dryRun)
{
    size_t made = 0;
    bool leftOut = false;
    std::map<Outcome, size_t> counts;
    for (const std::string& folder : m_backup.Folders()) {
        HandsetPlace place = HandsetPlaceOf(folder);
        auto held = m_onHandset.find(place.Shown());
        if (place.IsRoot() || (held != m_onHandset.end() && held->second.folder))
            continue;
        if (held != m_onHandset.end()) {
            Say(place, "left out: a file of that name is on the handset");
            leftOut = true;
            continue;
        }
        if (!dryRun && !MakeFolder(place)) {
            leftOut = true;
            continue;
        }
        m_onHandset.emplace(place.Shown(), HandsetEntry{place, true, 0});
        ++made;
    }
    for (const ManifestFile& file : m_backup.Files())
        ++counts[RestoreFile(file, dryRun)];
    leftOut = leftOut || counts[Outcome::Kept] || counts[Outcome::LeftOut];
    printf("files: %zu %s, %zu %s, %zu alike already, %zu %s, %zu kept as they are, %zu left out\n", made,
           dryRun ? "folders to make" : "folders made", counts[Outcome::Copied], dryRun ? "to copy" : "copied",
           counts[Outcome::Identical], counts[Outcome::Replaced], dryRun ? "to replace" : "replaced",
           counts[Outcome::Kept], counts[Outcome::LeftOut]);
    return leftOut;
}

bool FileRestore::MakeFolder(const HandsetPlace& place)
{
    try {
        m_files.MakeFolder(place);
        return true;
    } catch (const ComFailure& failure) {
        if (TableWalker::LinkFailed(failure.Result()))
            throw;
        Say(place, std::string("left out: ") + failure.what());
        return false;
    }
}

FileRestore::Outcome FileRestore::RestoreFile(const ManifestFile& file, bool dryRun)
{
    HandsetPlace place = HandsetPlaceOf(file.path);
    auto held = m_onHandset.find(place.Shown());
    if (held != m_onHandset.end() && held->second.folder) {
        Say(place, "left out: a folder of that name is on the handset");
        return Outcome::LeftOut;
    }
    bool replacing = held != m_onHandset.end();
    bool removed = false;
    try {
        if (replacing && SameAsHandset(place, file))
            return Outcome::Identical;
        if (replacing && !m_replace) {
            Say(place, "kept as it is: the handset holds another file of that name (--replace replaces it)");
            return Outcome::Kept;
        }
        if (dryRun)
            return replacing ? Outcome::Replaced : Outcome::Copied;
        if (replacing)
            m_files.RemoveFile(place);
        removed = replacing;
        m_files.Put(m_backup.PathOf(file.path), place.Parent());
    } catch (const ComFailure& failure) {
        if (TableWalker::LinkFailed(failure.Result()))
            throw;
        Say(place, removed ? std::string("the handset's file was removed, and the backup's copy could not be put: ") +
                                 failure.what()
                           : std::string("left out: ") + failure.what());
        return Outcome::LeftOut;
    }
    return replacing ? Outcome::Replaced : Outcome::Copied;
}

bool FileRestore::SameAsHandset(const HandsetPlace& place, const ManifestFile& file)
{
    if (m_onHandset.at(place.Shown()).size != file.size)
        return false;
    ScratchFile copy;
    m_files.Get(place, copy.path);
    uint64_t size = 0;
    return Sha256OfFile(copy.path, size) == file.sha256;
}

void FileRestore::Say(const HandsetPlace& place, const std::string& line) const
{
    fflush(stdout);
    fprintf(stderr, "%s: %s\n", Shown(NarrowUtf8(place.Shown())).c_str(), Shown(line).c_str());
}

}  // namespace kelvra::host
