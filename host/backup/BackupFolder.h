// A backup folder being written: it is made under another name beside the one asked for
// and takes that name only once its manifest is written, so that an interrupted backup
// never leaves a folder that looks whole. Every file put in it is recorded with its size
// and SHA-256 for the manifest.
#pragma once

#include <string>
#include <vector>

#include "BackupManifest.h"

namespace kelvra::host {

class BackupFolder {
public:
    // BadValue when the folder asked for exists already, InputError when the one beside it
    // cannot be made.
    explicit BackupFolder(const std::wstring& target);
    // A backup that did not complete takes its partial folder away again.
    ~BackupFolder();
    BackupFolder(const BackupFolder&) = delete;
    BackupFolder& operator=(const BackupFolder&) = delete;

    // The full path of a file in the folder ("items/phonebook.jsonl"), its folders made.
    std::wstring PathFor(const std::string& relative);
    void MakeFolder(const std::string& relative);
    // Writes a file whole and records it.
    void Write(const std::string& relative, const std::string& bytes);
    // Records a file that was written at PathFor(relative).
    void Record(const std::string& relative);
    // Writes the manifest with the recorded files and gives the folder its name.
    void Complete(BackupManifest manifest);

    const std::wstring& Target() const { return m_target; }

private:
    std::wstring m_target;
    std::wstring m_partial;
    std::vector<ManifestFile> m_files;
    bool m_complete = false;
};

// Removes a PC folder with everything in it; false when something stayed.
bool RemovePcTree(const std::wstring& folder);
// A path relative to a folder, with '/' between names, as a Windows path under it.
std::wstring PcPathUnder(const std::wstring& folder, const std::string& relative);

}  // namespace kelvra::host
