#include "OrganizerEntry.h"

#include "ItemColumns.h"

namespace kelvra::host {

std::wstring OrganizerEntry::Text(const std::wstring& column) const
{
    auto found = columns.find(column);
    return found == columns.end() ? std::wstring() : ValueText(found->second);
}

bool OrganizerEntry::HasDate(const std::wstring& column) const
{
    auto found = columns.find(column);
    return found != columns.end() && found->second.Type() == VT_DATE && found->second.Get().date != 0;
}

DATE OrganizerEntry::Date(const std::wstring& column) const
{
    return HasDate(column) ? columns.at(column).Get().date : 0;
}

void OrganizerEntry::SetDate(const std::wstring& column, DATE date)
{
    Variant value;
    value.Get().vt = VT_DATE;
    value.Get().date = date;
    columns[column] = value;
}

}  // namespace kelvra::host
