// manifest.json of a backup folder: what the backup holds, and the size and SHA-256 of
// every file in it, by which a changed or missing file is found.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace kelvra::host {

struct ManifestFile {
    std::string path;  // relative to the backup folder, with '/' between names
    uint64_t size = 0;
    std::string sha256;  // lower-case hex
};

struct BackupManifest {
    static constexpr int kFormat = 1;

    int format = kFormat;
    int modelId = 0;
    std::wstring modelName;
    std::string time;              // when the backup was made, as ISO 8601 UTC ("2026-12-07T03:50:12Z")
    std::string componentVersion;  // the component's file version ("1.0.0.0")
    std::vector<std::pair<std::string, uint64_t>> counts;  // items per table, in the order backed up
    std::vector<std::string> passedOver;  // records the handset could not give, said as for a listing
    std::vector<ManifestFile> files;

    std::string ToJson() const;
    // InputError for text that is no manifest, of a later format, or that names a file
    // outside its folder (an absolute path, "..", a backslash or a drive).
    static BackupManifest Parse(const std::string& text);
    // The recorded count of a table; 0 when the manifest has none.
    uint64_t Count(const std::string& table) const;
};

// Whether a path is one inside a backup folder on every PC: names joined by '/', none
// empty, "." or "..", and nothing Windows reads as a drive, a separator, a wildcard or a
// device, nor a name it would change (a last dot or blank).
bool IsSafeRelativePath(const std::string& path);

// Writes manifest.json, and beside it manifest.json.sha256 (the manifest's own digest, in
// the form sha256sum -c reads), so that a changed byte of the manifest is found too.
void WriteBackupManifest(const std::wstring& folder, const BackupManifest& manifest);

// What a backup folder lacks or holds differently from its manifest, one line each
// ("items/phonebook.jsonl is missing", "... has changed (its SHA-256 differs)"), empty when
// every listed file is there as it was; a missing, changed or unreadable manifest is one such
// line (and the files are then not checked).
// The manifest read is given back when there is one.
std::vector<std::string> VerifyBackupFolder(const std::wstring& folder, BackupManifest& manifest);

// The version of the component's DLL loaded in this process, from its version resource
// ("1.0.0.0"); "unknown" when it is not loaded or has none.
std::string LoadedComponentVersion();

}  // namespace kelvra::host
