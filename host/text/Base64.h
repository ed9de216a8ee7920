// Base64 (RFC 4648), as vCard pictures carry their bytes.
#pragma once

#include <string>

namespace kelvra::host {

std::string Base64Encoded(const std::string& bytes);
// Blanks and line ends between the characters are skipped, the padding may be missing;
// false for any other character or a cut group.
bool Base64Decoded(const std::string& text, std::string& bytes);

}  // namespace kelvra::host
