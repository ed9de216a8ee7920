// Text in a named character set ("EUC-KR", "ISO-8859-1", "windows-1252" ...) as UTF-16,
// through the names and code pages Windows knows (MLang and MultiByteToWideChar).
#pragma once

#include <string>

namespace kelvra::host {

class CharsetDecoder {
public:
    // False with a reason when the set is unknown or the bytes are not text in it.
    static bool Decode(const std::string& bytes, const std::string& charset, std::wstring& text, std::string& problem);
    // Strict UTF-8: false for bytes that are not UTF-8.
    static bool DecodeUtf8(const std::string& bytes, std::wstring& text);

private:
    static unsigned CodePageOf(const std::string& charset);
    static unsigned CodePageFromMLang(const std::string& charset);
};

}  // namespace kelvra::host
