// Lays the fields of a handset record out one after another, as a model's profile sizes
// them. Sizes come from the profile and are untrusted: a text field larger than any
// handset keeps is a broken profile.
#pragma once

#include <windows.h>

#include <utility>

#include "RecordBytes.h"

namespace kelvra {

class LayoutCursor {
public:
    static constexpr LONG kMostUnits = 4096;

    // The offset of a field of that many bytes.
    size_t Take(size_t bytes)
    {
        size_t at = m_offset;
        m_offset += bytes;
        return at;
    }
    // A text of length.first characters in a field of first + second units; a missing
    // key (-1) is a field of no units.
    TextField Text(std::pair<LONG, LONG> length, bool wide);
    size_t Offset() const { return m_offset; }

    // A profile count or size as a size; throws E_INVALIDARG above most.
    static size_t Checked(LONG value, LONG most, const wchar_t* what);

private:
    size_t m_offset = 0;
};

}  // namespace kelvra
