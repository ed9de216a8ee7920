// What a handset makes of a phone number, worked out before anything is sent: the
// phonebook and the card keep digits, a leading "+", "*", "#" and their pause letters,
// drop every other character and cut what does not fit, so a number written with an
// extension or with letters would silently become another number.
#pragma once

#include <string>

namespace kelvra::host {

struct NumberRules {
    std::wstring pauses;   // the pause letters kept, the one that waits for a key first
    size_t maxDigits = 0;  // characters kept after a leading "+"
    size_t maxChars = 0;   // characters kept, a leading "+" included
    bool keepsAsWritten = false;  // lists the number as written, blanks and dashes too

    // A contact's number on a model; fieldChars is the number field's length.
    static NumberRules ForContacts(const std::wstring& model, size_t fieldChars);
    // A card entry's number; the card cleans it to numberLimit digits itself.
    static NumberRules ForCard(size_t numberLimit);
};

struct NumberVerdict {
    std::wstring stored;  // what to send
    std::wstring listed;  // what the handset lists afterwards
    std::string refusal;  // why the number cannot be written; empty when it can
    std::string note;     // how it was written differently; empty when it was not
};

class HandsetNumber {
public:
    // The verdict on a number as a person gives it; refusal and note begin with the
    // number quoted, so that the caller puts the column's name in front.
    static NumberVerdict Check(const std::wstring& given, const NumberRules& rules);

private:
    static size_t ExtensionMark(const std::wstring& text, size_t at);
    static std::string Kept(const NumberRules& rules);
};

}  // namespace kelvra::host
