#include "VCardWriter.h"

#include <algorithm>
#include <vector>

#include "Base64.h"
#include "ComTypes.h"
#include "ContactPicture.h"
#include "ContentLine.h"
#include "ContentLineWriter.h"
#include "WholeFile.h"

namespace kelvra::host {

namespace {

using Columns = std::map<std::wstring, std::wstring>;

std::wstring Get(const Columns& columns, const std::wstring& name)
{
    auto found = columns.find(name);
    return found == columns.end() ? std::wstring() : found->second;
}

std::wstring Esc(const std::wstring& text)
{
    return ContentLine::Escaped(text);
}

std::string NumberTypes(const std::wstring& type)
{
    if (type == L"Mobile.Private" || type == L"Mobile")
        return "CELL,HOME";
    if (type == L"Mobile.Business")
        return "CELL,WORK";
    if (type == L"Landline.Private")
        return "VOICE,HOME";
    if (type == L"Landline.Business")
        return "VOICE,WORK";
    if (type == L"Fax")
        return "FAX";
    return "VOICE";
}

}  // namespace

std::wstring VCardWriter::LastNameOf(const Columns& columns)
{
    std::wstring last = Get(columns, L"LAST_NAME");
    std::wstring first = Get(columns, L"FIRST_NAME");
    std::wstring full = Get(columns, L"DISPLAY_NAME");
    if (!last.empty() || full.empty() || first.empty() || full == first)
        return last;
    if (full.size() > first.size() && full.compare(full.size() - first.size(), first.size(), first) == 0)
        return full.substr(0, full.size() - first.size());
    // The given name first, after an honorific or not: "Grace Hopper", "Dr. Zoë Müller".
    std::wstring lead = first + L" ";
    size_t at = full.compare(0, lead.size(), lead) == 0 ? 0 : full.find(L" " + lead);
    if (at == std::wstring::npos)
        return last;
    size_t start = at == 0 ? lead.size() : at + 1 + lead.size();
    return full.substr(start);
}

bool VCardWriter::FamilyNameFirst(const std::wstring& first, const std::wstring& last)
{
    for (wchar_t c : last + first) {
        bool hangul = (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0x1100 && c <= 0x11FF) || (c >= 0x3130 && c <= 0x318F);
        bool han = (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0x3400 && c <= 0x4DBF);
        bool kana = c >= 0x3040 && c <= 0x30FF;
        if (hangul || han || kana)
            return true;
    }
    return false;
}

std::wstring VCardWriter::NameAsWritten(const std::wstring& first, const std::wstring& last)
{
    if (first.empty() || last.empty())
        return first + last;
    return FamilyNameFirst(first, last) ? last + first : first + L" " + last;
}

bool VCardWriter::MadeByTheModel(const std::wstring& full, const std::wstring& first, const std::wstring& last)
{
    // What a model makes of the names: last then first with no blank, first and last
    // with one (a blank alone after a first name without a last), or the first name.
    return full.empty() || full == last + first || full == first + L" " + last || full == first || full == last;
}

namespace {

ContentLine Typed(const char* name, const std::string& types, const std::wstring& value)
{
    ContentLine line;
    line.name = name;
    ContentParameter type{"TYPE", {}};
    for (size_t start = 0; start <= types.size();) {
        size_t comma = std::min(types.find(',', start), types.size());
        type.values.push_back(types.substr(start, comma - start));
        start = comma + 1;
    }
    line.parameters.push_back(type);
    line.value = NarrowUtf8(value);
    return line;
}

// Where the text holds the words of a name, not a part of a word; npos when it does not.
size_t WholeWordsAt(const std::wstring& text, const std::wstring& words)
{
    for (size_t at = words.empty() ? std::wstring::npos : text.find(words); at != std::wstring::npos;
         at = text.find(words, at + 1)) {
        size_t end = at + words.size();
        if ((at == 0 || text[at - 1] == L' ') && (end == text.size() || text[end] == L' '))
            return at;
    }
    return std::wstring::npos;
}

// The full name as the person writes it, unless it was edited on the handset: an edited
// name is kept as it is, and what it holds before and after the names (an honorific, a
// generation) is the name's prefix and suffix.
void Names(const Columns& columns, std::string& out)
{
    std::wstring first = Get(columns, L"FIRST_NAME");
    std::wstring last = VCardWriter::LastNameOf(columns);
    std::wstring full = Get(columns, L"DISPLAY_NAME");
    // A contact the handset keeps only a full name for still gets a name: with no first
    // name, what the full name holds is the last name.
    if (first.empty() && last.empty())
        last = full;
    std::wstring written = VCardWriter::NameAsWritten(first, last);
    std::wstring prefix, suffix;
    if (VCardWriter::MadeByTheModel(full, first, last)) {
        full = written;
    } else if (size_t at = WholeWordsAt(full, written); at != std::wstring::npos) {
        auto trimmed = [](std::wstring text) {
            text.erase(0, text.find_first_not_of(L' '));
            text.erase(text.find_last_not_of(L' ') + 1);
            return text;
        };
        prefix = trimmed(full.substr(0, at));
        suffix = trimmed(full.substr(at + written.size()));
    }
    out += ContentLineWriter::Line("N", Esc(last) + L";" + Esc(first) + L";;" + Esc(prefix) + L";" + Esc(suffix));
    out += ContentLineWriter::Line("FN", Esc(full));
}

// The picture the listing brought into the photo cache, written inline.
void Picture(const Columns& columns, std::string& out)
{
    std::wstring path = Get(columns, L"PHOTO_LOCAL_PATH");
    if (Get(columns, L"PHOTO_TYPE") != L"IMAGE_PHOTO" || path.empty())
        return;
    std::string bytes = ReadWhole(path);
    std::string format = PictureFormatOf(bytes);
    ContentLine line;
    line.name = "PHOTO";
    line.parameters = {{"ENCODING", {"b"}}};
    if (!format.empty())  // a picture of another format the handset showed goes untyped
        line.parameters.push_back({"TYPE", {format == "jpg" ? "JPEG" : UpperAscii(format)}});
    line.value = Base64Encoded(bytes);
    out += ContentLineWriter::Line(line);
}

void Numbers(const Columns& columns, std::string& out)
{
    for (int n = 0; n < 10; ++n) {
        std::wstring index = std::to_wstring(n);
        std::wstring number = Get(columns, L"TEL_NUM_" + index);
        if (number.empty())
            continue;
        std::wstring type = Get(columns, L"TEL_TYPE_" + index);
        ContentLine line = Typed("TEL", NumberTypes(type), Esc(number));
        if (!type.empty())
            line.parameters.push_back({"X-KELVRA-TYPE", {NarrowUtf8(type)}});
        std::wstring dial = Get(columns, L"TEL_DIAL_" + index);
        if (!dial.empty())
            line.parameters.push_back({"X-KELVRA-DIAL", {NarrowUtf8(dial)}});
        out += ContentLineWriter::Line(line);
    }
}

void Address(const Columns& columns, std::string& out)
{
    const wchar_t* const parts[] = {L"ADDR_EXTADDR_0", L"ADDR_STREET_0", L"ADDR_LOCALITY_0", L"ADDR_REGION_0",
                                    L"ADDR_POSTALCODE_0", L"ADDR_COUNTRY_0"};
    std::wstring address;
    bool any = false;
    for (const wchar_t* part : parts) {
        address += L";" + Esc(Get(columns, part));
        any = any || !Get(columns, part).empty();
    }
    if (any)
        out += ContentLineWriter::Line(
            Typed("ADR", Get(columns, L"ADDR_TYPE_0") == L"business" ? "WORK" : "HOME", address));
}

void Groups(const Columns& columns, const Columns& groupNames, std::string& out)
{
    std::wstring names;
    for (int n = 0; n < 10; ++n) {
        auto name = groupNames.find(Get(columns, L"GROUP_ID_" + std::to_wstring(n)));
        if (name != groupNames.end())
            names += (names.empty() ? L"" : L",") + Esc(name->second);
    }
    if (!names.empty())
        out += ContentLineWriter::Line("CATEGORIES", names);
}

}  // namespace

std::string VCardWriter::Write(const Columns& columns, const Columns& groupNames)
{
    std::string out = ContentLineWriter::Line("BEGIN", L"VCARD") + ContentLineWriter::Line("VERSION", L"3.0");
    Names(columns, out);
    Numbers(columns, out);
    for (int n = 0; n < 2; ++n) {
        std::wstring index = std::to_wstring(n);
        std::wstring address = Get(columns, L"EMAIL_ADDR_" + index);
        if (!address.empty())
            out += ContentLineWriter::Line(Typed(
                "EMAIL", Get(columns, L"EMAIL_TYPE_" + index) == L"business" ? "INTERNET,WORK" : "INTERNET,HOME",
                Esc(address)));
    }
    // A URL is a URI, written as it is: text escapes would change it.
    if (!Get(columns, L"URL_ADDR_0").empty())
        out += ContentLineWriter::Line("URL", Get(columns, L"URL_ADDR_0"));
    Address(columns, out);
    if (!Get(columns, L"BIRTHDAY").empty())
        out += ContentLineWriter::Line("BDAY", Get(columns, L"BIRTHDAY"));
    if (!Get(columns, L"NOTES").empty())
        out += ContentLineWriter::Line("NOTE", Esc(Get(columns, L"NOTES")));
    Groups(columns, groupNames, out);
    Picture(columns, out);
    return out + ContentLineWriter::Line("END", L"VCARD");
}

}  // namespace kelvra::host
