#include "VCard.h"

#include <cwctype>
#include <sstream>

#include "ComFailure.h"
#include "ComTypes.h"

namespace kelvra::tools {

namespace {

using Columns = std::map<std::wstring, std::wstring>;

std::wstring Get(const Columns& columns, const std::wstring& name)
{
    auto found = columns.find(name);
    return found == columns.end() ? std::wstring() : found->second;
}

std::wstring NumberTypes(const std::wstring& type)
{
    if (type == L"Mobile.Private" || type == L"Mobile")
        return L"CELL,HOME";
    if (type == L"Mobile.Business")
        return L"CELL,WORK";
    if (type == L"Landline.Private")
        return L"VOICE,HOME";
    if (type == L"Landline.Business")
        return L"VOICE,WORK";
    if (type == L"Fax")
        return L"FAX";
    return L"VOICE";
}

std::wstring NumberTypeFromVCard(const std::wstring& types)
{
    bool cell = types.find(L"CELL") != std::wstring::npos;
    bool work = types.find(L"WORK") != std::wstring::npos;
    if (types.find(L"FAX") != std::wstring::npos)
        return L"Fax";
    if (cell)
        return work ? L"Mobile.Business" : L"Mobile.Private";
    return work ? L"Landline.Business" : L"Landline.Private";
}

// The last name the handset folded into the full name, when the record kept none.
std::wstring LastNameOf(const Columns& columns)
{
    std::wstring last = Get(columns, L"LAST_NAME");
    std::wstring first = Get(columns, L"FIRST_NAME");
    std::wstring full = Get(columns, L"DISPLAY_NAME");
    if (!last.empty() || full.empty() || first.empty() || full == first)
        return last;
    if (full.size() > first.size() && full.compare(full.size() - first.size(), first.size(), first) == 0)
        return full.substr(0, full.size() - first.size());
    if (full.compare(0, first.size() + 1, first + L" ") == 0)
        return full.substr(first.size() + 1);
    return last;
}

std::wstring Upper(std::wstring text)
{
    for (wchar_t& c : text)
        c = static_cast<wchar_t>(std::towupper(c));
    return text;
}

// A content line split into its name, its parameters and its value.
struct ContentLine {
    std::wstring name;
    std::map<std::wstring, std::wstring> parameters;
    std::wstring value;
};

ContentLine ParseLine(const std::wstring& line)
{
    ContentLine parsed;
    size_t colon = line.find(L':');
    if (colon == std::wstring::npos)
        throw UsageError("a vCard line has no value: " + NarrowUtf8(line));
    std::wstring head = line.substr(0, colon);
    parsed.value = line.substr(colon + 1);
    size_t start = 0;
    bool first = true;
    while (start <= head.size()) {
        size_t semicolon = head.find(L';', start);
        std::wstring part = head.substr(start, semicolon == std::wstring::npos ? std::wstring::npos : semicolon - start);
        if (first) {
            size_t dot = part.find(L'.');  // a group prefix such as "item1."
            parsed.name = Upper(dot == std::wstring::npos ? part : part.substr(dot + 1));
            first = false;
        } else if (!part.empty()) {
            size_t equals = part.find(L'=');
            std::wstring key = Upper(equals == std::wstring::npos ? L"TYPE" : part.substr(0, equals));
            std::wstring value = equals == std::wstring::npos ? part : part.substr(equals + 1);
            std::wstring& kept = parsed.parameters[key];
            kept += (kept.empty() ? L"" : L",") + value;
        }
        if (semicolon == std::wstring::npos)
            break;
        start = semicolon + 1;
    }
    return parsed;
}

// The parts of a structured value, split at unescaped semicolons.
std::vector<std::wstring> Parts(const std::wstring& value)
{
    std::vector<std::wstring> parts(1);
    for (size_t i = 0; i < value.size(); ++i) {
        if (value[i] == L'\\' && i + 1 < value.size()) {
            parts.back() += value[i];
            parts.back() += value[++i];
        } else if (value[i] == L';') {
            parts.emplace_back();
        } else {
            parts.back() += value[i];
        }
    }
    return parts;
}

}  // namespace

std::wstring VCard::Escaped(const std::wstring& value)
{
    std::wstring out;
    for (wchar_t c : value) {
        if (c == L'\\' || c == L',' || c == L';')
            out += L'\\';
        if (c == L'\n') {
            out += L"\\n";
            continue;
        }
        if (c != L'\r')
            out += c;
    }
    return out;
}

std::wstring VCard::Unescaped(const std::wstring& value)
{
    std::wstring out;
    for (size_t i = 0; i < value.size(); ++i) {
        if (value[i] == L'\\' && i + 1 < value.size()) {
            wchar_t next = value[++i];
            out += next == L'n' || next == L'N' ? L'\n' : next;
        } else {
            out += value[i];
        }
    }
    return out;
}

std::string VCard::Folded(const std::wstring& line)
{
    std::string bytes = NarrowUtf8(line);
    std::string out;
    size_t width = 0;
    for (size_t i = 0; i < bytes.size(); ++i) {
        // Lines are cut at 75 octets, never inside a UTF-8 sequence.
        bool continuation = (static_cast<unsigned char>(bytes[i]) & 0xC0) == 0x80;
        if (width >= 74 && !continuation) {
            out += "\r\n ";
            width = 1;
        }
        out += bytes[i];
        ++width;
    }
    return out + "\r\n";
}

std::string VCard::Write(const Columns& columns, const Columns& groupNames)
{
    std::vector<std::wstring> lines = {L"BEGIN:VCARD", L"VERSION:3.0"};
    std::wstring first = Get(columns, L"FIRST_NAME");
    std::wstring last = LastNameOf(columns);
    std::wstring full = Get(columns, L"DISPLAY_NAME");
    if (full.empty())
        full = last.empty() ? first : first + L" " + last;
    lines.push_back(L"N:" + Escaped(last) + L";" + Escaped(first) + L";;;");
    lines.push_back(L"FN:" + Escaped(full));
    for (int n = 0; n < 10; ++n) {
        std::wstring number = Get(columns, L"TEL_NUM_" + std::to_wstring(n));
        if (number.empty())
            continue;
        std::wstring type = Get(columns, L"TEL_TYPE_" + std::to_wstring(n));
        std::wstring line = L"TEL;TYPE=" + NumberTypes(type);
        if (!type.empty())
            line += L";X-KELVRA-TYPE=" + type;
        std::wstring dial = Get(columns, L"TEL_DIAL_" + std::to_wstring(n));
        if (!dial.empty())
            line += L";X-KELVRA-DIAL=" + dial;
        lines.push_back(line + L":" + Escaped(number));
    }
    for (int n = 0; n < 2; ++n) {
        std::wstring address = Get(columns, L"EMAIL_ADDR_" + std::to_wstring(n));
        if (!address.empty())
            lines.push_back(std::wstring(L"EMAIL;TYPE=INTERNET,") +
                            (Get(columns, L"EMAIL_TYPE_" + std::to_wstring(n)) == L"business" ? L"WORK" : L"HOME") +
                            L":" + Escaped(address));
    }
    if (!Get(columns, L"URL_ADDR_0").empty())
        lines.push_back(L"URL:" + Escaped(Get(columns, L"URL_ADDR_0")));
    const wchar_t* const addressParts[] = {L"ADDR_EXTADDR_0", L"ADDR_STREET_0", L"ADDR_LOCALITY_0", L"ADDR_REGION_0",
                                           L"ADDR_POSTALCODE_0", L"ADDR_COUNTRY_0"};
    std::wstring address;
    bool anyAddress = false;
    for (const wchar_t* part : addressParts) {
        address += L";" + Escaped(Get(columns, part));
        anyAddress = anyAddress || !Get(columns, part).empty();
    }
    if (anyAddress)
        lines.push_back(std::wstring(L"ADR;TYPE=") +
                        (Get(columns, L"ADDR_TYPE_0") == L"business" ? L"WORK" : L"HOME") + L":" + address);
    if (!Get(columns, L"BIRTHDAY").empty())
        lines.push_back(L"BDAY:" + Get(columns, L"BIRTHDAY"));
    if (!Get(columns, L"NOTES").empty())
        lines.push_back(L"NOTE:" + Escaped(Get(columns, L"NOTES")));
    std::wstring names;
    for (int n = 0; n < 10; ++n) {
        auto name = groupNames.find(Get(columns, L"GROUP_ID_" + std::to_wstring(n)));
        if (name != groupNames.end())
            names += (names.empty() ? L"" : L",") + Escaped(name->second);
    }
    if (!names.empty())
        lines.push_back(L"CATEGORIES:" + names);
    lines.push_back(L"END:VCARD");

    std::string out;
    for (const std::wstring& line : lines)
        out += Folded(line);
    return out;
}

std::vector<ContactColumns> VCard::Read(const std::string& text)
{
    // Unfold: a line break followed by a blank or a tab continues the line.
    std::wstring unfolded;
    std::wstring wide = WidenUtf8(text);
    for (size_t i = 0; i < wide.size(); ++i) {
        if (wide[i] == L'\r')
            continue;
        if (wide[i] == L'\n' && i + 1 < wide.size() && (wide[i + 1] == L' ' || wide[i + 1] == L'\t')) {
            ++i;
            continue;
        }
        unfolded += wide[i];
    }

    std::vector<ContactColumns> contacts;
    ContactColumns* current = nullptr;
    int numbers = 0, emails = 0, groups = 0;
    std::wstringstream stream(unfolded);
    std::wstring line;
    while (std::getline(stream, line)) {
        if (line.empty())
            continue;
        ContentLine parsed = ParseLine(line);
        if (parsed.name == L"BEGIN" && Upper(parsed.value) == L"VCARD") {
            contacts.emplace_back();
            current = &contacts.back();
            numbers = emails = groups = 0;
            continue;
        }
        if (!current)
            throw UsageError("the file holds a line outside any vCard: " + NarrowUtf8(line));
        auto set = [&](const std::wstring& column, const std::wstring& value) { current->emplace_back(column, value); };
        std::vector<std::wstring> parts = Parts(parsed.value);
        if (parsed.name == L"N") {
            set(L"LAST_NAME", Unescaped(parts[0]));
            if (parts.size() > 1)
                set(L"FIRST_NAME", Unescaped(parts[1]));
        } else if (parsed.name == L"TEL" && numbers < 10) {
            std::wstring type = parsed.parameters.count(L"X-KELVRA-TYPE")
                                    ? parsed.parameters[L"X-KELVRA-TYPE"]
                                    : NumberTypeFromVCard(Upper(parsed.parameters[L"TYPE"]));
            set(L"TEL_NUM_" + std::to_wstring(numbers), Unescaped(parsed.value));
            set(L"TEL_TYPE_" + std::to_wstring(numbers), type);
            if (parsed.parameters.count(L"X-KELVRA-DIAL"))
                set(L"TEL_DIAL_" + std::to_wstring(numbers), parsed.parameters[L"X-KELVRA-DIAL"]);
            ++numbers;
        } else if (parsed.name == L"EMAIL" && emails < 2) {
            set(L"EMAIL_ADDR_" + std::to_wstring(emails), Unescaped(parsed.value));
            bool work = Upper(parsed.parameters[L"TYPE"]).find(L"WORK") != std::wstring::npos;
            set(L"EMAIL_TYPE_" + std::to_wstring(emails), work ? L"business" : L"private");
            ++emails;
        } else if (parsed.name == L"URL") {
            set(L"URL_ADDR_0", Unescaped(parsed.value));
        } else if (parsed.name == L"ADR") {
            const wchar_t* const columns[] = {nullptr, L"ADDR_EXTADDR_0", L"ADDR_STREET_0", L"ADDR_LOCALITY_0",
                                              L"ADDR_REGION_0", L"ADDR_POSTALCODE_0", L"ADDR_COUNTRY_0"};
            for (size_t part = 1; part < parts.size() && part < 7; ++part)
                set(columns[part], Unescaped(parts[part]));
            bool work = Upper(parsed.parameters[L"TYPE"]).find(L"WORK") != std::wstring::npos;
            set(L"ADDR_TYPE_0", work ? L"business" : L"private");
        } else if (parsed.name == L"BDAY") {
            set(L"BIRTHDAY", parsed.value.substr(0, 10));
        } else if (parsed.name == L"NOTE") {
            set(L"NOTES", Unescaped(parsed.value));
        } else if (parsed.name == L"CATEGORIES") {
            std::wstring name;
            for (size_t i = 0; i <= parsed.value.size(); ++i) {
                bool end = i == parsed.value.size() || (parsed.value[i] == L',' && (i == 0 || parsed.value[i - 1] != L'\\'));
                if (!end) {
                    name += parsed.value[i];
                } else if (!name.empty() && groups < 10) {
                    set(L"GROUP_NAME_" + std::to_wstring(groups++), Unescaped(name));
                    name.clear();
                }
            }
        } else if (parsed.name == L"END") {
            current = nullptr;
        }
    }
    return contacts;
}

}  // namespace kelvra::tools
