// A place in the handset's file system as a person writes it: "/Images/a.jpg" in the
// phone memory, "card:/Music" on the memory card; and as the file table takes it: a
// folder path from the root (a backslash marks the card) and a name.
#pragma once

#include <string>
#include <vector>

namespace kelvra::host {

class HandsetPlace {
public:
    // Throws BadValue for a path that is not absolute or that climbs with "..".
    static HandsetPlace Parse(const std::wstring& text);
    // The phone memory's or the card's root.
    static HandsetPlace Root(bool card);

    bool IsRoot() const { return m_parts.empty(); }
    bool OnCard() const { return m_card; }
    // The folder path the file table takes for this place as a folder.
    std::wstring TableFolder() const;
    // The holding folder's path as the file table takes it, and the last name.
    std::wstring TableParent() const;
    const std::wstring& Name() const;
    // The names from the root down.
    const std::vector<std::wstring>& Parts() const { return m_parts; }
    HandsetPlace Parent() const;
    HandsetPlace Child(const std::wstring& name) const;
    // As a person writes it.
    std::wstring Shown() const;

private:
    static std::wstring Joined(const std::vector<std::wstring>& parts, bool card);

    bool m_card = false;
    std::vector<std::wstring> m_parts;
};

// A name as the handset gave it is a single plain name: no separators, no "..", no drive.
bool IsPlainName(const std::wstring& name);

}  // namespace kelvra::host
