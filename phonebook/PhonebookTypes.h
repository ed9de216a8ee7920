// The names of number, e-mail, URL and address types and their handset codes, and the
// cleanup of stored numbers.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "PhonebookSettings.h"

namespace kelvra {

// The name of a stored type code; the number-type setting 1 selects the short names.
std::wstring TypeName(uint8_t code, LONG numberTypeSetting);
uint8_t NumberTypeCode(const std::wstring& name, const PhonebookSettings& settings);
// E-mail, URL and address types are "business" or private.
inline uint8_t EmailTypeCode(const std::wstring& name) { return name == L"business" ? 7 : 6; }
inline uint8_t UrlTypeCode(const std::wstring& name) { return name == L"business" ? 9 : 8; }
inline uint8_t AddressTypeCode(const std::wstring& name) { return name == L"business" ? 18 : 17; }

// Digits, "*", "#", "P" and (for contacts) "T" are kept, and a leading "+", which does
// not count against the limit; everything else goes.
std::wstring CleanContactNumber(std::wstring_view number, size_t maxChars);
std::wstring CleanCardNumber(std::wstring_view number, size_t maxChars);

// A URL with no scheme of its own is stored as an http address.
std::wstring UrlForHandset(const std::wstring& url);

}  // namespace kelvra
