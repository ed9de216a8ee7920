#include "CommandLine.h"

#include <windows.h>
#include <shlobj.h>

#include <cerrno>

#include "ComFailure.h"

namespace kelvra::host {

namespace {

std::wstring DefaultHandsetFolder()
{
    wchar_t path[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path);
    return std::wstring(path) + L"\\Kelvra Handset";
}

int ParseCard(const std::wstring& card)
{
    if (card != L"1" && card != L"2")
        throw BadValue("--card takes 1 or 2, not \"" + NarrowUtf8(card) + "\"");
    return card == L"1" ? 1 : 2;
}

// "phonebook,groups": the names as given, checked by the command that takes them.
std::vector<std::wstring> ParseTableList(const std::wstring& list)
{
    std::vector<std::wstring> names;
    for (size_t start = 0; start <= list.size();) {
        size_t comma = list.find(L',', start);
        if (comma == std::wstring::npos)
            comma = list.size();
        names.push_back(list.substr(start, comma - start));
        start = comma + 1;
    }
    return names;
}

}  // namespace

CommandLine CommandLine::Parse(int argc, wchar_t** argv)
{
    CommandLine line;
    line.session.handsetFolder = DefaultHandsetFolder();
    for (int i = 1; i < argc; ++i) {
        std::wstring word = argv[i];
        auto value = [&]() -> std::wstring {
            if (i + 1 >= argc)
                throw UsageError(NarrowUtf8(word) + " needs a value");
            return argv[++i];
        };
        if (word == L"--help" || word == L"-h") {
            line.help = true;
        } else if (word == L"--handset") {
            line.session.handsetFolder = value();
            line.handsetGiven = true;
        } else if (word == L"--model") {
            line.modelText = value();
            line.session.model = ParseModel(line.modelText);
            line.modelGiven = true;
        } else if (word == L"--port") {
            line.session.port = value();
            if (line.session.port.empty())
                throw UsageError("--port needs the name of a serial port, such as COM5");
        } else if (word == L"--baud") {
            line.session.baudRate = ParseBaudRate(value());
        } else if (word == L"--sim-fault") {
            line.session.fault = value();
        } else if (word == L"--json") {
            line.json = true;
        } else if (word == L"--stats") {
            line.stats = true;
        } else if (word == L"--duplicates") {
            line.duplicates = true;
        } else if (word == L"--card") {
            line.card = ParseCard(value());
        } else if (word == L"--summary") {
            line.summary = true;
        } else if (word == L"--cut") {
            line.cut = true;
        } else if (word == L"--dry-run") {
            line.dryRun = true;
        } else if (word == L"--merge") {
            line.merge = true;
        } else if (word == L"--replace") {
            line.replace = true;
        } else if (word == L"--only") {
            line.only = ParseTableList(value());
        } else if (word == L"--prefer") {
            line.prefer = value();
        } else if (word == L"--force-delete") {
            line.forceDelete = true;
        } else if (word.size() > 1 && word[0] == L'-') {
            throw UsageError("unknown option \"" + NarrowUtf8(word) + "\"");
        } else {
            line.words.push_back(word);
        }
    }
    if (!line.words.empty() && line.words[0] == L"help")
        line.help = true;
    if (line.words.empty() && !line.help)
        throw UsageError("no command given");
    return line;
}

long CommandLine::ParseBaudRate(const std::wstring& text)
{
    wchar_t* end = nullptr;
    long rate = wcstol(text.c_str(), &end, 10);
    if (text.empty() || *end != L'\0' || rate < 50 || rate > 4000000)
        throw BadValue("--baud takes a baud rate such as 115200, not \"" + NarrowUtf8(text) + "\"");
    return rate;
}

int CommandLine::ParseModel(const std::wstring& id)
{
    wchar_t* end = nullptr;
    long model = wcstol(id.c_str(), &end, 10);
    if (id.empty() || *end != L'\0')
        return 0;
    if (model <= 0 || model > 0xFFFF)
        throw BadValue("\"" + NarrowUtf8(id) + "\" is not a model number; the models command lists them");
    return static_cast<int>(model);
}

std::vector<std::wstring> CommandLine::Rest(size_t from) const
{
    return std::vector<std::wstring>(words.begin() + static_cast<std::ptrdiff_t>(std::min(from, words.size())),
                                     words.end());
}

SUID ParseSuid(const std::wstring& text)
{
    wchar_t* end = nullptr;
    errno = 0;
    long value = wcstol(text.c_str(), &end, 10);
    if (text.empty() || *end != L'\0' || value < 0 || errno == ERANGE || value > 0x7FFFFFFF)
        throw BadValue("\"" + NarrowUtf8(text) + "\" is not a SUID");
    return static_cast<SUID>(value);
}

}  // namespace kelvra::host
