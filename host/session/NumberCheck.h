// The number check of create, update and import-vcard, run before anything is sent: each
// number becomes what the connected model will store, and one it would store as another
// number is refused.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "HandsetNumber.h"
#include "SyncSession.h"

namespace kelvra::host {

class NumberCheck {
public:
    // The rules for the numbers of a table ("phonebook", "card", "card2") on the
    // connected model; false for a table without numbers.
    static bool RulesFor(SyncSession& session, const std::wstring& table, NumberRules& rules);

    // Puts what the handset will store in place of every TEL_NUM_n and adds a note for
    // each number written differently; returns why the first number that cannot be
    // written is refused, with its column's name, or nothing.
    static std::string Apply(std::vector<std::pair<std::wstring, std::wstring>>& columns, const NumberRules& rules,
                             std::vector<std::string>& notes);

    // The same for the "COLUMN=VALUE" words of create and update on a table; throws
    // BadValue for a refused number.
    static std::vector<std::string> Assignments(SyncSession& session, const std::wstring& table,
                                                std::vector<std::wstring>& assignments);

private:
    static size_t PhonebookNumberChars(SyncSession& session);
    static std::wstring ModelName(SyncSession& session);
};

}  // namespace kelvra::host
