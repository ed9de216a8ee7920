// help COMMAND and COMMAND --help: one command's lines of the usage, and for create and
// update the columns a table's new item takes.
#pragma once

#include "CommandLine.h"

namespace kelvra::host {

class CommandHelp {
public:
    // The help the line asks for; throws UsageError for a command there is none of.
    static int Show(const CommandLine& line);
    // The usage lines of one command, as the whole usage gives them; empty for none.
    static std::string UsageOf(const std::string& command, const std::string& usage);

private:
    // The columns of the table's new item, from the component; opens the handset, since
    // the columns are the model's.
    static int Columns(const CommandLine& line, const std::wstring& table);
};

}  // namespace kelvra::host
