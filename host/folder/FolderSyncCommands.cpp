#include "FolderSyncCommands.h"

#include <memory>

#include "ComFailure.h"
#include "ContactFormat.h"
#include "FolderListing.h"
#include "FolderSync.h"
#include "OrganizerFormat.h"
#include "WholeFile.h"

namespace kelvra::host {

namespace {

std::unique_ptr<SyncedFormat> FormatOf(SyncSession& session, const std::wstring& table)
{
    if (table == L"phonebook")
        return std::make_unique<ContactFormat>(session);
    if (table == L"calendar")
        return std::make_unique<OrganizerFormat>(session, OrganizerKind::Calendar);
    if (table == L"tasks")
        return std::make_unique<OrganizerFormat>(session, OrganizerKind::Task);
    return std::make_unique<OrganizerFormat>(session, OrganizerKind::Memo);
}

// The handset as the status names it: a simulated one by its state folder, one on a port
// by the port and its model.
std::wstring HandsetName(const CommandLine& line)
{
    if (!line.session.port.empty())
        return L"port " + line.session.port + L" model " + line.modelText;
    return L"handset " + FullPcPath(line.session.handsetFolder);
}

}  // namespace

HandsetWork StartSyncFolder(const CommandLine& line)
{
    std::wstring table = line.Word(1);
    if (table != L"phonebook" && table != L"calendar" && table != L"tasks" && table != L"memos")
        throw BadValue("sync-folder keeps the tables phonebook, calendar, tasks and memos in step with a folder, not \"" +
                       NarrowUtf8(table) + "\"");
    if (!line.prefer.empty() && line.prefer != L"handset" && line.prefer != L"folder")
        throw BadValue("--prefer takes handset or folder, not \"" + NarrowUtf8(line.prefer) + "\"");
    std::wstring folder = FullPcPath(line.Word(2));
    FolderListing::Files(folder, L".");  // a folder that is none is said before the handset opens
    FolderSyncOptions options{line.dryRun, line.prefer, line.forceDelete};
    std::wstring handset = HandsetName(line);
    return [table, folder, options, handset](SyncSession& session) {
        std::unique_ptr<SyncedFormat> format = FormatOf(session, table);
        FolderSyncStatus status(handset, table, folder);
        return FolderSync(*format, status, folder, options).Run();
    };
}

}  // namespace kelvra::host
