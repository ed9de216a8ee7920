// The handset's calendar, tasks and memos as organizer entries: all of them read for an
// export, and each entry of an import created, with what the handset changed or could
// not hold said per entry.
#pragma once

#include <string>
#include <vector>

#include "OrganizerEntry.h"
#include "SyncSession.h"

namespace kelvra::host {

class OrganizerSync {
public:
    explicit OrganizerSync(SyncSession& session) : m_session(session) {}

    // Every calendar entry, task and memo; the tables the model lacks are passed over.
    std::vector<OrganizerEntry> Entries();
    // Creates each entry; the others go on when one fails. True when the handset holds
    // every entry as it was given.
    bool Import(const std::vector<OrganizerEntry>& entries);

private:
    ComPtr<IDataTable> TableFor(OrganizerKind kind);
    // The columns the handset holds differently from the entry.
    static std::vector<std::string> Differences(const OrganizerEntry& entry, IItem* stored);
    static void Say(const OrganizerEntry& entry, const std::string& line);

    SyncSession& m_session;
};

}  // namespace kelvra::host
