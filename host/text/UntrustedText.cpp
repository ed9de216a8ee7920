#include "UntrustedText.h"

#include <cstdio>

namespace kelvra::host {

namespace {

// The length of the UTF-8 sequence at the start of the text and its code point; 0 when
// the bytes there are no well-formed sequence.
size_t Sequence(const std::string& text, size_t at, unsigned& codePoint)
{
    unsigned char lead = static_cast<unsigned char>(text[at]);
    size_t length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 0;
    if (length == 0 || at + length > text.size())
        return 0;
    codePoint = length == 1 ? lead : lead & (0x7F >> length);
    for (size_t i = 1; i < length; ++i) {
        unsigned char next = static_cast<unsigned char>(text[at + i]);
        if ((next & 0xC0) != 0x80)
            return 0;
        codePoint = (codePoint << 6) | (next & 0x3F);
    }
    static const unsigned kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
    bool wellFormed = codePoint >= kLeast[length] && codePoint <= 0x10FFFF && (codePoint < 0xD800 || codePoint > 0xDFFF);
    return wellFormed ? length : 0;
}

bool IsControl(unsigned c)
{
    bool bidi = (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069) || c == 0x200E || c == 0x200F;
    return c < 0x20 || (c >= 0x7F && c < 0xA0) || bidi;
}

}  // namespace

std::string Shown(const std::string& utf8)
{
    std::string out;
    char escape[12];
    for (size_t at = 0; at < utf8.size();) {
        unsigned c = 0;
        size_t length = Sequence(utf8, at, c);
        if (length == 0) {
            snprintf(escape, sizeof escape, "\\x%02X", static_cast<unsigned char>(utf8[at]));
            out += escape;
            ++at;
            continue;
        }
        if (IsControl(c)) {
            snprintf(escape, sizeof escape, c < 0x100 ? "\\x%02X" : "\\u%04X", c);
            out += escape;
        } else {
            out.append(utf8, at, length);
        }
        at += length;
    }
    return out;
}

}  // namespace kelvra::host
