// The commands on the handset's files: ls, get, put, mkdir, rm, rmdir, mv and df.
#pragma once

#include "Command.h"

namespace kelvra::host {

HandsetWork StartLs(const CommandLine& line);
HandsetWork StartGet(const CommandLine& line);
HandsetWork StartPut(const CommandLine& line);
HandsetWork StartMakeFolder(const CommandLine& line);
HandsetWork StartRemoveFile(const CommandLine& line);
HandsetWork StartRemoveFolder(const CommandLine& line);
HandsetWork StartRename(const CommandLine& line);
HandsetWork StartDf(const CommandLine& line);

}  // namespace kelvra::host
