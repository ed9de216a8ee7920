// A path on the simulated handset, taken apart into the names below the PC folder that
// stands for the handset's file system. Every handset path the simulator is given goes
// through Parse, so that none can reach outside that folder.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelvra::sim {

class HandsetPath {
public:
    // The names of a path such as "tfs4/a/users/Images" or "/mvfs/mv\Music" ("/" and "\"
    // both separate, a leading one is optional). Nothing for a path that names nothing,
    // climbs with "..", is a PC path (drive, stream, UNC or device form) or holds a name
    // Windows would read as something else (a device, wildcards, trailing dots or blanks).
    static std::optional<HandsetPath> Parse(std::wstring_view text);

    // The PC path of this handset path below the given folder.
    std::wstring Under(const std::wstring& folder) const;
    // Whether this path is the other one or lies below it, ignoring case as the handset does.
    bool IsWithin(const HandsetPath& other) const;
    bool operator==(const HandsetPath& other) const;
    const std::vector<std::wstring>& Names() const { return m_names; }

private:
    std::vector<std::wstring> m_names;
};

}  // namespace kelvra::sim
