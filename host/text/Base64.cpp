#include "Base64.h"

namespace kelvra::host {

namespace {

const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int SextetOf(char c)
{
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 26;
    if (c >= '0' && c <= '9')
        return c - '0' + 52;
    return c == '+' ? 62 : c == '/' ? 63 : -1;
}

}  // namespace

std::string Base64Encoded(const std::string& bytes)
{
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    for (size_t i = 0; i < bytes.size(); i += 3) {
        unsigned group = static_cast<unsigned char>(bytes[i]) << 16;
        if (i + 1 < bytes.size())
            group |= static_cast<unsigned char>(bytes[i + 1]) << 8;
        if (i + 2 < bytes.size())
            group |= static_cast<unsigned char>(bytes[i + 2]);
        out += kAlphabet[(group >> 18) & 0x3F];
        out += kAlphabet[(group >> 12) & 0x3F];
        out += i + 1 < bytes.size() ? kAlphabet[(group >> 6) & 0x3F] : '=';
        out += i + 2 < bytes.size() ? kAlphabet[group & 0x3F] : '=';
    }
    return out;
}

bool Base64Decoded(const std::string& text, std::string& bytes)
{
    bytes.clear();
    unsigned group = 0;
    int sextets = 0;
    bool padded = false;
    for (char c : text) {
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n')
            continue;
        if (c == '=') {
            padded = true;
            continue;
        }
        int sextet = SextetOf(c);
        if (sextet < 0 || padded)
            return false;  // not base64, or text after the padding
        group = (group << 6) | static_cast<unsigned>(sextet);
        if (++sextets == 4) {
            bytes += static_cast<char>(group >> 16);
            bytes += static_cast<char>(group >> 8);
            bytes += static_cast<char>(group);
            group = 0;
            sextets = 0;
        }
    }
    if (sextets == 1)
        return false;
    if (sextets >= 2)
        bytes += static_cast<char>(group >> (sextets == 2 ? 4 : 10));
    if (sextets == 3)
        bytes += static_cast<char>(group >> 2);
    return true;
}

}  // namespace kelvra::host
