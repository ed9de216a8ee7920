// The capability ("DevInf") and speed-dial documents that tell the host what the
// connected model can store, built from its profile.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ModelProfile.h"

namespace kelvra {

std::wstring BuildDevInf(const ModelProfile& profile);
// The empty text when no speed dial is used.
std::wstring BuildSpeedDialInfo(const std::vector<uint32_t>& usedNumbers);

// Text as XML character data: &, <, >, ' and " escaped.
std::wstring XmlEscaped(std::wstring_view text);

}  // namespace kelvra
