#include "LayoutCursor.h"

#include "Errors.h"

namespace kelvra {

size_t LayoutCursor::Checked(LONG value, LONG most, const wchar_t* what)
{
    if (value > most)
        ThrowComError(E_INVALIDARG, std::wstring(L"The model profile gives an impossible ") + what);
    return value < 0 ? 0 : static_cast<size_t>(value);
}

TextField LayoutCursor::Text(std::pair<LONG, LONG> length, bool wide)
{
    TextField field;
    field.maxChars = Checked(length.first, kMostUnits, L"text field size");
    field.units = field.maxChars + Checked(length.second, kMostUnits, L"text field size");
    field.wide = wide;
    field.offset = Take(field.Size());
    return field;
}

}  // namespace kelvra
