#include "PhonebookLayouts.h"

#include <algorithm>

#include "ComTypes.h"
#include "Errors.h"
#include "LayoutCursor.h"

namespace kelvra {

namespace {

// Counts a profile may give; anything larger is a broken profile.
constexpr LONG kMostBlocks = 64;

LONG Checked(LONG value, LONG most, const wchar_t* what)
{
    return static_cast<LONG>(LayoutCursor::Checked(value, most, what));
}

class ContactCursor : public LayoutCursor {
public:
    ContactLayout::Ring Ring(FieldLength fileName)
    {
        ContactLayout::Ring ring;
        ring.fileName = Text(fileName, false);
        ring.index = Take(2);
        ring.clip = Take(1);
        ring.start = Take(4);
        ring.end = Take(4);
        return ring;
    }
};

}  // namespace

ContactLayout ContactLayout::For(const PhonebookSettings& s)
{
    ContactLayout layout;
    ContactCursor at;
    layout.occupied = at.Take(1);
    layout.extendedId = at.Take(1);
    layout.groupSlotCount = static_cast<size_t>(Checked(s.groupSlots, 255, L"group slot count"));
    layout.groupSlots = at.Take(layout.groupSlotCount);
    layout.photo = at.Text(s.fileName, false);
    layout.memo = at.Text(s.memo, true);
    layout.tableAddress = at.Take(2);
    layout.mainNumberMark = at.Take(2);
    if (s.mainEmailWord)
        layout.mainEmailMark = at.Take(2);
    layout.birthday = at.Take(6);
    layout.firstName = at.Text(s.firstName, true);
    layout.lastName = at.Text(s.lastName, true);
    layout.fullName = at.Text(s.fullName, true);

    for (LONG n = 0; n < Checked(s.numbers, kMostBlocks, L"number count"); ++n) {
        Number number;
        number.text = at.Text(s.number, true);
        number.type = at.Take(1);
        number.speedDial = at.Take(2);
        layout.numbers.push_back(number);
    }
    if (!s.HasNoAddressBlock()) {
        // A count of 0 still leaves one block in the record.
        LONG blocks = std::max<LONG>(1, Checked(s.addresses, kMostBlocks, L"address count"));
        for (LONG n = 0; n < blocks; ++n) {
            Address address;
            const FieldLength parts[6] = {s.addressInfo, s.addressStreet, s.addressZipCode,
                                          s.addressCity, s.addressState,  s.addressCountry};
            for (size_t part = 0; part < 6; ++part)
                address.parts[part] = at.Text(parts[part], true);
            address.type = at.Take(1);
            layout.addresses.push_back(address);
        }
    }
    for (LONG n = 0; n < Checked(s.emails, kMostBlocks, L"e-mail count"); ++n) {
        TextField text = at.Text(s.email, true);
        layout.emails.push_back({text, at.Take(1)});
    }
    for (LONG n = 0; n < Checked(s.urls, kMostBlocks, L"URL count"); ++n) {
        TextField text = at.Text(s.email, true);
        layout.urls.push_back({text, at.Take(1)});
    }
    layout.ring = at.Ring(s.fileName);
    if (!s.HasNoAddressBlock())
        layout.messageRing = at.Ring(s.fileName);
    layout.size = at.Offset();
    return layout;
}

GroupLayout GroupLayout::For(const PhonebookSettings& s)
{
    GroupLayout layout;
    LayoutCursor at;
    layout.occupied = at.Take(1);
    layout.secret = at.Take(1);
    layout.name = at.Text(s.groupName, true);
    layout.photo = at.Text(s.groupPhotoFileName, false);
    layout.address = at.Take(2);
    layout.ringFileName = at.Text(s.groupRingFileName, false);
    layout.ringIndex = at.Take(2);
    layout.size = at.Offset();
    return layout;
}

CardEntryLayout CardEntryLayout::For(FieldLength name, FieldLength number)
{
    CardEntryLayout layout;
    LayoutCursor at;
    layout.address = at.Take(2);
    layout.name = at.Text(name, true);
    layout.number = at.Text(number, true);
    layout.size = at.Offset();
    return layout;
}

std::wstring StoredWideText(const TextField& field, std::wstring_view text)
{
    return std::wstring(CutWithinUnits(text, std::min(field.maxChars, field.units)));
}

bool WideTextIs(const RecordBytes& record, const TextField& field, std::wstring_view text)
{
    record.FieldBytes(field.offset, field.Size());  // the whole field lies within the record
    for (size_t unit = 0; unit < field.units; ++unit) {
        wchar_t held = static_cast<wchar_t>(record.U16(field.offset + unit * 2));
        if (held == 0)
            return unit == text.size();
        if (unit >= text.size() || held != text[unit])
            return false;
    }
    return text.size() == field.units;
}

bool HoldsWideText(const RecordBytes& record, const TextField& field)
{
    return !WideTextIs(record, field, std::wstring_view());
}

void ChangeWideText(RecordBytes& record, const TextField& field, std::wstring_view text)
{
    if (!WideTextIs(record, field, CutWithinUnits(text, std::min(field.maxChars, field.units))))
        record.SetWideText(field, text);
}

}  // namespace kelvra
