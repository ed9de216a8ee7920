// Reads vCard files as other programs write them: versions 2.1, 3.0 and 4.0, with a
// byte-order mark, quoted-printable values and CHARSET parameters, folded lines, FN
// without N, birthdays in basic or extended format, with or without a time, pictures
// inside the file or in a file on this PC.
#pragma once

#include <string>
#include <vector>

#include "ContentLine.h"
#include "VCardContact.h"

namespace kelvra::host {

class VCardReader {
public:
    // Every vCard of a file; throws InputError when the file holds none.
    static std::vector<VCardContact> Read(const std::string& bytes);

private:
    struct Open {
        size_t contact;  // its place in the list read
        std::wstring formattedName;
        bool version21;
    };
    static void Take(const ContentLine& line, VCardContact& contact);
    static bool DecodedValue(const ContentLine& line, VCardContact& contact, std::wstring& text);
    static void TakePicture(const ContentLine& line, VCardContact& contact);
    static void TakeName(const std::vector<std::wstring>& parts, VCardContact& contact);
    static void TakeNumber(const ContentLine& line, const std::wstring& number, VCardContact& contact);
    static void TakeAddress(const ContentLine& line, const std::vector<std::wstring>& parts, VCardContact& contact);
    static void TakeBirthday(const std::wstring& text, VCardContact& contact);
    static void TakeCategories(const std::wstring& text, VCardContact& contact);
    static void Finish(VCardContact& contact, const std::wstring& formattedName);
    static size_t Count(const VCardContact& contact, const std::wstring& prefix);
};

}  // namespace kelvra::host
