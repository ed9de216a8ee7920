#include "ContactNames.h"

#include "ComTypes.h"

namespace kelvra {

namespace {

bool EndsWith(const std::wstring& text, const std::wstring& tail)
{
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

size_t Room(const TextField& field)
{
    return std::min(field.maxChars, field.units);
}

// The start of a text, at most that many units, never half a character.
std::wstring Cut(const std::wstring& text, size_t units)
{
    return std::wstring(CutWithinUnits(text, units));
}

}  // namespace

std::wstring LastNameWithin(const std::wstring& full, const std::wstring& first, FullNameRule rule)
{
    switch (rule) {
    case FullNameRule::FirstBlankLast: {
        if (first.empty())  // the full name is the last name, after the blank the rule puts before it
            return full.compare(0, 1, L" ") == 0 ? full.substr(1) : full;
        std::wstring lead = first + L" ";
        return full.compare(0, lead.size(), lead) == 0 ? full.substr(lead.size()) : std::wstring();
    }
    case FullNameRule::SingleName:
        // A single name with no first name in it is the first name itself.
        if (first.empty() || full.size() <= first.size())
            return {};
        return EndsWith(full, first) ? full.substr(0, full.size() - first.size()) : std::wstring();
    case FullNameRule::LastThenFirst:
        return EndsWith(full, first) ? full.substr(0, full.size() - first.size()) : std::wstring();
    case FullNameRule::LastNameInFirstName:
        break;
    }
    return {};
}

ContactNames::ContactNames(const ContactLayout& layout, const PhonebookSettings& settings)
    : m_layout(layout), m_settings(settings)
{
}

// The built-in profiles give the last name no field of its own: the full name then
// carries it, and reading finds it there by the model's own rule, so that a contact's
// names survive every round trip.
void ContactNames::Decode(const RecordBytes& record, ColumnMap& map) const
{
    std::wstring first = record.WideText(m_layout.firstName);
    std::wstring full = record.WideText(m_layout.fullName);
    std::wstring last;
    bool lastFromFullName = false;
    if (!m_settings.SkipsLastName()) {
        if (m_layout.lastName.maxChars > 0) {
            last = record.WideText(m_layout.lastName);
        } else {
            last = LastNameWithin(full, first, m_settings.NameRule());
            lastFromFullName = !last.empty();
        }
    }
    map.SetText(L"LAST_NAME", last);
    if (m_settings.NamesFromFullName()) {
        map.SetText(L"FIRST_NAME", lastFromFullName ? first : full);
    } else {
        map.SetText(L"FIRST_NAME", first);
        map.SetText(L"DISPLAY_NAME", full);
    }
}

// Reading finds the last name in the full name by the first name as the handset holds
// it, so the full name is made from the first name as stored, and keeps the whole of it.
void ContactNames::Encode(RecordBytes& record, ColumnChanges& changes) const
{
    ColumnMap& values = changes.Values();
    std::wstring first = values.TextOr(L"FIRST_NAME", L"");
    std::wstring last = values.TextOr(L"LAST_NAME", L"");
    std::wstring display = values.TextOr(L"DISPLAY_NAME", L"");
    // A contact known only by its display name is stored under that name.
    if (first.empty() && last.empty())
        first = display;
    if (m_settings.NameRule() == FullNameRule::LastNameInFirstName) {
        first = last + first;  // no last-name field: the first name carries both
        last.clear();
    }
    std::wstring given = first;
    first = StoredWideText(m_layout.firstName, first);
    if (m_layout.lastName.maxChars > 0)
        last = StoredWideText(m_layout.lastName, last);
    std::wstring full = FullName(given, first, last);
    // A contact listed with no name at all, not even the rule's blank, is written so.
    if (given.empty() && last.empty() && display.empty() && values.Has(L"DISPLAY_NAME"))
        full.clear();
    // On an update, a display name given with the names is the full name when it still
    // holds them as reading finds them; a name the person edited on the handset then
    // stays as it is. A new record's full name is made from its names.
    if (!changes.Creating() && changes.Changed({L"DISPLAY_NAME"}) && !display.empty() &&
        !m_settings.NamesFromFullName() &&
        m_layout.lastName.maxChars == 0) {
        std::wstring shown = StoredWideText(m_layout.fullName, display);
        if (LastNameWithin(shown, first, m_settings.NameRule()) == last)
            full = shown;
    }
    ChangeWideText(record, m_layout.firstName, first);
    ChangeWideText(record, m_layout.lastName, last);
    ChangeWideText(record, m_layout.fullName, full);
    values.SetText(L"FIRST_NAME", first);
    values.SetText(L"LAST_NAME", last);
}

// Without a last name the full name holds the first name as given, as far as it fits.
// With one, it is made from the first name as stored, which reading looks for, and the
// last name is cut where need be so that the full name holds all of both.
std::wstring ContactNames::FullName(const std::wstring& given, const std::wstring& first, std::wstring& last) const
{
    bool lastInFullNameOnly = m_layout.lastName.maxChars == 0;
    size_t room = Room(m_layout.fullName);
    switch (m_settings.NameRule()) {
    case FullNameRule::LastNameInFirstName:
        return given;
    case FullNameRule::FirstBlankLast:
        if (last.empty())
            return given + L" ";
        if (lastInFullNameOnly)
            last = Cut(last, room > first.size() + 1 ? room - first.size() - 1 : 0);
        return first + L" " + last;
    case FullNameRule::SingleName:  // the one name the handset shows keeps the last name too
    case FullNameRule::LastThenFirst:
        if (last.empty())
            return given;
        if (lastInFullNameOnly)
            last = Cut(last, room > first.size() ? room - first.size() : 0);
        return last + first;
    }
    return given;
}

}  // namespace kelvra
