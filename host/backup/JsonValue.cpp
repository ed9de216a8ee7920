#include "JsonValue.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string_view>

#include "ComFailure.h"

namespace kelvra::host {

namespace {

constexpr int kMostDepth = 64;
// Each value held costs over a hundred bytes, many times the two bytes "0," it can be
// written in: the count is bounded so that a hostile file cannot take the memory.
constexpr size_t kMostValues = 1u << 20;

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool IsHigh(wchar_t unit)
{
    return unit >= 0xD800 && unit <= 0xDBFF;
}

bool IsLow(wchar_t unit)
{
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

void AppendUtf8(std::string& out, uint32_t code)
{
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

void AppendEscape(std::string& out, wchar_t unit)
{
    static const char kHex[] = "0123456789ABCDEF";
    out += "\\u";
    for (int shift = 12; shift >= 0; shift -= 4)
        out += kHex[(unit >> shift) & 0xF];
}

// The code point at units[i], a pair's two units joined (i then stands on the second);
// a lone surrogate is given as it is.
uint32_t CodeAt(const std::wstring& units, size_t& i)
{
    uint32_t code = static_cast<uint16_t>(units[i]);
    if (IsHigh(units[i]) && i + 1 < units.size() && IsLow(units[i + 1]))
        code = 0x10000 + ((code - 0xD800) << 10) + (static_cast<uint16_t>(units[++i]) - 0xDC00);
    return code;
}

bool IsSurrogate(uint32_t code)
{
    return code >= 0xD800 && code <= 0xDFFF;
}

// Units as UTF-8 for member names; a lone surrogate keeps its three-byte form, so two
// different names never become one.
std::string UnitsAsUtf8(const std::wstring& units)
{
    std::string out;
    for (size_t i = 0; i < units.size(); ++i)
        AppendUtf8(out, CodeAt(units, i));
    return out;
}

const char* KindName(JsonValue::Kind kind)
{
    switch (kind) {
    case JsonValue::Kind::Null: return "null";
    case JsonValue::Kind::Boolean: return "a boolean";
    case JsonValue::Kind::Number: return "a number";
    case JsonValue::Kind::String: return "a string";
    case JsonValue::Kind::Array: return "an array";
    case JsonValue::Kind::Object: return "an object";
    }
    return "a value";
}

void Want(JsonValue::Kind wanted, JsonValue::Kind found)
{
    if (wanted != found)
        throw InputError(std::string("JSON: ") + KindName(wanted) + " is wanted where there is " + KindName(found));
}

}  // namespace

// Reads one value from untrusted text; every fault names the byte where it was found.
class JsonParser {
public:
    explicit JsonParser(const std::string& text) : m_text(text) {}

    JsonValue Document()
    {
        JsonValue value = Value(0);
        SkipSpace();
        if (m_pos != m_text.size())
            Fail("there is more after the value");
        return value;
    }

private:
    [[noreturn]] void Fail(const std::string& what) const
    {
        throw InputError("JSON at byte " + std::to_string(m_pos) + ": " + what);
    }

    bool AtEnd() const { return m_pos >= m_text.size(); }
    char Peek() const { return AtEnd() ? '\0' : m_text[m_pos]; }

    void SkipSpace()
    {
        while (!AtEnd() && (Peek() == ' ' || Peek() == '\t' || Peek() == '\n' || Peek() == '\r'))
            ++m_pos;
    }

    void Expect(char c)
    {
        if (AtEnd() || Peek() != c)
            Fail(AtEnd() ? std::string("the text ends where '") + c + "' is wanted"
                         : std::string("'") + c + "' is wanted");
        ++m_pos;
    }

    JsonValue Value(int depth)
    {
        SkipSpace();
        if (AtEnd())
            Fail("the text ends where a value is wanted");
        if (++m_values > kMostValues)
            Fail("the text holds more than " + std::to_string(kMostValues) + " values");
        JsonValue value;
        char c = Peek();
        if (c == '{' || c == '[') {
            if (depth >= kMostDepth)
                Fail("nested deeper than " + std::to_string(kMostDepth));
            if (c == '{')
                ObjectInto(value, depth + 1);
            else
                ArrayInto(value, depth + 1);
        } else if (c == '"') {
            value.m_kind = JsonValue::Kind::String;
            value.m_text = String();
        } else if (c == '-' || IsDigit(c)) {
            value.m_kind = JsonValue::Kind::Number;
            value.m_number = NumberText();
        } else if (Word("true")) {
            value.m_kind = JsonValue::Kind::Boolean;
            value.m_boolean = true;
        } else if (Word("false")) {
            value.m_kind = JsonValue::Kind::Boolean;
        } else if (!Word("null")) {
            Fail("no JSON value starts here");
        }
        return value;
    }

    bool Word(const char* word)
    {
        std::string_view w(word);
        if (m_text.compare(m_pos, w.size(), w) != 0)
            return false;
        m_pos += w.size();
        return true;
    }

    // The members or items between open and close, separated by commas.
    template <class Each>
    void Sequence(char open, char close, Each each)
    {
        Expect(open);
        SkipSpace();
        if (Peek() == close) {
            ++m_pos;
            return;
        }
        for (;;) {
            each();
            SkipSpace();
            if (Peek() == close) {
                ++m_pos;
                return;
            }
            Expect(',');
        }
    }

    void ArrayInto(JsonValue& value, int depth)
    {
        value.m_kind = JsonValue::Kind::Array;
        Sequence('[', ']', [&] { value.m_items.push_back(Value(depth)); });
    }

    void ObjectInto(JsonValue& value, int depth)
    {
        value.m_kind = JsonValue::Kind::Object;
        Sequence('{', '}', [&] {
            SkipSpace();
            if (Peek() != '"')
                Fail("a member name in quotes is wanted");
            std::string name = UnitsAsUtf8(String());
            SkipSpace();
            Expect(':');
            value.m_members.emplace_back(std::move(name), Value(depth));
        });
    }

    size_t Digits()
    {
        size_t start = m_pos;
        while (!AtEnd() && IsDigit(Peek()))
            ++m_pos;
        if (m_pos == start)
            Fail("a digit is wanted");
        return m_pos - start;
    }

    std::string NumberText()
    {
        size_t start = m_pos;
        if (Peek() == '-')
            ++m_pos;
        bool leadingZero = Peek() == '0';
        if (Digits() > 1 && leadingZero)
            Fail("a number does not start with 0");
        if (Peek() == '.') {
            ++m_pos;
            Digits();
        }
        if (Peek() == 'e' || Peek() == 'E') {
            ++m_pos;
            if (Peek() == '+' || Peek() == '-')
                ++m_pos;
            Digits();
        }
        return m_text.substr(start, m_pos - start);
    }

    std::wstring String()
    {
        Expect('"');
        std::wstring units;
        for (;;) {
            if (AtEnd())
                Fail("the string is not closed");
            unsigned char c = static_cast<unsigned char>(Peek());
            if (c == '"') {
                ++m_pos;
                return units;
            }
            if (c < 0x20)
                Fail("a control character stands unescaped in a string");
            if (c == '\\')
                Escape(units);
            else if (c < 0x80)
                units += static_cast<wchar_t>(m_text[m_pos++]);
            else
                Utf8Sequence(units);
        }
    }

    void Escape(std::wstring& units)
    {
        ++m_pos;
        if (AtEnd())
            Fail("the string is not closed");
        char c = m_text[m_pos++];
        switch (c) {
        case '"': units += L'"'; return;
        case '\\': units += L'\\'; return;
        case '/': units += L'/'; return;
        case 'b': units += L'\b'; return;
        case 'f': units += L'\f'; return;
        case 'n': units += L'\n'; return;
        case 'r': units += L'\r'; return;
        case 't': units += L'\t'; return;
        case 'u': break;
        default: --m_pos; Fail("\\" + std::string(1, c) + " is no JSON escape");
        }
        // from_chars takes neither a sign nor a prefix for an unsigned number: only hex digits.
        unsigned unit = 0;
        const char* first = m_text.data() + m_pos;
        if (m_text.size() - m_pos < 4 || std::from_chars(first, first + 4, unit, 16).ptr != first + 4)
            Fail("\\u wants four hex digits");
        m_pos += 4;
        units += static_cast<wchar_t>(unit);
    }

    // Strict UTF-8: no overlong forms, no encoded surrogates, nothing above U+10FFFF.
    void Utf8Sequence(std::wstring& units)
    {
        unsigned char lead = static_cast<unsigned char>(m_text[m_pos]);
        int more = 0;
        uint32_t code = 0;
        uint32_t least = 0;
        if (lead >= 0xC2 && lead <= 0xDF) {
            more = 1, code = lead & 0x1F, least = 0x80;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            more = 2, code = lead & 0x0F, least = 0x800;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            more = 3, code = lead & 0x07, least = 0x10000;
        } else {
            Fail("invalid UTF-8");
        }
        if (m_text.size() - m_pos <= static_cast<size_t>(more))
            Fail("invalid UTF-8");
        for (int i = 1; i <= more; ++i) {
            unsigned char next = static_cast<unsigned char>(m_text[m_pos + i]);
            if ((next & 0xC0) != 0x80)
                Fail("invalid UTF-8");
            code = (code << 6) | (next & 0x3F);
        }
        if (code < least || code > 0x10FFFF || IsSurrogate(code))
            Fail("invalid UTF-8");
        m_pos += more + 1;
        if (code < 0x10000) {
            units += static_cast<wchar_t>(code);
        } else {
            code -= 0x10000;
            units += static_cast<wchar_t>(0xD800 + (code >> 10));
            units += static_cast<wchar_t>(0xDC00 + (code & 0x3FF));
        }
    }

    const std::string& m_text;
    size_t m_pos = 0;
    size_t m_values = 0;
};

JsonValue JsonValue::Parse(const std::string& text)
{
    return JsonParser(text).Document();
}

bool JsonValue::Boolean() const
{
    Want(Kind::Boolean, m_kind);
    return m_boolean;
}

double JsonValue::Number() const
{
    Want(Kind::Number, m_kind);
    double number = std::strtod(m_number.c_str(), nullptr);
    if (!std::isfinite(number))
        throw InputError("JSON: the number " + m_number + " is too large");
    return number;
}

int64_t JsonValue::Integer() const
{
    Want(Kind::Number, m_kind);
    if (m_number.find_first_of(".eE") != std::string::npos)
        throw InputError("JSON: " + m_number + " is not a whole number");
    bool negative = m_number[0] == '-';
    // Gathered as a negative number, whose range is one larger, so that INT64_MIN reads too.
    int64_t value = 0;
    for (size_t i = negative ? 1 : 0; i < m_number.size(); ++i) {
        int digit = m_number[i] - '0';
        if (value < (INT64_MIN + digit) / 10)
            throw InputError("JSON: " + m_number + " is too large");
        value = value * 10 - digit;
    }
    if (!negative) {
        if (value == INT64_MIN)
            throw InputError("JSON: " + m_number + " is too large");
        value = -value;
    }
    return value;
}

const std::wstring& JsonValue::Text() const
{
    Want(Kind::String, m_kind);
    return m_text;
}

const std::vector<JsonValue>& JsonValue::Items() const
{
    Want(Kind::Array, m_kind);
    return m_items;
}

const std::vector<std::pair<std::string, JsonValue>>& JsonValue::Members() const
{
    Want(Kind::Object, m_kind);
    return m_members;
}

const JsonValue* JsonValue::Find(const std::string& key) const
{
    for (const auto& [name, value] : Members()) {
        if (name == key)
            return &value;
    }
    return nullptr;
}

const JsonValue& JsonValue::At(const std::string& key) const
{
    const JsonValue* value = Find(key);
    if (!value)
        throw InputError("JSON: the object has no \"" + key + "\"");
    return *value;
}

std::string JsonText(const std::wstring& text)
{
    std::string out = "\"";
    for (size_t i = 0; i < text.size(); ++i) {
        wchar_t unit = text[i];
        if (unit == L'"' || unit == L'\\') {
            out += '\\';
            out += static_cast<char>(unit);
        } else if (unit == L'\n') {
            out += "\\n";
        } else if (unit == L'\t') {
            out += "\\t";
        } else if (unit == L'\r') {
            out += "\\r";
        } else if (unit < 0x20) {
            AppendEscape(out, unit);
        } else if (uint32_t code = CodeAt(text, i); IsSurrogate(code)) {
            AppendEscape(out, unit);
        } else {
            AppendUtf8(out, code);
        }
    }
    return out + "\"";
}

}  // namespace kelvra::host
