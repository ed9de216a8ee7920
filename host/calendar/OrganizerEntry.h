// A calendar entry, task or memo on its way between the handset's items and an
// iCalendar file: the item's columns by name, with dates as dates.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "ComTypes.h"

namespace kelvra::host {

enum class OrganizerKind { Calendar, Task, Memo };

struct OrganizerEntry {
    OrganizerKind kind = OrganizerKind::Calendar;
    std::map<std::wstring, Variant> columns;
    std::wstring label;               // how a person recognises the entry in messages
    std::vector<std::string> notes;   // what the handset cannot hold of it
    // How the file said a column's value ("DTEND 20261206", "RRULE FREQ=WEEKLY"), so that
    // what the handset changes is said in the person's own terms.
    std::map<std::wstring, std::string> said;

    std::wstring Text(const std::wstring& column) const;
    bool HasDate(const std::wstring& column) const;
    DATE Date(const std::wstring& column) const;
    void SetText(const std::wstring& column, const std::wstring& text) { columns[column] = Variant::FromText(text); }
    void SetDate(const std::wstring& column, DATE date);
};

}  // namespace kelvra::host
