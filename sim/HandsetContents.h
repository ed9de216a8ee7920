// What the simulated handset keeps between sessions: the raw records per store and
// index, the privacy lock, and the model the handset was made as.
#pragma once

#include <cstdint>
#include <map>
#include <string>

namespace kelvra::sim {

struct HandsetContents {
    using Record = std::string;

    std::map<uint32_t, std::map<uint32_t, Record>> stores;
    std::string lockFlags = std::string(7, '\0');
    std::string password = "0000";
    long model = 0;  // 0 while no model has been recorded
};

}  // namespace kelvra::sim
