// What kelvra-sync's exit code tells a script.
#pragma once

namespace kelvra::host {

enum ExitCode {
    kOk = 0,
    kUsage = 1,
    kComponentFailure = 2,
    kInputFailure = 3,
    kHandsetChanged = 4,
    // Done with every record that could be read; records the handset could not give were
    // passed over, as the lines on stderr say. Above kHandsetChanged: data is missing.
    kPassedOver = 5,
    // sync-folder: done, but items changed on both sides were left as they are.
    kConflicts = 6,
};

}  // namespace kelvra::host
