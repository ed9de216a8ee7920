// A time zone as a calendar file defines it in a VTIMEZONE: its STANDARD and DAYLIGHT
// parts, each an onset with the offsets before and after it and the yearly rule that
// repeats it. Gives the zone's offset from UTC at a wall-clock time of the zone.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <optional>
#include <string>
#include <vector>

#include "ContentLine.h"

namespace kelvra::host {

class TimeZoneRules {
public:
    // One STANDARD or DAYLIGHT part from its lines; the reason when it cannot be read
    // (the part is then left out), empty when it was taken.
    std::string AddObservance(const std::vector<ContentLine>& lines);
    bool Empty() const { return m_observances.empty(); }
    // Minutes east of UTC at a wall-clock time of the zone.
    int OffsetAt(DATE wall) const;

    // The rules of the common zones by their IANA name ("Europe/Berlin"), for files that
    // name a zone without defining it; Windows keeps no IANA names of its own. The
    // rules in force today are taken for every year.
    static std::optional<TimeZoneRules> Known(const std::string& name);

private:
    struct YearlyRule {
        int month = 0;               // 1..12
        int week = 0;                // 1..5 from the start of the month, -1..-5 from its end
        int weekday = 0;             // 0 Sunday .. 6 Saturday
        std::vector<int> monthDays;  // BYMONTHDAY: the first such weekday on one of these days
    };
    struct Observance {
        DATE start = 0;  // the first onset, in the wall-clock time before it
        int offsetFrom = 0, offsetTo = 0;
        std::optional<YearlyRule> rule;
        std::optional<DATE> until;
        std::vector<DATE> dates;  // further onsets (RDATE)
    };
    // The onset of an observance in a year, if it has one then.
    static std::optional<DATE> OnsetIn(const Observance& observance, int year);
    static std::optional<YearlyRule> ParseRule(const std::string& rule, std::string& problem);
    static std::optional<int> ParseOffset(const std::string& text);

    std::vector<Observance> m_observances;
};

}  // namespace kelvra::host
