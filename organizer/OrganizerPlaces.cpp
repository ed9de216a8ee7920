#include "OrganizerPlaces.h"

#include <algorithm>
#include <cstdint>

#include "KelvraOrg.h"

namespace kelvra {

OrganizerPlaces OrganizerPlaces::Of(LONG startIndex, LONG maxCount, LONG limit)
{
    OrganizerPlaces places;
    places.first = std::max<LONG>(0, startIndex);
    places.end = std::clamp<LONG>(maxCount, 0, limit);
    return places;
}

std::vector<uint32_t> OrganizerPlaces::Usable(const std::vector<uint32_t>& listed) const
{
    std::vector<uint32_t> usable;
    std::vector<bool> seen(static_cast<size_t>(std::max<LONG>(end, 0)));
    for (uint32_t index : listed) {
        if (index > static_cast<uint32_t>(INT32_MAX) || !Holds(static_cast<LONG>(index)) || seen[index])
            continue;
        seen[index] = true;
        usable.push_back(index);
    }
    return usable;
}

uint32_t OrganizerPlaces::Free(std::vector<uint32_t> listed, const std::vector<uint32_t>& known) const
{
    listed.insert(listed.end(), known.begin(), known.end());
    return CKelvraOrg::FindFreeIndex(first, end, std::move(listed));
}

}  // namespace kelvra
