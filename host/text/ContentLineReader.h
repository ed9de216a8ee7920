// Reads the content lines of a vCard or iCalendar file: unfolds continuation lines and
// vCard 2.1 quoted-printable soft line breaks, and splits each line into its group, name,
// parameters and value. Strict: a line that is not "NAME[;PARAM...]:VALUE" is an error
// that names the line, never its bytes. Lines are read as they are asked for, so a large
// file is never held twice.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

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
    // The file's bytes, which must outlive the reader; a UTF-8 byte-order mark is
    // skipped, UTF-16 text is read as UTF-8.
    explicit ContentLineReader(const std::string& text);
    // A text of its own, which the reader keeps.
    explicit ContentLineReader(std::string&& text);

    // The next line; false at the end. Throws ContentLineError for a malformed line.
    bool Next(ContentLine& line);

    // Where the line Next gave last starts and ends (after its line end and any folded
    // lines) in the text as given, so that an editor can keep the bytes of the lines it
    // leaves alone. Meaningless for UTF-16 text, which is read as a converted copy.
    size_t LineStart() const { return m_skipped + m_lineStart; }
    size_t LineEnd() const { return m_skipped + m_lineEnd; }

    // vCard 2.1 folds a line before a blank that stays part of the value; vCard 3.0 and
    // 4.0 and iCalendar fold with a blank of their own that unfolding takes out.
    void KeepFoldingBlanks(bool keep) { m_keepFoldingBlanks = keep; }

private:
    static bool IsQuotedPrintable(std::string_view line);
    // A line that opens or closes a vCard or a component never continues a value.
    static bool IsBoundary(std::string_view line);
    static void Parse(const std::string& logical, size_t number, ContentLine& line);
    static size_t ParseParameter(const std::string& text, size_t at, size_t number, ContentLine& line);
    // The physical line at the read position, without its line end; false at the end.
    bool Peek(std::string_view& line) const;
    void Advance();

    void Start(std::string_view text);

    std::string m_owned;  // a text given to keep, or the text as UTF-8 when it was UTF-16
    std::string_view m_text;
    size_t m_at = 0;
    size_t m_number = 1;  // of the physical line at m_at
    size_t m_skipped = 0;  // the byte-order mark before m_text
    size_t m_lineStart = 0;
    size_t m_lineEnd = 0;
    bool m_keepFoldingBlanks = false;
};

}  // namespace kelvra::host
