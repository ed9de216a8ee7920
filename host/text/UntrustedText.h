// Text from a file or a handset, fit to print on a terminal: control characters that
// could move the cursor, ring the bell or turn the text around are shown as escapes.
#pragma once

#include <string>

namespace kelvra::host {

// UTF-8 text as printed: C0 and C1 controls, DEL and the bidirectional overrides become
// "\xNN" or "\uNNNN"; a byte that is not UTF-8 becomes "\xNN". Everything else stays.
std::string Shown(const std::string& utf8);

}  // namespace kelvra::host
