// A vCard or iCalendar file of a synced folder, edited with what the handset holds: the
// properties the handset keeps are replaced by those of a file freshly written for the
// item, and every other line (UID, PHOTO, ORG, further addresses, a VTIMEZONE, other
// programs' X- properties) stays byte for byte, its folding and line ends included.
#pragma once

#include <string>
#include <vector>

namespace kelvra::host {

class FolderFileEdit {
public:
    // A property to replace, by name ("TEL", "N", "DTSTART"; "VALARM" for the alarm
    // components), and how many of the file's own lines of it the handset took in: the
    // first `taken` are replaced, further ones are the person's and stay. 0 replaces all.
    struct Replaced {
        std::string name;
        size_t taken = 0;
    };

    // existing: the file as it is. fresh: a file the writers made for the item, one VCARD
    // or one VCALENDAR with one VEVENT, VTODO or VJOURNAL. Only the first card or the
    // first such component of existing is edited (the one without a RECURRENCE-ID).
    // Throws InputError when existing holds no such card or component.
    static std::string Edited(const std::string& existing, const std::string& fresh,
                              const std::vector<Replaced>& replaced);

    // fresh with the UID of its card or component set to uid (added when it has none).
    static std::string WithUid(const std::string& fresh, const std::string& uid);

    // The UID of the file's first card or component; empty when it has none.
    static std::string UidOf(const std::string& bytes);
};

}  // namespace kelvra::host
