// The handset's calendar, tasks and memos as organizer entries: all of them read for an
// export, and each entry of an import created, with what the handset changed or could
// not hold said per entry.
#pragma once

#include <string>
#include <vector>

#include "OrganizerDuplicates.h"
#include "OrganizerEntry.h"
#include "SyncSession.h"

namespace kelvra::host {

class OrganizerSync {
public:
    explicit OrganizerSync(SyncSession& session) : m_session(session) {}

    // Every calendar entry, task and memo; the tables the model lacks are passed over.
    std::vector<OrganizerEntry> Entries();
    // Creates each entry; the others go on when one fails. Entries the handset already
    // holds are left out unless duplicates are asked for. True when the handset holds
    // every entry as it was given (entries already on the handset count as given).
    bool Import(const std::vector<OrganizerEntry>& entries, bool allowDuplicates);

    // The item's columns, the empty ones too, so that a column the kind keeps empty
    // shows as kept empty.
    static OrganizerEntry EntryOf(OrganizerKind kind, IItem* item);

private:
    enum class Outcome { AsGiven, Changed, AlreadyHeld, NotImported };
    Outcome ImportOne(const OrganizerEntry& entry, OrganizerDuplicates& held, bool allowDuplicates);
    ComPtr<IDataTable> TableFor(OrganizerKind kind);
    std::map<OrganizerKind, size_t> TitleSizes();
    static void Say(const OrganizerEntry& entry, const std::string& line);

    SyncSession& m_session;
};

}  // namespace kelvra::host
