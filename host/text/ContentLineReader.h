// Reads the content lines of a vCard or iCalendar file: unfolds continuation lines and
// vCard 2.1 quoted-printable soft line breaks, and splits each line into its group, name,
// parameters and value. Strict: a line that is not "NAME[;PARAM...]:VALUE" is an error
// that names the line, never its bytes.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "ContentLine.h"

namespace kelvra::host {

class ContentLineError : public std::runtime_error {
public:
    ContentLineError(size_t lineNumber, const std::string& what);
    size_t LineNumber() const { return m_lineNumber; }

private:
    size_t m_lineNumber;
};

class ContentLineReader {
public:
    // The file's bytes; a UTF-8 byte-order mark is skipped, UTF-16 text is read as UTF-8.
    explicit ContentLineReader(std::string text);

    // The next line; false at the end. Throws ContentLineError for a malformed line.
    bool Next(ContentLine& line);

private:
    struct Physical {
        std::string text;
        size_t number;
    };
    static std::string WithoutByteOrderMark(std::string text);
    static bool IsQuotedPrintable(const std::string& line);
    static void Parse(const std::string& logical, size_t number, ContentLine& line);
    static size_t ParseParameter(const std::string& text, size_t at, size_t number, ContentLine& line);

    std::vector<Physical> m_lines;
    size_t m_next = 0;
};

}  // namespace kelvra::host
