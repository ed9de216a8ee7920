// sync-folder: a table of the handset kept in step with a folder of one file per item.
#pragma once

#include "Command.h"

namespace kelvra::host {

HandsetWork StartSyncFolder(const CommandLine& line);

}  // namespace kelvra::host
