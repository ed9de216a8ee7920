// The handset's files as a person uses them: the folder tree, one folder, copies both
// ways with a progress bar and Ctrl-C, folders made and removed, renames and the memory
// figures.
#pragma once

#include <string>
#include <vector>

#include "ComFailure.h"
#include "HandsetPlace.h"
#include "SyncSession.h"

namespace kelvra::host {

// A folder or file of the handset, at its place.
struct HandsetEntry {
    HandsetPlace place;
    bool folder = false;
    uint64_t size = 0;
};

class FileSync {
public:
    explicit FileSync(SyncSession& session);

    // Every folder and file of the phone memory and the card, one line each.
    std::string Tree();
    // Every folder (the roots included) and file of the phone memory and the card.
    std::vector<HandsetEntry> Entries();
    // The folders and files directly in one folder.
    std::string Folder(const HandsetPlace& folder);
    // Copies a handset file to a PC file (or into a PC folder); returns its size.
    uint64_t Get(const HandsetPlace& file, const std::wstring& pcPath);
    // Copies a PC file into a handset folder under its own name; returns its size.
    uint64_t Put(const std::wstring& pcPath, const HandsetPlace& folder);
    void MakeFolder(const HandsetPlace& folder);
    void RemoveFile(const HandsetPlace& file);
    void RemoveFolder(const HandsetPlace& folder);
    void Rename(const HandsetPlace& entry, const std::wstring& newName);
    // The memory figures of the phone memory and the card, human-readable.
    std::string MemoryFigures();
    // Two pictures and a sound for the demo handset; returns how many files it put.
    size_t SeedDemo();

private:
    struct Entry {
        ComPtr<IItem> item;
        bool folder = false;
        uint64_t size = 0;
    };
    // The listed entry at a place; BadValue when the handset has none there.
    Entry Find(const HandsetPlace& place);
    std::vector<ComPtr<IItem>> Children(const HandsetPlace& folder);
    ComPtr<IItem> NewItem(QELDATATYPE kind);
    // Throws for a failed call on a place, naming the place as the person wrote it; a
    // cancelled copy is said as such.
    void Check(HRESULT hr, const std::string& what, const HandsetPlace& place) const;
    [[noreturn]] void FailedAt(const ComFailure& failure, const std::string& what, const HandsetPlace& place) const;
    // A file item naming a handset file for a copy.
    ComPtr<IItem> FileItem(const HandsetPlace& file, uint64_t size, const std::wstring& pcPath);

    SyncSession& m_session;
    ComPtr<IDataTable> m_table;
};

}  // namespace kelvra::host
