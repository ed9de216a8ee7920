// backup, verify and restore: the whole handset into a folder a person keeps, checked,
// and put back.
#pragma once

#include "Command.h"

namespace kelvra::host {

HandsetWork StartBackup(const CommandLine& line);
HandsetWork StartVerify(const CommandLine& line);
HandsetWork StartRestore(const CommandLine& line);

}  // namespace kelvra::host
