#include "BackupContents.h"

#include <windows.h>

#include <cstdio>

#include "BackupFolder.h"
#include "BackupTables.h"
#include "ComFailure.h"
#include "InputFile.h"
#include "UntrustedText.h"
#include "WholeFile.h"

namespace kelvra::host {

namespace {

bool Listed(const BackupManifest& manifest, const std::string& path)
{
    for (const ManifestFile& file : manifest.files) {
        if (file.path == path)
            return true;
    }
    return false;
}

// A contact's picture goes to the handset: it must be one of the backup's own files, which
// the manifest vouches for, not any PC file a line names.
void CheckPicture(const BackupManifest& manifest, const std::string& lines, const ItemRecord& record)
{
    if (record.picture.empty())
        return;
    std::string path = "items/" + record.picture;
    if (record.picture.rfind("pictures/", 0) != 0 || !IsSafeRelativePath(path) || !Listed(manifest, path))
        throw InputError(lines + ": the picture of SUID " + std::to_string(record.suid) +
                         " is no picture file the manifest lists");
}

}  // namespace

BackupContents BackupContents::Read(const std::wstring& folder)
{
    BackupContents contents;
    contents.m_folder = FullPcPath(folder);
    std::vector<std::string> problems = VerifyBackupFolder(contents.m_folder, contents.m_manifest);
    if (!problems.empty()) {
        fflush(stdout);
        for (const std::string& problem : problems)
            fprintf(stderr, "kelvra-sync: %s\n", problem.c_str());
        throw InputError(NarrowUtf8(folder) + " is no whole backup: " + std::to_string(problems.size()) +
                         (problems.size() == 1 ? " file is" : " files are") + " missing or changed");
    }
    for (const BackupTable& table : kBackupTables) {
        std::string path = "items/" + NarrowUtf8(table.name) + ".jsonl";
        if (!Listed(contents.m_manifest, path))
            continue;
        try {
            contents.m_tables[table.name] = ReadItemRecords(ReadWhole(contents.PathOf(path), kMostInputFileBytes));
        } catch (const InputError& e) {
            throw InputError(path + ": " + e.what());
        }
        for (const ItemRecord& record : contents.m_tables[table.name])
            CheckPicture(contents.m_manifest, path, record);
    }
    contents.ReadFolders("files/phone");
    contents.ReadFolders("files/card");
    return contents;
}

void BackupContents::ReadFolders(const std::string& relative)
{
    std::wstring path = PathOf(relative);
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((path + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    m_folders.push_back(relative);
    std::vector<std::string> children;
    do {
        std::wstring name = found.cFileName;
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || name == L"." || name == L"..")
            continue;
        // Said before the handset opens, not once its tables are restored.
        std::string child = relative + "/" + NarrowUtf8(name);
        if (!IsSafeRelativePath(child)) {
            FindClose(search);
            throw InputError(Shown(child) + " is no folder a handset can hold");
        }
        children.push_back(child);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    for (const std::string& child : children)
        ReadFolders(child);
}

const std::vector<ItemRecord>* BackupContents::Records(const std::wstring& table) const
{
    auto found = m_tables.find(table);
    return found == m_tables.end() ? nullptr : &found->second;
}

std::wstring BackupContents::PathOf(const std::string& relative) const
{
    return PcPathUnder(m_folder, relative);
}

std::vector<ManifestFile> BackupContents::Files() const
{
    std::vector<ManifestFile> files;
    for (const ManifestFile& file : m_manifest.files) {
        if (file.path.rfind("files/phone/", 0) == 0 || file.path.rfind("files/card/", 0) == 0)
            files.push_back(file);
    }
    return files;
}

}  // namespace kelvra::host
