// Finds the entry a handset already holds for one about to be imported: the same kind, the
// title as the model cuts it to its field, and the same start and end as far as the kind
// keeps them.
#pragma once

#include <optional>
#include <vector>

#include "OrganizerEntry.h"

namespace kelvra::host {

class OrganizerDuplicates {
public:
    // An entry on the handset, as its columns read.
    void Add(long suid, const OrganizerEntry& held);
    // The SUID of an entry on the handset that holds this one.
    std::optional<long> Find(const OrganizerEntry& entry) const;

private:
    static bool Holds(const OrganizerEntry& held, const OrganizerEntry& entry);
    static bool SameDate(const OrganizerEntry& held, const OrganizerEntry& entry, const std::wstring& column);

    std::vector<std::pair<long, OrganizerEntry>> m_held;
};

}  // namespace kelvra::host
