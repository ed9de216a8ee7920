#include "ComponentLines.h"

#include "ComFailure.h"
#include "ContentLineReader.h"

namespace kelvra::host {

namespace {

bool IsUtf16(const std::string& text)
{
    return text.compare(0, 2, "\xFF\xFE") == 0 || text.compare(0, 2, "\xFE\xFF") == 0;
}

// Far more than any one item's file holds (a picture is one line however long), and few
// enough that the lines' places of a file of tiny lines fit in memory.
constexpr size_t kMostLines = 1u << 20;

std::string Shown(const std::string& name)
{
    return Printable(name.substr(0, 40));
}

}  // namespace

ComponentLines::ComponentLines(const std::string& text, Use use)
{
    if (use == Use::Edit && IsUtf16(text))
        throw InputError("the file is UTF-16 text, which is not edited in place");
    std::vector<size_t> open;
    try {
        ContentLineReader reader(text);
        ContentLine read;
        while (reader.Next(read)) {
            if (m_lines.size() == kMostLines)
                throw InputError("the file holds more than " + std::to_string(kMostLines) + " lines");
            m_lines.push_back(
                {reader.LineStart(), reader.LineEnd(), read.name, std::move(read.value), read.lineNumber});
            size_t index = m_lines.size() - 1;
            if (IsBegin(index))
                open.push_back(index);
            else if (m_lines[index].name == "END")
                Close(open, index);
        }
    } catch (const ContentLineError& e) {
        throw InputError(e.what());
    }
    if (!open.empty())
        throw InputError("the BEGIN:" + Shown(ComponentName(open.back())) + " of line " +
                         std::to_string(m_lines[open.back()].number) + " is never ended");
}

void ComponentLines::Close(std::vector<size_t>& open, size_t end)
{
    std::string where = "line " + std::to_string(m_lines[end].number) + ": END:" + Shown(ComponentName(end));
    if (open.empty())
        throw InputError(where + " ends no component");
    size_t begin = open.back();
    if (ComponentName(begin) != ComponentName(end))
        throw InputError(where + " ends the BEGIN:" + Shown(ComponentName(begin)) + " of line " +
                         std::to_string(m_lines[begin].number));
    m_lines[begin].partner = end;
    m_lines[end].partner = begin;
    open.pop_back();
}

std::string ComponentLines::TrimmedValue(size_t index) const
{
    const std::string& value = m_lines[index].value;
    size_t first = value.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    return value.substr(first, value.find_last_not_of(" \t") - first + 1);
}

std::string ComponentLines::ComponentName(size_t begin) const
{
    return UpperAscii(TrimmedValue(begin));
}

std::vector<size_t> ComponentLines::Between(size_t first, size_t last) const
{
    std::vector<size_t> lines;
    for (size_t i = first; i < last; i = IsBegin(i) ? m_lines[i].partner + 1 : i + 1)
        lines.push_back(i);
    return lines;
}

std::vector<size_t> ComponentLines::Inside(size_t begin) const
{
    return Between(begin + 1, m_lines[begin].partner);
}

bool ComponentLines::HasRecurrenceId(size_t begin) const
{
    for (size_t i : Inside(begin)) {
        if (m_lines[i].name == "RECURRENCE-ID")
            return true;
    }
    return false;
}

size_t ComponentLines::FindItem(const std::string& kind, bool masterOnly) const
{
    auto sought = [&](size_t i, const std::string& name) { return IsBegin(i) && ComponentName(i) == name; };
    for (size_t top : Between(0, m_lines.size())) {
        if (sought(top, "VCARD") && (kind.empty() || kind == "VCARD"))
            return top;
        if (!sought(top, "VCALENDAR") || kind == "VCARD")
            continue;
        for (size_t inner : Inside(top)) {
            for (const char* item : {"VEVENT", "VTODO", "VJOURNAL"}) {
                if (sought(inner, item) && (kind.empty() || kind == item) && !(masterOnly && HasRecurrenceId(inner)))
                    return inner;
            }
        }
    }
    return npos;
}

}  // namespace kelvra::host
