// The text of the handset's state. Every change is one line:
//   record <store> <index> <bytes in hex, or - when empty>
//   remove <store> <index>
//   lock <flags in hex> <password in hex>
//   model <identifier>
// The state file holds the whole handset: a first line "kelvra-handset-state 2", a line
// "generation <n>", the model, lock and record lines, and a last line "end <count of the
// lines between>", so that a file that is empty or cut short is recognised as damaged.
// The journal holds the changes made since the state file of its generation was written:
// a first line "journal <n>", then change lines. A line not yet ended by a line break is
// the torn end of a write that was interrupted, and is not part of the journal.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "HandsetContents.h"

namespace kelvra::sim {

class StateCodec {
public:
    static std::string RecordLine(uint32_t store, uint32_t index, std::string_view bytes);
    static std::string RemoveLine(uint32_t store, uint32_t index);
    static std::string LockLine(std::string_view flags, std::string_view password);
    static std::string ModelLine(long model);
    static std::string JournalHeader(uint64_t generation);

    // Applies one change line (without its line break); false when it is not one.
    static bool Apply(std::string_view line, HandsetContents& contents);

    static std::string StateText(const HandsetContents& contents, uint64_t generation);

    // Reads a state file's text into contents and its generation; false with a reason
    // when the text is damaged. The line-per-record files written before the state file
    // had a header and an end line are still read; they start at generation 0.
    static bool ReadState(std::string_view text, HandsetContents& contents, uint64_t& generation,
                          std::wstring& reason);

    // Applies a journal of the given generation to contents. False with a reason when a
    // complete line is garbled. A journal of another generation was already folded into
    // the state file and is left out; applied tells whether any change was taken.
    static bool ReadJournal(std::string_view text, uint64_t generation, HandsetContents& contents, bool& applied,
                            std::wstring& reason);
};

}  // namespace kelvra::sim
