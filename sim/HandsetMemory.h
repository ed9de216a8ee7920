// The sizes of the handset's memories, by root path: the phone memory 64 MiB and the
// card 256 MiB unless a test sets another size.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "HandsetPath.h"

namespace kelvra::sim {

class HandsetMemory {
public:
    static constexpr uint64_t kPhoneCapacity = 64ull << 20;
    static constexpr uint64_t kCardCapacity = 256ull << 20;

    void SetCapacity(const HandsetPath& root, uint64_t bytes);
    // The capacity set for the root; else the card's for the model's card root and the
    // phone's for any other path, so that a handset without a recorded model answers too.
    uint64_t Capacity(const HandsetPath& root, long model) const;

private:
    std::vector<std::pair<HandsetPath, uint64_t>> m_capacities;
};

}  // namespace kelvra::sim
