// The logical lines of a vCard or iCalendar file with where the bytes of each one are,
// BEGIN and END paired: what an edit that keeps the lines it leaves alone byte for byte
// needs to find a card or component and the lines directly inside it.
#pragma once

#include <string>
#include <vector>

namespace kelvra::host {

class ComponentLines {
public:
    struct Line {
        size_t start = 0;     // its first byte in the text (to edit)
        size_t end = 0;       // after its line end and its folded lines (to edit)
        std::string name;     // upper case, without its group
        std::string value;    // unfolded
        size_t number = 0;    // of its first physical line, from 1
        size_t partner = 0;   // of a BEGIN the index of its END, of an END its BEGIN's
    };

    static constexpr size_t npos = static_cast<size_t>(-1);

    // Whether the lines' places in the text are needed: they are not known for UTF-16
    // text, which is read as a UTF-8 copy.
    enum class Use { Edit, ReadOnly };

    // Throws InputError for text that is not content lines, for UTF-16 text to edit, for
    // a component never ended and for an END that closes another component than the one
    // open.
    explicit ComponentLines(const std::string& text, Use use = Use::Edit);

    const Line& operator[](size_t index) const { return m_lines[index]; }

    // The BEGIN of the first item of the kind ("VCARD", "VEVENT", "VTODO", "VJOURNAL";
    // any of them when empty): a card at the top of the file, the others directly in a
    // VCALENDAR. With masterOnly, an event, task or journal with a RECURRENCE-ID (one
    // occurrence of a series) is passed over. npos when there is none.
    size_t FindItem(const std::string& kind, bool masterOnly) const;

    // The lines directly inside the component whose BEGIN is at begin, in order; a
    // nested component is there by its BEGIN.
    std::vector<size_t> Inside(size_t begin) const;

    // The line's value without blanks around it: "VALARM" of "BEGIN: VALARM ".
    std::string TrimmedValue(size_t index) const;
    // "VALARM" of "BEGIN:valarm" (or of "END:valarm").
    std::string ComponentName(size_t begin) const;

private:
    bool IsBegin(size_t index) const { return m_lines[index].name == "BEGIN"; }
    // Pairs the END at end with the innermost open BEGIN, which must be of its name.
    void Close(std::vector<size_t>& open, size_t end);
    bool HasRecurrenceId(size_t begin) const;
    // The lines directly in [first, last), each nested component by its BEGIN.
    std::vector<size_t> Between(size_t first, size_t last) const;

    std::vector<Line> m_lines;
};

}  // namespace kelvra::host
