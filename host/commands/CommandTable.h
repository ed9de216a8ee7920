// The commands kelvra-sync knows, and the usage text that lists them.
#pragma once

#include "Command.h"

namespace kelvra::host {

class CommandTable {
public:
    // The command the line names, once everything about the line that can be checked
    // without the handset has been (a model given by name becomes its number); throws
    // UsageError or BadValue otherwise.
    static const Command& Checked(CommandLine& line);
    static const char* Usage();
    // A model --model gives by its name becomes its number; BadValue for no built-in model.
    static void ResolveModel(CommandLine& line);
    // The built-in model named by given: its number id (when not 0) or its name (in any
    // case); BadValue, listing the models, for none.
    static int CheckedModel(const std::wstring& given, int id);
    // The command of that name; null for none.
    static const Command* Find(const std::wstring& name);
    // Throws BadValue, in one line, for a name that is no table.
    static void CheckTable(const std::wstring& name);
};

}  // namespace kelvra::host
