#include "ICalendarClock.h"

#include <vector>

#include "ContentLineReader.h"
#include "ICalendarTerms.h"

namespace kelvra::host {

ICalendarClock ICalendarClock::FromFile(const std::string& bytes)
{
    ICalendarClock clock;
    ContentLineReader reader(bytes);
    ContentLine line;
    std::string tzid;
    TimeZoneRules rules;
    std::vector<ContentLine> part;
    bool inZone = false, inPart = false, readable = true;
    try {
        while (reader.Next(line)) {
            std::string value = UpperAscii(line.value);
            if (line.name == "BEGIN" && value == "VTIMEZONE") {
                inZone = true;
                readable = true;
                tzid.clear();
                rules = TimeZoneRules();
            } else if (inZone && line.name == "BEGIN" && (value == "STANDARD" || value == "DAYLIGHT")) {
                inPart = true;
                part.clear();
            } else if (inPart && line.name == "END") {
                inPart = false;
                readable = readable && rules.AddObservance(part).empty();
            } else if (inPart) {
                part.push_back(line);
            } else if (inZone && line.name == "TZID") {
                tzid = line.value;
            } else if (inZone && line.name == "END" && value == "VTIMEZONE") {
                inZone = false;
                if (readable && !rules.Empty() && !tzid.empty())
                    clock.Define(tzid, rules);
            }
        }
    } catch (const ContentLineError&) {
        // the entries' reading says what is wrong with the file
    }
    return clock;
}

const TimeZoneRules* ICalendarClock::Zone(const std::string& tzid) const
{
    auto defined = m_zones.find(tzid);
    if (defined != m_zones.end())
        return &defined->second;
    // Some programs write a "globally unique" zone name with a leading "/".
    std::string name = !tzid.empty() && tzid[0] == '/' ? tzid.substr(1) : tzid;
    auto known = m_known.find(name);
    if (known != m_known.end())
        return &known->second;
    if (auto rules = TimeZoneRules::Known(name))
        return &m_known.emplace(name, *rules).first->second;
    return nullptr;
}

std::optional<DATE> ICalendarClock::Local(const std::string& value, const std::string& tzid, std::string& problem) const
{
    bool utc = false;
    std::optional<DATE> wall = WallDateFromText(value, utc);
    if (!wall) {
        problem = std::string(1, '"').append(Printable(value)).append("\" is no date the handset can read");
        return std::nullopt;
    }
    if (utc)
        return LocalFromUtc(*wall);
    if (tzid.empty() || value.size() == 8)
        return wall;  // a floating time, or a day
    const TimeZoneRules* zone = Zone(tzid);
    if (!zone) {
        problem = Printable(value) + " is in the time zone \"" + Printable(tzid) +
                  "\", which is neither defined in the file nor known here; it is taken as the PC's local time";
        return wall;
    }
    return LocalFromUtc(AddSeconds(*wall, -60LL * zone->OffsetAt(*wall)));
}

}  // namespace kelvra::host
