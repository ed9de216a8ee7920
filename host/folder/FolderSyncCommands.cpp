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
// by the port and its model's number, however the command line named the model.
std::wstring HandsetName(const SessionOptions& options, const SyncSession& session)
{
    if (!options.port.empty())
        return L"port " + options.port + L" model " + std::to_wstring(session.Model());
    return L"handset " + FullPcPath(options.handsetFolder);
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
    SessionOptions where = line.session;
    return [table, folder, options, where](SyncSession& session) {
        std::unique_ptr<SyncedFormat> format = FormatOf(session, table);
        FolderSyncStatus status(HandsetName(where, session), table, folder);
        return FolderSync(*format, status, folder, options).Run();
    };
}

}  // namespace kelvra::host
