#include "ContentLineReader.h"

#include <optional>

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

ContentLineReader::ContentLineReader(const std::string& text)
{
    Start(text);
}

ContentLineReader::ContentLineReader(std::string&& text) : m_owned(std::move(text))
{
    Start(m_owned);
}

void ContentLineReader::Start(std::string_view text)
{
    m_text = text;
    if (m_text.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        m_text.remove_prefix(3);
        m_skipped = 3;
    } else if (m_text.compare(0, 2, "\xFF\xFE") == 0 || m_text.compare(0, 2, "\xFE\xFF") == 0) {
        std::string converted = Utf8OfUtf16(std::string(text), text[0] == '\xFE');
        m_owned = std::move(converted);
        m_text = m_owned;
    }
}

bool ContentLineReader::Peek(std::string_view& line) const
{
    if (m_at >= m_text.size())
        return false;
    size_t end = m_text.find('\n', m_at);
    line = m_text.substr(m_at, end == std::string_view::npos ? std::string_view::npos : end - m_at);
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    return true;
}

void ContentLineReader::Advance()
{
    size_t end = m_text.find('\n', m_at);
    m_at = end == std::string_view::npos ? m_text.size() : end + 1;
    ++m_number;
}

bool ContentLineReader::IsQuotedPrintable(std::string_view line)
{
    size_t colon = line.find(':');
    return colon != std::string_view::npos &&
           UpperAscii(std::string(line.substr(0, colon))).find("QUOTED-PRINTABLE") != std::string::npos;
}

bool ContentLineReader::IsBoundary(std::string_view line)
{
    std::string start = UpperAscii(std::string(line.substr(0, 6)));
    return start == "BEGIN:" || start.compare(0, 4, "END:") == 0;
}

bool ContentLineReader::Next(ContentLine& line)
{
    std::string_view physical;
    while (Peek(physical) && physical.empty())
        Advance();
    if (!Peek(physical))
        return false;
    size_t number = m_number;
    m_lineStart = m_at;
    std::string logical(physical);
    Advance();
    // Whether the line is quoted-printable is settled by its first colon; a long folded
    // line is not searched again for each of its pieces.
    std::optional<bool> quotedPrintable;
    size_t searched = 0;
    auto isQuotedPrintable = [&] {
        if (!quotedPrintable) {
            size_t colon = logical.find(':', searched);
            searched = logical.size();
            if (colon == std::string::npos)
                return false;
            quotedPrintable = IsQuotedPrintable(std::string_view(logical).substr(0, colon + 1));
        }
        return *quotedPrintable;
    };
    std::string_view following;
    while (Peek(following)) {
        if (!logical.empty() && logical.back() == '=' && isQuotedPrintable()) {
            logical.pop_back();  // a quoted-printable soft line break
            // A writer that ends a value with a stray "=" does not get the vCard's end
            // or an empty line taken into the value.
            if (following.empty() || IsBoundary(following))
                break;
            logical += following;
        } else if (!following.empty() && (following[0] == ' ' || following[0] == '\t')) {
            logical += following.substr(m_keepFoldingBlanks ? 0 : 1);  // a folded line
        } else {
            break;
        }
        Advance();
    }
    m_lineEnd = m_at;
    Parse(logical, number, line);
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
