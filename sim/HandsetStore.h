// Keeps the simulated handset's contents in a folder, safe against killed processes
// and against a second process: the folder is locked while the store is open, each
// change is appended to a journal and flushed before it is answered (and taken out
// again when that fails), and the journal is folded into the state file (replaced
// atomically) when it grows large and when the store closes after changes. Reading the
// handset writes nothing.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "FileHandle.h"
#include "FolderLock.h"
#include "HandsetContents.h"

namespace kelvra::sim {

class HandsetStore {
public:
    // Opens (making it when missing) the folder and fills contents from it; throws
    // StateError when the folder cannot be used, is locked beyond waitMs, or holds a
    // damaged state.
    HandsetStore(const std::wstring& folder, DWORD waitMs, HandsetContents& contents);
    HandsetStore(const HandsetStore&) = delete;
    HandsetStore& operator=(const HandsetStore&) = delete;

    // Makes a change line durable before the caller applies it to current, which is
    // the contents before the change; throws StateError when it cannot.
    void Save(const std::string& line, const HandsetContents& current);
    // Folds a large journal into the state file. A fold that fails leaves the changes
    // safe in the journal, so it is tried again only once the journal has grown more.
    void FoldIfLarge(const HandsetContents& current);
    // Folds the changes of this session into the state file, if there were any.
    void Close(const HandsetContents& current) noexcept;

    // Bytes written to the journal and state file since the store was opened.
    uint64_t BytesWritten() const { return m_bytesWritten; }
    const std::wstring& StatePath() const { return m_statePath; }

private:
    // The folder, made when missing; throws StateError when it cannot be a handset folder.
    static const std::wstring& PreparedFolder(const std::wstring& folder);
    void Load(HandsetContents& contents);
    void StartJournal(const HandsetContents& current);
    // Removes from the journal a line whose save failed.
    void TakeBack(const HandsetContents& current) noexcept;
    void Fold(const HandsetContents& current);

    std::wstring m_statePath;
    std::wstring m_journalPath;
    FolderLock m_lock;
    FileHandle m_journal;
    uint64_t m_generation = 0;
    bool m_leftoverJournal = false;  // a journal from an earlier run holds changes
    bool m_changed = false;          // this session has saved changes
    uint64_t m_journalBytes = 0;
    uint64_t m_stateBytes = 0;
    uint64_t m_nextFoldAt = 0;
    uint64_t m_bytesWritten = 0;
};

}  // namespace kelvra::sim
