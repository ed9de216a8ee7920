#include "CharsetDecoder.h"

#include <windows.h>
#include <mlang.h>

#include "ComTypes.h"
#include "ContentLine.h"

namespace kelvra::host {

namespace {

// MLang's class and interface; MinGW's import libraries do not carry them.
const CLSID kMultiLanguage = {0x275c23e2, 0x3747, 0x11d0, {0x9f, 0xea, 0x00, 0xaa, 0x00, 0x3f, 0x86, 0x46}};
const IID kMultiLanguage2 = {0xdccfc164, 0x2b38, 0x11d2, {0xb7, 0xec, 0x00, 0xc0, 0x4f, 0x8f, 0x5d, 0x9a}};

constexpr unsigned kEucKr = 51949;
constexpr unsigned kUnifiedHangul = 949;  // a superset of EUC-KR

}  // namespace

bool CharsetDecoder::DecodeUtf8(const std::string& bytes, std::wstring& text)
{
    text.clear();
    if (bytes.empty())
        return true;
    int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(bytes.size()),
                                     nullptr, 0);
    if (length <= 0)
        return false;
    text.resize(static_cast<size_t>(length));
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(bytes.size()), text.data(),
                        length);
    return true;
}

unsigned CharsetDecoder::CodePageFromMLang(const std::string& charset)
{
    ComPtr<IMultiLanguage2> languages;
    if (FAILED(CoCreateInstance(kMultiLanguage, nullptr, CLSCTX_INPROC_SERVER, kMultiLanguage2,
                                reinterpret_cast<void**>(languages.GetAddressOf()))))
        return 0;
    MIMECSETINFO info = {};
    Bstr name(WidenUtf8(charset));
    if (FAILED(languages->GetCharsetInfo(name.Get(), &info)))
        return 0;
    return info.uiInternetEncoding;
}

unsigned CharsetDecoder::CodePageOf(const std::string& charset)
{
    std::string upper = UpperAscii(charset);
    if (upper == "UTF-8")
        return CP_UTF8;
    unsigned codePage = CodePageFromMLang(charset);
    // Not every system knows EUC-KR by that name or code page; its characters are the
    // same in the unified Hangul code page.
    if (upper == "EUC-KR" && (codePage == 0 || !IsValidCodePage(codePage)))
        codePage = IsValidCodePage(kEucKr) ? kEucKr : kUnifiedHangul;
    if (codePage == 0 && upper.compare(0, 2, "CP") == 0)
        codePage = static_cast<unsigned>(atoi(upper.c_str() + 2));
    if (codePage == 0 && upper.compare(0, 8, "WINDOWS-") == 0)
        codePage = static_cast<unsigned>(atoi(upper.c_str() + 8));
    return codePage != 0 && IsValidCodePage(codePage) ? codePage : 0;
}

bool CharsetDecoder::Decode(const std::string& bytes, const std::string& charset, std::wstring& text,
                            std::string& problem)
{
    unsigned codePage = CodePageOf(charset);
    if (codePage == 0) {
        problem = "the character set \"" + Printable(charset) + "\" is not one this system knows";
        return false;
    }
    if (codePage == CP_UTF8) {
        if (DecodeUtf8(bytes, text))
            return true;
        problem = "the text is not UTF-8";
        return false;
    }
    text.clear();
    if (bytes.empty())
        return true;
    int length = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(bytes.size()),
                                     nullptr, 0);
    if (length <= 0) {
        problem = "the text is not " + Printable(charset);
        return false;
    }
    text.resize(static_cast<size_t>(length));
    MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(bytes.size()), text.data(),
                        length);
    return true;
}

}  // namespace kelvra::host
