// A command of kelvra-sync: its name, the words it needs, and how it starts.
#pragma once

#include <functional>

#include "CommandLine.h"
#include "SyncSession.h"

namespace kelvra::host {

// What a command does once the handset is open; returns the exit code.
using HandsetWork = std::function<int(SyncSession&)>;

struct Command {
    const wchar_t* name;
    size_t arguments;   // words it needs after its name
    const char* needs;  // what those words are, for the usage error
    bool namesTable;    // whether the first word is a table name
    // Reads and checks everything the command needs that is not on the handset (files,
    // SUIDs, paths), so that a mistake leaves the handset untouched; returns the work to
    // do on the handset, or nothing for a command that needs no handset.
    HandsetWork (*start)(const CommandLine& line);
};

}  // namespace kelvra::host
