// What the handset keeps differently from an entry of a calendar file, said in the file's
// terms: the iCalendar property and the value the file had, and what the handset made of
// it ("DTSTART 19750301T090000 is kept as 1980-03-01", "the entry's kind IMPORTANT is
// kept as APPOINTMENT").
#pragma once

#include <string>
#include <vector>

#include "OrganizerEntry.h"

namespace kelvra::host {

class OrganizerDifferences {
public:
    // given: the entry as read from the file; held: the columns the handset keeps of it.
    // Only the columns both have are compared.
    static std::vector<std::string> Between(const OrganizerEntry& given, const OrganizerEntry& held);

private:
    static std::string Kind(const OrganizerEntry& given, const OrganizerEntry& held);
    static std::string Date(const OrganizerEntry& given, const OrganizerEntry& held, const std::wstring& column);
    static std::string Text(const OrganizerEntry& given, const OrganizerEntry& held, const std::wstring& column);
    static std::string Grouped(const std::string& said, const std::string& given, const std::string& held);
    static std::string Alarm(const OrganizerEntry& entry);
    static std::string Property(const OrganizerEntry& entry, const std::wstring& column);
};

}  // namespace kelvra::host
