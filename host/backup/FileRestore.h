// The handset's files of a backup put back into their folders: a missing folder is made,
// a missing file copied; a file the handset holds alike is left alone, and another one of
// the same name is replaced only when asked to.
#pragma once

#include <map>
#include <string>

#include "BackupContents.h"
#include "FileSync.h"

namespace kelvra::host {

class FileRestore {
public:
    FileRestore(SyncSession& session, const BackupContents& backup, bool replace);

    // Whether the handset holds any file: the model's own folders do not count.
    bool HandsetHoldsFiles() const;
    // Restores (or with dryRun only says) every folder and file; true when something was
    // left out or left as it was.
    bool Run(bool dryRun);

private:
    enum class Outcome { Copied, Identical, Replaced, Kept, LeftOut };
    // Makes a folder; false, and said, when the handset refuses it.
    bool MakeFolder(const HandsetPlace& place);
    Outcome RestoreFile(const ManifestFile& file, bool dryRun);
    bool SameAsHandset(const HandsetPlace& place, const ManifestFile& file);
    void Say(const HandsetPlace& place, const std::string& line) const;

    const BackupContents& m_backup;
    bool m_replace;
    FileSync m_files;
    std::map<std::wstring, HandsetEntry> m_onHandset;  // by the place as shown
};

// Where a backup path under files/ lies on the handset ("files/card/Music/a.mp3" is
// card:/Music/a.mp3); BadValue for a path that is none.
HandsetPlace HandsetPlaceOf(const std::string& backupPath);

}  // namespace kelvra::host
