// What kelvra-sync's exit code tells a script.
#pragma once

namespace kelvra::host {

enum ExitCode { kOk = 0, kUsage = 1, kComponentFailure = 2, kInputFailure = 3, kHandsetChanged = 4 };

}  // namespace kelvra::host
