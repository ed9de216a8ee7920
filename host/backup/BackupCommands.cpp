#include "BackupCommands.h"

#include <cstdio>
#include <memory>

#include "BackupContents.h"
#include "BackupFolder.h"
#include "ComFailure.h"
#include "HandsetBackup.h"
#include "HandsetRestore.h"
#include "UntrustedText.h"
#include "WholeFile.h"

namespace kelvra::host {

namespace {

void CheckRestoreOptions(const CommandLine& line)
{
    if (line.merge && line.replace)
        throw UsageError("--merge and --replace exclude each other");
    bool groups = false, phonebook = false;
    for (const std::wstring& table : line.only) {
        if (!HandsetRestore::IsTableName(table))
            throw BadValue("--only takes the tables groups, phonebook, card, card2, calendar, tasks, memos, sms, "
                           "mms and files, not \"" + NarrowUtf8(table) + "\"");
        groups = groups || table == L"groups";
        phonebook = phonebook || table == L"phonebook";
    }
    // The contacts name their groups by number: groups deleted and made anew would leave
    // the contacts the handset keeps in none.
    if (line.replace && groups && !phonebook)
        throw BadValue("--replace of the groups needs the phonebook too (--only groups,phonebook): its contacts "
                       "name the groups by number");
}

}  // namespace

HandsetWork StartBackup(const CommandLine& line)
{
    // Said before the handset opens: a backup never goes into a folder that exists.
    std::wstring target = FullPcPath(line.Word(1));
    if (GetFileAttributesW(target.c_str()) != INVALID_FILE_ATTRIBUTES)
        throw BadValue(NarrowUtf8(line.Word(1)) + " exists already; a backup goes into a new folder");
    return [target](SyncSession& session) {
        BackupFolder folder(target);
        return HandsetBackup(session, folder).Run();
    };
}

HandsetWork StartVerify(const CommandLine& line)
{
    BackupContents contents = BackupContents::Read(line.Word(1));
    const BackupManifest& manifest = contents.Manifest();
    printf("%s is whole: %zu files as the manifest lists them, a backup of a %s made %s\n",
           Shown(NarrowUtf8(line.Word(1))).c_str(), manifest.files.size(), Shown(NarrowUtf8(manifest.modelName)).c_str(),
           Shown(manifest.time).c_str());
    return {};
}

HandsetWork StartRestore(const CommandLine& line)
{
    CheckRestoreOptions(line);
    auto contents = std::make_shared<BackupContents>(BackupContents::Read(line.Word(1)));
    RestoreOptions options{line.dryRun, line.merge, line.replace, line.only};
    return [contents, options](SyncSession& session) { return HandsetRestore(session, *contents, options).Run(); };
}

}  // namespace kelvra::host
