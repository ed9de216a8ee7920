#include "ContentLineReader.h"

#include "ComTypes.h"

namespace kelvra::host {

namespace {

bool IsNameCharacter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
}

std::string Utf8OfUtf16(const std::string& bytes, bool bigEndian)
{
    std::wstring wide;
    for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
        unsigned char low = static_cast<unsigned char>(bytes[bigEndian ? i + 1 : i]);
        unsigned char high = static_cast<unsigned char>(bytes[bigEndian ? i : i + 1]);
        wide += static_cast<wchar_t>(low | (high << 8));
    }
    return NarrowUtf8(wide);
}

}  // namespace

ContentLineError::ContentLineError(size_t lineNumber, const std::string& what)
    : std::runtime_error("line " + std::to_string(lineNumber) + ": " + what), m_lineNumber(lineNumber)
{
}

ContentLineReader::ContentLineReader(std::string text)
{
    text = WithoutByteOrderMark(std::move(text));
    size_t number = 1;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        m_lines.push_back({std::move(line), number++});
        start = end + 1;
    }
}

std::string ContentLineReader::WithoutByteOrderMark(std::string text)
{
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0)
        return text.substr(3);
    if (text.compare(0, 2, "\xFF\xFE") == 0)
        return Utf8OfUtf16(text, false);
    if (text.compare(0, 2, "\xFE\xFF") == 0)
        return Utf8OfUtf16(text, true);
    return text;
}

bool ContentLineReader::IsQuotedPrintable(const std::string& line)
{
    size_t colon = line.find(':');
    return colon != std::string::npos && UpperAscii(line.substr(0, colon)).find("QUOTED-PRINTABLE") != std::string::npos;
}

bool ContentLineReader::Next(ContentLine& line)
{
    while (m_next < m_lines.size() && m_lines[m_next].text.empty())
        ++m_next;
    if (m_next >= m_lines.size())
        return false;
    const Physical& first = m_lines[m_next++];
    std::string logical = first.text;
    for (;;) {
        if (m_next >= m_lines.size())
            break;
        const std::string& following = m_lines[m_next].text;
        if (!logical.empty() && logical.back() == '=' && IsQuotedPrintable(logical)) {
            logical.pop_back();  // a quoted-printable soft line break
            logical += following;
        } else if (!following.empty() && (following[0] == ' ' || following[0] == '\t')) {
            logical += following.substr(1);  // a folded line
        } else {
            break;
        }
        ++m_next;
    }
    Parse(logical, first.number, line);
    return true;
}

void ContentLineReader::Parse(const std::string& logical, size_t number, ContentLine& line)
{
    line = ContentLine();
    line.lineNumber = number;
    size_t at = 0;
    while (at < logical.size() && (IsNameCharacter(logical[at]) || logical[at] == '.'))
        ++at;
    std::string name = logical.substr(0, at);
    size_t dot = name.find('.');
    if (dot != std::string::npos) {
        line.group = name.substr(0, dot);
        name = name.substr(dot + 1);
    }
    bool nameEnds = at < logical.size() && (logical[at] == ';' || logical[at] == ':');
    if (name.empty() || !nameEnds || name.find('.') != std::string::npos || line.group.find('.') != std::string::npos)
        throw ContentLineError(number, "this is not a content line (\"NAME:value\")");
    line.name = UpperAscii(name);
    while (at < logical.size() && logical[at] == ';')
        at = ParseParameter(logical, at + 1, number, line);
    if (at >= logical.size() || logical[at] != ':')
        throw ContentLineError(number, "the " + line.name + " line has no \":\" before its value");
    line.value = logical.substr(at + 1);
}

size_t ContentLineReader::ParseParameter(const std::string& text, size_t at, size_t number, ContentLine& line)
{
    size_t start = at;
    while (at < text.size() && IsNameCharacter(text[at]))
        ++at;
    if (at == start)
        throw ContentLineError(number, "a parameter of the " + line.name + " line has no name");
    ContentParameter parameter;
    std::string name = UpperAscii(text.substr(start, at - start));
    if (at >= text.size() || text[at] != '=') {
        // vCard 2.1 writes types bare: "TEL;HOME;VOICE:".
        bool encoding = name == "QUOTED-PRINTABLE" || name == "BASE64" || name == "8BIT" || name == "7BIT";
        parameter.name = encoding ? "ENCODING" : "TYPE";
        parameter.values.push_back(name);
        line.parameters.push_back(std::move(parameter));
        return at;
    }
    parameter.name = name;
    ++at;
    for (;;) {
        std::string value;
        if (at < text.size() && text[at] == '"') {
            size_t close = text.find('"', at + 1);
            if (close == std::string::npos)
                throw ContentLineError(number, "a quoted parameter of the " + line.name + " line never ends");
            value = text.substr(at + 1, close - at - 1);
            at = close + 1;
        } else {
            size_t end = text.find_first_of(",;:", at);
            if (end == std::string::npos)
                end = text.size();
            value = text.substr(at, end - at);
            at = end;
        }
        parameter.values.push_back(std::move(value));
        if (at < text.size() && text[at] == ',') {
            ++at;
            continue;
        }
        break;
    }
    line.parameters.push_back(std::move(parameter));
    return at;
}

}  // namespace kelvra::host
