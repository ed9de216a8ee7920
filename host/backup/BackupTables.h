// The tables a backup holds, in the order they are backed up and restored: groups before
// the contacts that name them.
#pragma once

namespace kelvra::host {

struct BackupTable {
    const wchar_t* name;  // the table's name for the person, and its items/NAME.jsonl
    const char* one;      // an item, said in a sentence
    const char* many;
    bool restorable;      // stored messages can only be sent, never written into a box
};

inline constexpr BackupTable kBackupTables[] = {
    {L"groups", "group", "groups", true},
    {L"phonebook", "contact", "contacts", true},
    {L"card", "card entry", "card entries", true},
    {L"card2", "card 2 entry", "card 2 entries", true},
    {L"calendar", "calendar entry", "calendar entries", true},
    {L"tasks", "task", "tasks", true},
    {L"memos", "memo", "memos", true},
    {L"sms", "SMS", "SMS", false},
    {L"mms", "MMS", "MMS", false},
};

// The handset's files, which a backup keeps under files/ and restore puts back.
inline constexpr wchar_t kFilesTable[] = L"files";

}  // namespace kelvra::host
