// The commands kelvra-sync knows, and the usage text that lists them.
#pragma once

#include "Command.h"

namespace kelvra::host {

class CommandTable {
public:
    // The command the line names, once everything about the line that can be checked
    // without the handset has been; throws UsageError or BadValue otherwise.
    static const Command& Checked(const CommandLine& line);
    static const char* Usage();
};

}  // namespace kelvra::host
