#include "StateCodec.h"

#include <charconv>
#include <vector>

namespace kelvra::sim {

namespace {

constexpr std::string_view kStateHeader = "kelvra-handset-state 2";

std::string Hex(std::string_view bytes)
{
    static const char digits[] = "0123456789ABCDEF";
    if (bytes.empty())
        return "-";
    std::string hex;
    hex.reserve(bytes.size() * 2);
    for (unsigned char byte : bytes) {
        hex += digits[byte >> 4];
        hex += digits[byte & 15];
    }
    return hex;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool FromHex(std::string_view hex, std::string& bytes)
{
    bytes.clear();
    if (hex == "-")
        return true;
    if (hex.empty() || hex.size() % 2)
        return false;
    bytes.reserve(hex.size() / 2);
    for (size_t i = 0; i < hex.size(); i += 2) {
        int high = HexDigit(hex[i]), low = HexDigit(hex[i + 1]);
        if (high < 0 || low < 0)
            return false;
        bytes += static_cast<char>(high << 4 | low);
    }
    return true;
}

template <class Number>
bool ParseNumber(std::string_view text, Number& value)
{
    if (text.empty())
        return false;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}

std::vector<std::string_view> Words(std::string_view line)
{
    std::vector<std::string_view> words;
    size_t start = 0;
    while (start <= line.size()) {
        size_t end = line.find(' ', start);
        if (end == std::string_view::npos)
            end = line.size();
        words.push_back(line.substr(start, end - start));
        start = end + 1;
    }
    return words;
}

// The complete lines of a text, without their line breaks; torn receives what follows
// the last line break.
std::vector<std::string_view> Lines(std::string_view text, std::string_view& torn)
{
    std::vector<std::string_view> lines;
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string_view::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    torn = text.substr(start);
    return lines;
}

std::wstring LineNumber(size_t index)
{
    return L"line " + std::to_wstring(index + 1) + L" is garbled";
}

}  // namespace

std::string StateCodec::RecordLine(uint32_t store, uint32_t index, std::string_view bytes)
{
    return "record " + std::to_string(store) + ' ' + std::to_string(index) + ' ' + Hex(bytes) + '\n';
}

std::string StateCodec::RemoveLine(uint32_t store, uint32_t index)
{
    return "remove " + std::to_string(store) + ' ' + std::to_string(index) + '\n';
}

std::string StateCodec::LockLine(std::string_view flags, std::string_view password)
{
    return "lock " + Hex(flags) + ' ' + Hex(password) + '\n';
}

std::string StateCodec::ModelLine(long model)
{
    return "model " + std::to_string(model) + '\n';
}

std::string StateCodec::JournalHeader(uint64_t generation)
{
    return "journal " + std::to_string(generation) + '\n';
}

bool StateCodec::Apply(std::string_view line, HandsetContents& contents)
{
    std::vector<std::string_view> words = Words(line);
    uint32_t store = 0, index = 0;
    if (words[0] == "record" && words.size() == 4) {
        std::string bytes;
        if (!ParseNumber(words[1], store) || !ParseNumber(words[2], index) || !FromHex(words[3], bytes))
            return false;
        contents.stores[store][index] = std::move(bytes);
        return true;
    }
    if (words[0] == "remove" && words.size() == 3) {
        if (!ParseNumber(words[1], store) || !ParseNumber(words[2], index))
            return false;
        auto found = contents.stores.find(store);
        if (found != contents.stores.end())
            found->second.erase(index);
        return true;
    }
    if (words[0] == "lock" && words.size() == 3)
        return FromHex(words[1], contents.lockFlags) && FromHex(words[2], contents.password);
    if (words[0] == "model" && words.size() == 2)
        return ParseNumber(words[1], contents.model) && contents.model > 0;
    return false;
}

std::string StateCodec::StateText(const HandsetContents& contents, uint64_t generation)
{
    std::string text = std::string(kStateHeader) + '\n';
    text += "generation " + std::to_string(generation) + '\n';
    size_t lines = 1;
    if (contents.model) {
        text += ModelLine(contents.model);
        ++lines;
    }
    text += LockLine(contents.lockFlags, contents.password);
    ++lines;
    for (const auto& [store, records] : contents.stores) {
        for (const auto& [index, record] : records) {
            text += RecordLine(store, index, record);
            ++lines;
        }
    }
    return text + "end " + std::to_string(lines) + '\n';
}

bool StateCodec::ReadState(std::string_view text, HandsetContents& contents, uint64_t& generation,
                           std::wstring& reason)
{
    contents = HandsetContents();
    generation = 0;
    std::string_view torn;
    std::vector<std::string_view> lines = Lines(text, torn);
    if (lines.empty() && torn.empty()) {
        reason = L"the file is empty";
        return false;
    }
    if (!torn.empty()) {
        reason = L"the file is cut short: its last line is not complete";
        return false;
    }
    bool legacy = lines[0] != kStateHeader;
    if (legacy && lines[0].substr(0, 5) != "lock ") {
        reason = L"the file does not start as a handset state";
        return false;
    }
    size_t first = legacy ? 0 : 1;
    size_t last = lines.size();
    if (!legacy) {
        std::vector<std::string_view> end = Words(lines.back());
        size_t counted = 0;
        if (lines.size() < 3 || end.size() != 2 || end[0] != "end" || !ParseNumber(end[1], counted) ||
            counted != lines.size() - 2) {
            reason = L"the file is cut short: its end line is missing or does not match";
            return false;
        }
        std::vector<std::string_view> words = Words(lines[1]);
        if (words.size() != 2 || words[0] != "generation" || !ParseNumber(words[1], generation)) {
            reason = LineNumber(1);
            return false;
        }
        first = 2;
        last = lines.size() - 1;
    }
    for (size_t i = first; i < last; ++i) {
        // A state file lists what the handset holds; a removal has no place in it.
        if (lines[i].substr(0, 7) == "remove " || !Apply(lines[i], contents)) {
            reason = LineNumber(i);
            return false;
        }
    }
    return true;
}

bool StateCodec::ReadJournal(std::string_view text, uint64_t generation, HandsetContents& contents, bool& applied,
                             std::wstring& reason)
{
    applied = false;
    std::string_view torn;
    std::vector<std::string_view> lines = Lines(text, torn);
    if (lines.empty())
        return true;  // nothing was written completely, not even the header
    std::vector<std::string_view> header = Words(lines[0]);
    uint64_t journalGeneration = 0;
    if (header.size() != 2 || header[0] != "journal" || !ParseNumber(header[1], journalGeneration)) {
        reason = LineNumber(0);
        return false;
    }
    if (journalGeneration != generation)
        return true;
    HandsetContents changed = contents;
    for (size_t i = 1; i < lines.size(); ++i) {
        if (!Apply(lines[i], changed)) {
            reason = LineNumber(i);
            return false;
        }
    }
    contents = std::move(changed);
    applied = lines.size() > 1;
    return true;
}

}  // namespace kelvra::sim
