#include "VCardReader.h"

#include <cwchar>
#include <cwctype>

#include "Base64.h"
#include "CharsetDecoder.h"
#include "ComFailure.h"
#include "ComTypes.h"
#include "ContactPicture.h"
#include "ContentLineReader.h"
#include "InputFile.h"
#include "VCardNumberType.h"

namespace kelvra::host {

namespace {

constexpr size_t kMostNumbers = 10;  // the phonebook's number columns
constexpr size_t kMostEmails = 2;
// The largest phonebook of any model takes 2000 contacts; a file of more is refused
// before its contacts take up memory out of all proportion to the file.
constexpr size_t kMostContacts = 10000;

// Lines that say how the file was made, not what the person holds.
const char* const kBookkeeping[] = {"VERSION", "PRODID", "REV", "UID", "SORT-STRING", "CLASS", "NAME",
                                    "SOURCE", "PROFILE", "KIND", "LABEL"};

std::string Narrow(const std::wstring& text)
{
    return NarrowUtf8(text);
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// Quoted-printable ("=C3=A9") and URI ("%C3%A9") escapes: the marker and two hex digits.
std::string HexEscapesDecoded(const std::string& text, char marker)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == marker && i + 2 < text.size() && HexDigit(text[i + 1]) >= 0 && HexDigit(text[i + 2]) >= 0) {
            out += static_cast<char>(HexDigit(text[i + 1]) * 16 + HexDigit(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

// "data:image/jpeg;base64,/9j/..." as vCard 4.0 writes a picture.
std::string DataUriBytes(const std::string& uri, std::string& bytes)
{
    size_t comma = uri.find(',');
    if (comma == std::string::npos)
        return "the data: URI has no \",\" before its data";
    std::string header = UpperAscii(uri.substr(5, comma - 5));
    bool base64 = header.size() >= 7 && header.compare(header.size() - 7, 7, ";BASE64") == 0;
    if (!base64) {
        bytes = HexEscapesDecoded(uri.substr(comma + 1), '%');
        return {};
    }
    return Base64Decoded(uri.substr(comma + 1), bytes) ? std::string() : "it is not base64";
}

// "file:///C:/Pictures/face.jpg": a picture on this PC, read with the file.
std::string FileUriBytes(const std::string& uri, std::string& bytes)
{
    std::string path = HexEscapesDecoded(uri.substr(5), '%');
    if (path.compare(0, 2, "//") == 0) {
        size_t slash = path.find('/', 2);
        std::string host = path.substr(2, slash == std::string::npos ? std::string::npos : slash - 2);
        if (!host.empty() && UpperAscii(host) != "LOCALHOST")
            return "the file is on another computer (" + host + ")";
        path = slash == std::string::npos ? std::string() : path.substr(slash);
    }
    // "/C:/..." names a drive; the slash before it is the URI's.
    if (path.size() > 2 && path[0] == '/' && path[2] == ':')
        path.erase(0, 1);
    if (path.size() > 1 && (path[0] == '/' || path[0] == '\\') && (path[1] == '/' || path[1] == '\\'))
        return "the file is on another computer";
    try {
        bytes = ReadWhole(WidenUtf8(path), kMostInputFileBytes);
    } catch (const InputError& e) {
        return e.what();
    }
    return {};
}

bool Digits(const std::wstring& text, size_t at, size_t count, int& value)
{
    if (at + count > text.size())
        return false;
    value = 0;
    for (size_t i = at; i < at + count; ++i) {
        if (text[i] < L'0' || text[i] > L'9')
            return false;
        value = value * 10 + (text[i] - L'0');
    }
    return true;
}

bool IsDate(int year, int month, int day)
{
    static const int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (year < 100 || month < 1 || month > 12 || day < 1 || day > kDays[month - 1])
        return false;
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month != 2 || day <= 28 || leap;
}

}  // namespace

std::vector<VCardContact> VCardReader::Read(const std::string& bytes)
{
    ContentLineReader reader(bytes);
    std::vector<VCardContact> contacts;
    // The vCards begun and not yet ended: one begun inside another is a contact of its
    // own, and the outer one goes on after its end.
    std::vector<Open> open;
    size_t agentDepth = 0;  // inside the vCard of an AGENT property, which is not a contact
    bool agentFollows = false;
    ContentLine line;
    for (;;) {
        try {
            if (!reader.Next(line))
                break;
        } catch (const ContentLineError& e) {
            if (contacts.empty())
                throw InputError("the file is not a vCard file (" + std::string(e.what()) + ")");
            if (!open.empty() && agentDepth == 0 && contacts[open.back().contact].problem.empty())
                contacts[open.back().contact].problem = e.what();
            continue;
        }
        bool begins = line.name == "BEGIN" && UpperAscii(line.value) == "VCARD";
        if (agentDepth > 0 || (begins && agentFollows)) {
            if (begins)
                ++agentDepth;
            else if (line.name == "END")
                --agentDepth;
            agentFollows = false;
            continue;
        }
        if (begins) {
            if (contacts.size() == kMostContacts)
                throw InputError("the file holds more than " + std::to_string(kMostContacts) +
                                 " vCards, more than any handset's phonebook takes");
            contacts.emplace_back();
            contacts.back().lineNumber = line.lineNumber;
            open.push_back({contacts.size() - 1, {}, false});
            reader.KeepFoldingBlanks(false);
            continue;
        }
        if (open.empty()) {
            if (contacts.empty())
                throw InputError("the file is not a vCard file (line " + std::to_string(line.lineNumber) +
                                 " is not inside BEGIN:VCARD ... END:VCARD)");
            continue;  // between vCards
        }
        Open& current = open.back();
        VCardContact& contact = contacts[current.contact];
        // vCard 2.1 writes an agent's vCard on the lines after an empty AGENT value.
        agentFollows = line.name == "AGENT" && line.value.empty();
        if (line.name == "END") {
            Finish(contact, current.formattedName);
            open.pop_back();
            reader.KeepFoldingBlanks(!open.empty() && open.back().version21);
        } else if (line.name == "VERSION") {
            current.version21 = line.value == "2.1";
            reader.KeepFoldingBlanks(current.version21);
        } else if (line.name == "FN") {
            if (DecodedValue(line, contact, current.formattedName))
                current.formattedName = ContentLine::Unescaped(current.formattedName);
        } else if (line.name == "PHOTO") {
            TakePicture(line, contact);
        } else {
            Take(line, contact);
        }
    }
    if (contacts.empty())
        throw InputError(bytes.empty() ? "the file is empty" : "the file holds no vCard");
    for (Open& unfinished : open) {
        VCardContact& contact = contacts[unfinished.contact];
        Finish(contact, unfinished.formattedName);
        if (contact.problem.empty())
            contact.problem = "the vCard has no END:VCARD (the file is cut short)";
    }
    return contacts;
}

void VCardReader::TakePicture(const ContentLine& line, VCardContact& contact)
{
    std::string where = "the picture on line " + std::to_string(line.lineNumber);
    if (!contact.picture.empty()) {
        contact.notes.push_back(where + ": a second picture has no place on the handset");
        return;
    }
    std::string encoding = UpperAscii(line.Parameter("ENCODING"));
    std::string bytes, problem;
    if (encoding == "B" || encoding == "BASE64") {
        if (!Base64Decoded(line.value, bytes))
            problem = "it is not base64";
    } else if (_strnicmp(line.value.c_str(), "data:", 5) == 0) {
        problem = DataUriBytes(line.value, bytes);
    } else if (_strnicmp(line.value.c_str(), "file:", 5) == 0) {
        problem = FileUriBytes(line.value, bytes);
    } else {
        problem = "only pictures inside the file or in a file on this PC are read";
    }
    if (problem.empty() && PictureFormatOf(bytes).empty())
        problem = "it is no JPEG, PNG, GIF or BMP picture";
    if (!problem.empty()) {
        contact.notes.push_back(where + " left out: " + problem);
        return;
    }
    contact.pictureFormat = PictureFormatOf(bytes);
    contact.picture = std::move(bytes);
}

bool VCardReader::DecodedValue(const ContentLine& line, VCardContact& contact, std::wstring& text)
{
    std::string encoding = UpperAscii(line.Parameter("ENCODING"));
    if (encoding == "B" || encoding == "BASE64") {
        contact.notes.push_back(line.name + " has no place on the handset");
        return false;
    }
    std::string bytes = encoding == "QUOTED-PRINTABLE" ? HexEscapesDecoded(line.value, '=') : line.value;
    std::string charset = line.Parameter("CHARSET");
    std::string problem;
    bool decoded = charset.empty() ? CharsetDecoder::DecodeUtf8(bytes, text)
                                   : CharsetDecoder::Decode(bytes, charset, text, problem);
    if (!decoded) {
        if (charset.empty())
            problem = "it is not UTF-8 text and names no CHARSET";
        contact.notes.push_back(line.name + " on line " + std::to_string(line.lineNumber) + " left out: " + problem);
        return false;
    }
    if (text.find(L'\0') != std::wstring::npos) {
        std::wstring kept;
        for (wchar_t c : text) {
            if (c != L'\0')
                kept += c;
        }
        text = kept;
        contact.notes.push_back(line.name + " on line " + std::to_string(line.lineNumber) +
                                ": a NUL character was removed");
    }
    return true;
}

void VCardReader::Take(const ContentLine& line, VCardContact& contact)
{
    for (const char* ignored : kBookkeeping) {
        if (line.name == ignored)
            return;
    }
    if (line.name.compare(0, 9, "X-KELVRA-") == 0)
        return;
    bool known = line.name == "N" || line.name == "TEL" || line.name == "EMAIL" || line.name == "URL" ||
                 line.name == "ADR" || line.name == "BDAY" || line.name == "NOTE" || line.name == "CATEGORIES";
    if (!known) {
        contact.notes.push_back(line.name + " has no place on the handset");
        return;
    }
    std::wstring value;
    if (!DecodedValue(line, contact, value))
        return;
    auto set = [&](const std::wstring& column, const std::wstring& text) { contact.columns.emplace_back(column, text); };
    if (line.name == "N") {
        TakeName(ContentLine::Split(value, L';'), contact);
    } else if (line.name == "TEL") {
        TakeNumber(line, ContentLine::Unescaped(value), contact);
    } else if (line.name == "EMAIL") {
        size_t n = Count(contact, L"EMAIL_ADDR_");
        if (n >= kMostEmails) {
            contact.notes.push_back("e-mail " + Narrow(ContentLine::Unescaped(value)) + " has no place on the handset");
            return;
        }
        set(L"EMAIL_ADDR_" + std::to_wstring(n), ContentLine::Unescaped(value));
        set(L"EMAIL_TYPE_" + std::to_wstring(n), line.HasParameterValue("TYPE", "WORK") ? L"business" : L"private");
    } else if (line.name == "URL") {
        if (Count(contact, L"URL_ADDR_") > 0) {
            contact.notes.push_back("URL " + Narrow(value) + " has no place on the handset");
            return;
        }
        set(L"URL_ADDR_0", value);  // a URI: no text escapes
    } else if (line.name == "ADR") {
        TakeAddress(line, ContentLine::Split(value, L';'), contact);
    } else if (line.name == "BDAY") {
        TakeBirthday(value, contact);
    } else if (line.name == "NOTE") {
        set(L"NOTES", ContentLine::Unescaped(value));
    } else if (line.name == "CATEGORIES") {
        TakeCategories(value, contact);
    }
}

void VCardReader::TakeName(const std::vector<std::wstring>& parts, VCardContact& contact)
{
    contact.columns.emplace_back(L"LAST_NAME", ContentLine::Unescaped(parts[0]));
    if (parts.size() > 1)
        contact.columns.emplace_back(L"FIRST_NAME", ContentLine::Unescaped(parts[1]));
    for (size_t part = 2; part < parts.size() && part < 5; ++part) {
        if (!parts[part].empty()) {
            contact.notes.push_back("the name's \"" + Narrow(ContentLine::Unescaped(parts[part])) +
                                    "\" (middle name, prefix or suffix) has no place on the handset");
        }
    }
}

void VCardReader::TakeNumber(const ContentLine& line, const std::wstring& number, VCardContact& contact)
{
    size_t n = Count(contact, L"TEL_NUM_");
    if (n >= kMostNumbers) {
        contact.notes.push_back("number " + Narrow(number) + " has no place on the handset");
        return;
    }
    std::wstring index = std::to_wstring(n);
    std::string ownType = line.Parameter("X-KELVRA-TYPE");
    // vCard 4.0 writes numbers as URIs: "tel:+1-555-0101".
    bool uri = number.size() > 4 && _wcsnicmp(number.c_str(), L"tel:", 4) == 0;
    contact.columns.emplace_back(L"TEL_NUM_" + index, uri ? number.substr(4) : number);
    std::string unkept;
    std::wstring type = ownType.empty() ? VCardNumberType::Of(line, unkept) : WidenUtf8(ownType);
    contact.columns.emplace_back(L"TEL_TYPE_" + index, type);
    if (!unkept.empty()) {
        contact.notes.push_back("TEL_TYPE_" + Narrow(index) + " \"" + unkept +
                                "\" has no equivalent on the handset; stored as \"" + Narrow(type) + "\"");
    }
    std::string dial = line.Parameter("X-KELVRA-DIAL");
    if (!dial.empty())
        contact.columns.emplace_back(L"TEL_DIAL_" + index, WidenUtf8(dial));
}

void VCardReader::TakeAddress(const ContentLine& line, const std::vector<std::wstring>& parts, VCardContact& contact)
{
    if (Count(contact, L"ADDR_TYPE_") > 0) {
        contact.notes.push_back("a second address has no place on the handset");
        return;
    }
    if (!parts[0].empty())
        contact.notes.push_back("the address's post office box has no place on the handset");
    const wchar_t* const columns[] = {nullptr, L"ADDR_EXTADDR_0", L"ADDR_STREET_0", L"ADDR_LOCALITY_0",
                                      L"ADDR_REGION_0", L"ADDR_POSTALCODE_0", L"ADDR_COUNTRY_0"};
    for (size_t part = 1; part < parts.size() && part < 7; ++part)
        contact.columns.emplace_back(columns[part], ContentLine::Unescaped(parts[part]));
    contact.columns.emplace_back(L"ADDR_TYPE_0", line.HasParameterValue("TYPE", "WORK") ? L"business" : L"private");
}

void VCardReader::TakeBirthday(const std::wstring& text, VCardContact& contact)
{
    // 1991-04-12 or 19910412, either with a time after a "T".
    int year = 0, month = 0, day = 0;
    bool extended = text.size() >= 10 && text[4] == L'-' && text[7] == L'-';
    size_t end = extended ? 10 : 8;
    bool read = extended ? Digits(text, 0, 4, year) && Digits(text, 5, 2, month) && Digits(text, 8, 2, day)
                         : Digits(text, 0, 4, year) && Digits(text, 4, 2, month) && Digits(text, 6, 2, day);
    read = read && (text.size() == end || text[end] == L'T') && IsDate(year, month, day);
    if (!read) {
        contact.notes.push_back("birthday \"" + Narrow(text) + "\" is not a date the handset can store");
        return;
    }
    wchar_t date[16];
    swprintf(date, 16, L"%04d-%02d-%02d", year, month, day);
    contact.columns.emplace_back(L"BIRTHDAY", date);
}

void VCardReader::TakeCategories(const std::wstring& text, VCardContact& contact)
{
    for (const std::wstring& name : ContentLine::Split(text, L',')) {
        std::wstring group = ContentLine::Unescaped(name);
        if (group.empty())
            continue;
        size_t n = Count(contact, L"GROUP_NAME_");
        if (n >= kMostNumbers) {
            contact.notes.push_back("group " + Narrow(group) + " has no place on the handset");
            continue;
        }
        contact.columns.emplace_back(L"GROUP_NAME_" + std::to_wstring(n), group);
    }
}

size_t VCardReader::Count(const VCardContact& contact, const std::wstring& prefix)
{
    size_t count = 0;
    for (const auto& [name, value] : contact.columns)
        count += name.compare(0, prefix.size(), prefix) == 0 ? 1 : 0;
    return count;
}

void VCardReader::Finish(VCardContact& contact, const std::wstring& formattedName)
{
    std::wstring first, last;
    for (const auto& [name, value] : contact.columns) {
        if (name == L"FIRST_NAME")
            first = value;
        else if (name == L"LAST_NAME")
            last = value;
    }
    // Without a structured name the formatted name is the whole name.
    if (first.empty() && last.empty() && !formattedName.empty()) {
        contact.columns.emplace_back(L"FIRST_NAME", formattedName);
        first = formattedName;
    }
    if (!formattedName.empty())
        contact.label = formattedName;
    else if (!first.empty() || !last.empty())
        contact.label = first.empty() || last.empty() ? first + last : first + L" " + last;
    else
        contact.label = L"the contact on line " + std::to_wstring(contact.lineNumber);
    bool holdsSomething = false;
    for (const auto& [name, value] : contact.columns)
        holdsSomething = holdsSomething || (!value.empty() && name.rfind(L"_TYPE_") == std::wstring::npos);
    if (!holdsSomething && contact.problem.empty())
        contact.problem = "it holds nothing the handset can store";
}

}  // namespace kelvra::host
