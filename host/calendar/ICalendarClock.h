// The times of a calendar file as the PC's local time: UTC times and times of a zone the
// file defines (VTIMEZONE) or names by its IANA name go through UTC to the PC's zone, with
// the PC's summer time on that day; floating times and dates stay as written.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <map>
#include <optional>
#include <string>

#include "TimeZoneRules.h"

namespace kelvra::host {

class ICalendarClock {
public:
    // The zones the file defines; a definition that cannot be read is left out, and its
    // zone then counts as unknown.
    static ICalendarClock FromFile(const std::string& bytes);

    // A DATE or DATE-TIME value ("20261208", "20261208T183000", "...Z") in the zone named
    // by tzid (empty for none). Null when the value is no date; problem then says why, and
    // it also says when the zone is unknown and the time was taken as written.
    std::optional<DATE> Local(const std::string& value, const std::string& tzid, std::string& problem) const;

    void Define(const std::string& tzid, TimeZoneRules rules) { m_zones[tzid] = std::move(rules); }

private:
    const TimeZoneRules* Zone(const std::string& tzid) const;

    std::map<std::string, TimeZoneRules> m_zones;
    mutable std::map<std::string, TimeZoneRules> m_known;  // common zones looked up by name
};

}  // namespace kelvra::host
