// Where each field of the handset's contact, group and card entry records lies, worked
// out once from the model's settings; reading and writing both walk these offsets.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "PhonebookSettings.h"
#include "RecordBytes.h"

namespace kelvra {

struct ContactLayout {
    struct Number {
        TextField text;
        size_t type;
        size_t speedDial;
    };
    struct TypedText {
        TextField text;
        size_t type;
    };
    struct Address {
        std::array<TextField, 6> parts;  // additional info, street, postal code, city, region, country
        size_t type;
    };
    struct Ring {
        TextField fileName;
        size_t index, clip, start, end;
    };

    size_t occupied = 0, extendedId = 0, groupSlots = 0, groupSlotCount = 0;
    TextField photo, memo;
    size_t tableAddress = 0, mainNumberMark = 0, birthday = 0;
    std::optional<size_t> mainEmailMark;
    TextField firstName, lastName, fullName;
    std::vector<Number> numbers;
    std::vector<Address> addresses;
    std::vector<TypedText> emails, urls;
    Ring ring;
    std::optional<Ring> messageRing;
    size_t size = 0;

    static ContactLayout For(const PhonebookSettings& settings);
};

struct GroupLayout {
    size_t occupied = 0, secret = 0, address = 0, ringIndex = 0;
    TextField name, photo, ringFileName;
    size_t size = 0;

    static GroupLayout For(const PhonebookSettings& settings);
};

struct CardEntryLayout {
    size_t address = 0;
    TextField name, number;
    size_t size = 0;

    static CardEntryLayout For(FieldLength name, FieldLength number);
};

// A text as a wide field keeps it: cut to the field's characters, never inside one.
std::wstring StoredWideText(const TextField& field, std::wstring_view text);
// Whether a wide field reads as that text, and whether it holds any text at all, looked
// at in place: a write compares every field it may change, and a copy of each text only
// to compare it cost more than the comparison.
bool WideTextIs(const RecordBytes& record, const TextField& field, std::wstring_view text);
bool HoldsWideText(const RecordBytes& record, const TextField& field);
// Writes a wide text only when the field holds another one, so that a field whose text
// stays keeps every byte, the ones after its terminator included.
void ChangeWideText(RecordBytes& record, const TextField& field, std::wstring_view text);

}  // namespace kelvra
