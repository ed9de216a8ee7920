// Finds the entry a handset already holds for one about to be imported: the same kind, the
// title as the model cuts it to its field, and the same start and end as far as the kind
// keeps them.
#pragma once

#include <map>
#include <optional>
#include <vector>

#include "OrganizerEntry.h"

namespace kelvra::host {

class OrganizerDuplicates {
public:
    // The characters each kind's title field holds (SUBJECT, a memo's DETAIL): only a held
    // title that fills its field may be the start of a longer one. A kind left out has
    // its titles compared whole.
    explicit OrganizerDuplicates(std::map<OrganizerKind, size_t> titleSizes = {}) : m_titleSizes(std::move(titleSizes))
    {
    }

    // An entry on the handset, as its columns read.
    void Add(long suid, const OrganizerEntry& held);
    // The SUID of an entry on the handset that holds this one.
    std::optional<long> Find(const OrganizerEntry& entry) const;

private:
    bool Holds(const OrganizerEntry& held, const OrganizerEntry& entry) const;
    bool SameTitle(OrganizerKind kind, const std::wstring& keptTitle, const std::wstring& title) const;
    static bool SameDate(const OrganizerEntry& held, const OrganizerEntry& entry, const std::wstring& column);

    std::map<OrganizerKind, size_t> m_titleSizes;
    std::vector<std::pair<long, OrganizerEntry>> m_held;
};

}  // namespace kelvra::host
