// Which of a store's places an organizer table works with. One rule for every table:
// a table lists, counts, updates and deletes the records at the places its store
// offers, from the store's start index up to (not including) its maximum count, and
// never beyond what its SUIDs can name. A record the handset keeps at any other index
// is left alone: it is not listed, and no write goes there. A new record goes to the
// lowest offered place that the handset does not list as used, its whole list read.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

namespace kelvra {

struct OrganizerPlaces {
    LONG first = 0;
    LONG end = 0;

    // The places of a store with this start index and maximum count, of which the
    // table's SUIDs can name those below limit.
    static OrganizerPlaces Of(LONG startIndex, LONG maxCount, LONG limit);

    bool Holds(LONG place) const { return place >= first && place < end; }
    // The listed indexes at offered places, each once, in the order the handset listed them.
    std::vector<uint32_t> Usable(const std::vector<uint32_t>& listed) const;
    // The lowest offered place neither list holds; the store-full error when none is left.
    uint32_t Free(std::vector<uint32_t> listed, const std::vector<uint32_t>& known) const;
};

}  // namespace kelvra
