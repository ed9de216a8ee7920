#include "ContentLineWriter.h"

#include "ComTypes.h"

namespace kelvra::host {

std::string ContentLineWriter::Line(const std::string& name, const std::wstring& value)
{
    ContentLine line;
    line.name = name;
    line.value = NarrowUtf8(value);
    return Line(line);
}

std::string ContentLineWriter::Line(const ContentLine& line)
{
    std::string text = line.group.empty() ? line.name : line.group + "." + line.name;
    for (const ContentParameter& parameter : line.parameters) {
        text += ";" + parameter.name + "=";
        for (size_t i = 0; i < parameter.values.size(); ++i) {
            if (i)
                text += ',';
            text += ParameterValue(parameter.values[i]);
        }
    }
    return Folded(text + ":" + line.value);
}

std::string ContentLineWriter::ParameterValue(const std::string& value)
{
    std::string kept;
    for (char c : value) {
        if (c != '"')  // a parameter value cannot hold a quote, quoted or not
            kept += c;
    }
    if (kept.find_first_of(",;:") == std::string::npos)
        return kept;
    return "\"" + kept + "\"";
}

std::string ContentLineWriter::Folded(const std::string& line)
{
    std::string out;
    size_t width = 0;
    for (char c : line) {
        // At most 75 octets a line, never cut inside a UTF-8 sequence.
        bool continuation = (static_cast<unsigned char>(c) & 0xC0) == 0x80;
        if (width >= 74 && !continuation) {
            out += "\r\n ";
            width = 1;
        }
        out += c;
        ++width;
    }
    return out + "\r\n";
}

}  // namespace kelvra::host
