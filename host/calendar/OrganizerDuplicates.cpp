#include "OrganizerDuplicates.h"

#include <cmath>

#include "ICalendarTerms.h"

namespace kelvra::host {

namespace {

// A date as the handset's clock keeps it: whole seconds, years before 1980 and after
// 2050 moved to those years' same day.
DATE AsKept(DATE date)
{
    SYSTEMTIME time = {};
    VariantTimeToSystemTime(date, &time);
    if (time.wYear < 1980 || time.wYear > 2050)
        return DayDate(time.wYear < 1980 ? 1980 : 2050, time.wMonth, time.wDay);
    return std::round(date * 86400) / 86400;
}

}  // namespace

void OrganizerDuplicates::Add(long suid, const OrganizerEntry& held)
{
    m_held.emplace_back(suid, held);
}

std::optional<long> OrganizerDuplicates::Find(const OrganizerEntry& entry) const
{
    for (const auto& [suid, held] : m_held) {
        if (Holds(held, entry))
            return suid;
    }
    return std::nullopt;
}

bool OrganizerDuplicates::SameDate(const OrganizerEntry& held, const OrganizerEntry& entry, const std::wstring& column)
{
    // A date the handset's kind of entry does not keep cannot tell two entries apart.
    if (!HoldsDate(held, column))
        return true;
    return entry.HasDate(column) && std::fabs(AsKept(entry.Date(column)) - AsKept(held.Date(column))) * 86400 < 0.5;
}

bool OrganizerDuplicates::SameTitle(OrganizerKind kind, const std::wstring& keptTitle, const std::wstring& title) const
{
    if (title == keptTitle)
        return true;
    // A field the model cuts holds the start of the text, and then the field is full.
    auto size = m_titleSizes.find(kind);
    return size != m_titleSizes.end() && size->second > 0 && keptTitle.size() >= size->second &&
           title.compare(0, keptTitle.size(), keptTitle) == 0;
}

bool OrganizerDuplicates::Holds(const OrganizerEntry& held, const OrganizerEntry& entry) const
{
    if (held.kind != entry.kind)
        return false;
    if (entry.kind == OrganizerKind::Calendar) {
        // A model without the entry's kind keeps it as an appointment.
        const wchar_t* kept = KindOfType(held.Text(L"TYPE")).type;
        if (kept != KindOfType(entry.Text(L"TYPE")).type && kept != KindOfType(L"5").type)
            return false;
    }
    std::wstring column = entry.kind == OrganizerKind::Memo ? L"DETAIL" : L"SUBJECT";
    if (!SameTitle(entry.kind, held.Text(column), entry.Text(column)))
        return false;
    return SameDate(held, entry, L"START_DATE") && SameDate(held, entry, L"END_DATE");
}

}  // namespace kelvra::host
