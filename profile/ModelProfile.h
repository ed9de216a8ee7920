// What the component knows of the connected model once its profile is loaded: the
// profile store, the field length store and the table presence flags.
#pragma once

#include <windows.h>

#include <array>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "ComTypes.h"

namespace kelvra {

// Profile key to VARIANT text, as the profile loader fills it.
using ProfileStore = std::unordered_map<std::wstring, Variant>;
// A field description's count: (length, extra), "24+1" being (24, 1).
using FieldLength = std::pair<LONG, LONG>;
// Profile key to the count of a field description.
using FieldLengthStore = std::map<std::wstring, FieldLength>;

constexpr int kTablePresenceCount = 19;

// The decimal conversion used for every number held as text: leading blanks skipped,
// an optional sign, digits up to the first other character; 0 for non-numbers.
LONG ParseDecimal(std::wstring_view text);

struct ModelProfile {
    ProfileStore texts;
    FieldLengthStore lengths;
    std::array<int, kTablePresenceCount> presence{};  // handset DB tables 1 to 19
    std::wstring phoneModel;
    std::wstring path;
    int resourceId = 0;

    // Readers' lookups. A key no loader wrote reads as the empty text, as 0, or as the
    // length (0, 0); looking it up leaves the stores as they are.
    std::wstring Text(const std::wstring& key) const;
    LONG Number(const std::wstring& key) const { return ParseDecimal(Text(key)); }
    FieldLength Length(const std::wstring& key) const;
    bool HasTable(int number) const;

    void SetText(const std::wstring& key, std::wstring_view value) { texts[key] = Variant::FromText(value); }
};

}  // namespace kelvra
