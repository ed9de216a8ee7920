// One content line of a vCard or iCalendar file, "group.NAME;PARAM=a,b:value", and the
// value rules both formats share: backslash escapes and lists split at unescaped
// semicolons or commas.
#pragma once

#include <string>
#include <vector>

namespace kelvra::host {

struct ContentParameter {
    std::string name;                 // upper case; a bare vCard 2.1 parameter ("HOME") is TYPE
    std::vector<std::string> values;  // as written, quotes removed
};

class ContentLine {
public:
    std::string group;  // "item1" of "item1.TEL"; empty when there is none
    std::string name;   // upper case
    std::vector<ContentParameter> parameters;
    std::string value;  // the raw bytes after the colon, unfolded
    size_t lineNumber = 0;  // where the line starts in its file, from 1

    bool HasParameter(const std::string& name) const;
    // Every value of a parameter, joined by commas.
    std::string Parameter(const std::string& name) const;
    // Whether a parameter holds a value, ignoring case ("TYPE", "WORK").
    bool HasParameterValue(const std::string& name, const std::string& value) const;

    // Text values: "\n", "\,", "\;" and "\\" escapes.
    static std::wstring Escaped(const std::wstring& text);
    static std::wstring Unescaped(const std::wstring& text);
    // The parts of a structured or list value, split where the separator is not escaped;
    // the parts keep their escapes.
    static std::vector<std::wstring> Split(const std::wstring& value, wchar_t separator);
};

std::string UpperAscii(std::string text);
// Text from a file fit to show a person: bytes outside printable ASCII become "?".
std::string Printable(const std::string& bytes);

}  // namespace kelvra::host
