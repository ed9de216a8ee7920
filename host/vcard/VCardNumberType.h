// The handset's type for a vCard number: the TYPE values of a TEL line that the phonebook
// has a type for, and those it has none for, so that a pager or a main number that ends
// up as a landline is said.
#pragma once

#include <string>

#include "ContentLine.h"

namespace kelvra::host {

class VCardNumberType {
public:
    // The TEL_TYPE_n name for the line; the TYPE values the name does not carry go into
    // unkept, upper case and joined by commas.
    static std::wstring Of(const ContentLine& line, std::string& unkept);
};

}  // namespace kelvra::host
