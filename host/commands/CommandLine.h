// kelvra-sync's command line: the options, then the command and its words.
#pragma once

#include <string>
#include <vector>

#include "QELKELVRA.h"
#include "SyncSession.h"

namespace kelvra::host {

class CommandLine {
public:
    // Throws UsageError for an option it does not know or one without its value, and
    // BadValue for a value that does not fit.
    static CommandLine Parse(int argc, wchar_t** argv);
    // A model's number, or 0 for a text that is no number (a model's name, which the
    // command table looks up); BadValue for a number no model can have.
    static int ParseModel(const std::wstring& id);
    // A baud rate as --baud gives it; BadValue for anything a serial port cannot run at.
    static long ParseBaudRate(const std::wstring& text);

    // The command's word at index (0 is the command); the command table made sure it is there.
    const std::wstring& Word(size_t index) const { return words.at(index); }
    // The words from index on (the assignments of create and update).
    std::vector<std::wstring> Rest(size_t from) const;
    const std::wstring& Command() const { return words.at(0); }

    SessionOptions session;
    bool modelGiven = false;
    bool handsetGiven = false;
    std::wstring modelText;  // --model as given: a number or a model's name
    bool json = false;
    bool stats = false;  // say the requests and bytes the simulated handset exchanged
    bool duplicates = false;
    bool summary = false;
    bool cut = false;  // send-sms: send what fits of a text too long for one SMS
    bool help = false;
    int card = 0;  // 0 when not given
    bool dryRun = false;   // restore: say what it would do, change nothing
    bool merge = false;    // restore: add only what the handset does not hold
    bool replace = false;  // restore: delete what the handset holds first
    std::vector<std::wstring> only;  // restore: the tables to restore
    std::wstring prefer;     // sync-folder: the side whose edits win a conflict
    bool forceDelete = false;  // sync-folder: deletions that would empty or halve a side
    std::vector<std::wstring> words;
};

// A SUID as a person types it; anything else is a BadValue.
SUID ParseSuid(const std::wstring& text);

}  // namespace kelvra::host
