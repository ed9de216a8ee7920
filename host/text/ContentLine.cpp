#include "ContentLine.h"

#include <algorithm>

namespace kelvra::host {

std::string UpperAscii(std::string text)
{
    for (char& c : text) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return text;
}

std::string Printable(const std::string& bytes)
{
    std::string out;
    for (char c : bytes)
        out += c >= 0x20 && c < 0x7F ? c : '?';
    return out;
}

bool ContentLine::HasParameter(const std::string& wanted) const
{
    return std::any_of(parameters.begin(), parameters.end(),
                       [&](const ContentParameter& p) { return p.name == wanted; });
}

std::string ContentLine::Parameter(const std::string& wanted) const
{
    std::string joined;
    for (const ContentParameter& parameter : parameters) {
        if (parameter.name != wanted)
            continue;
        for (const std::string& value : parameter.values)
            joined += (joined.empty() ? "" : ",") + value;
    }
    return joined;
}

bool ContentLine::HasParameterValue(const std::string& wanted, const std::string& value) const
{
    std::string sought = ",";
    sought += UpperAscii(value);
    sought += ',';
    for (const ContentParameter& parameter : parameters) {
        if (parameter.name != wanted)
            continue;
        // A quoted value may hold a list itself: TYPE="work,voice".
        for (const std::string& candidate : parameter.values) {
            std::string list = ",";
            list += UpperAscii(candidate);
            list += ',';
            if (list.find(sought) != std::string::npos)
                return true;
        }
    }
    return false;
}

std::wstring ContentLine::Escaped(const std::wstring& text)
{
    std::wstring out;
    for (wchar_t c : text) {
        if (c == L'\r')
            continue;
        if (c == L'\n') {
            out += L"\\n";
            continue;
        }
        if (c == L'\\' || c == L',' || c == L';')
            out += L'\\';
        out += c;
    }
    return out;
}

std::wstring ContentLine::Unescaped(const std::wstring& text)
{
    std::wstring out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != L'\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        wchar_t next = text[++i];
        out += next == L'n' || next == L'N' ? L'\n' : next;
    }
    return out;
}

std::vector<std::wstring> ContentLine::Split(const std::wstring& value, wchar_t separator)
{
    std::vector<std::wstring> parts(1);
    for (size_t i = 0; i < value.size(); ++i) {
        if (value[i] == L'\\' && i + 1 < value.size()) {
            parts.back() += value[i];
            parts.back() += value[++i];
        } else if (value[i] == separator) {
            parts.emplace_back();
        } else {
            parts.back() += value[i];
        }
    }
    return parts;
}

}  // namespace kelvra::host
