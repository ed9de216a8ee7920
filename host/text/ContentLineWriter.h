// Writes content lines of a vCard or iCalendar file: parameters quoted where their
// values need it, lines folded at 75 octets without cutting a UTF-8 sequence, CRLF ends.
#pragma once

#include <string>

#include "ContentLine.h"

namespace kelvra::host {

class ContentLineWriter {
public:
    // The line's group, name and parameters as given; its value as given (escape text
    // values with ContentLine::Escaped first).
    static std::string Line(const ContentLine& line);
    static std::string Line(const std::string& name, const std::wstring& value);

private:
    static std::string Folded(const std::string& line);
    static std::string ParameterValue(const std::string& value);
};

}  // namespace kelvra::host
