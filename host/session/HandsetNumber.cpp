#include "HandsetNumber.h"

#include <algorithm>
#include <cwchar>
#include <cwctype>
#include <vector>

#include "ComTypes.h"

namespace kelvra::host {

namespace {

bool IsDigit(wchar_t c)
{
    return c >= L'0' && c <= L'9';
}

bool IsDialled(wchar_t c)
{
    return IsDigit(c) || c == L'*' || c == L'#';
}

// Signs people write between the parts of a number; they are no part of it.
bool IsFormatting(wchar_t c)
{
    return c == L' ' || c == L'\t' || c == L'-' || c == L'(' || c == L')' || c == L'.' || c == L'/';
}

std::string Quoted(const std::wstring& text)
{
    std::string quoted(1, '"');
    quoted += NarrowUtf8(text);
    quoted += '"';
    return quoted;
}

// How many characters the handset keeps of a number that starts as this one does.
size_t Room(const NumberRules& rules, bool plus)
{
    return std::min(rules.maxChars, rules.maxDigits + (plus ? 1 : 0));
}

// The number as the handset's own cleanup leaves it: what it keeps, cut to its room.
std::wstring Cleaned(const std::wstring& text, const NumberRules& rules)
{
    std::wstring kept;
    bool plus = !text.empty() && text[0] == L'+';
    for (size_t i = 0; i < text.size(); ++i) {
        if ((i == 0 && plus) || IsDialled(text[i]) || rules.pauses.find(text[i]) != std::wstring::npos)
            kept += text[i];
    }
    return kept.substr(0, Room(rules, plus));
}

}  // namespace

NumberRules NumberRules::ForContacts(const std::wstring& model, size_t fieldChars)
{
    // These models list a number as it was stored; the others list only what they dial.
    bool asWritten = model == L"KTM-A230" || model == L"KTM-A230 HUTCH";
    return {L"PT", fieldChars, fieldChars, asWritten};
}

NumberRules NumberRules::ForCard(size_t numberLimit)
{
    // The card keeps no timed pause, and its leading "+" does not count against the limit.
    return {L"P", numberLimit, numberLimit + 1, false};
}

std::string HandsetNumber::Kept(const NumberRules& rules)
{
    std::string pauses;
    for (size_t i = 0; i < rules.pauses.size(); ++i)
        pauses += (i == 0 ? "" : i + 1 == rules.pauses.size() ? " and " : ", ") + NarrowUtf8(rules.pauses.substr(i, 1));
    return "digits, a leading \"+\", \"*\", \"#\" and the pause" + std::string(rules.pauses.size() > 1 ? "s " : " ") +
           pauses;
}

size_t HandsetNumber::ExtensionMark(const std::wstring& text, size_t at)
{
    static const wchar_t* const kMarks[] = {L";ext=", L"extension", L"ext.", L"ext=", L"ext", L"x", L";", L","};
    for (const wchar_t* mark : kMarks) {
        size_t length = wcslen(mark);
        if (text.size() - at < length || _wcsnicmp(text.c_str() + at, mark, length) != 0)
            continue;
        size_t end = at + length;
        while (end < text.size() && (text[end] == L' ' || text[end] == L'.' || text[end] == L':' ||
                                     text[end] == L',' || text[end] == L';'))
            ++end;
        return end < text.size() && IsDigit(text[end]) ? end - at : 0;
    }
    return 0;
}

NumberVerdict HandsetNumber::Check(const std::wstring& given, const NumberRules& rules)
{
    size_t first = given.find_first_not_of(L" \t"), last = given.find_last_not_of(L" \t");
    std::wstring text = first == std::wstring::npos ? std::wstring() : given.substr(first, last - first + 1);
    std::wstring written, dialled;  // with the person's blanks and dashes, and without
    std::vector<std::string> reasons;
    bool foreign = false, extension = false;
    const wchar_t hardPause = rules.pauses.empty() ? L'P' : rules.pauses[0];
    auto keep = [&](wchar_t c) {
        written += c;
        dialled += c;
    };
    for (size_t i = 0; i < text.size(); ++i) {
        wchar_t c = text[i], upper = static_cast<wchar_t>(std::towupper(c));
        size_t mark = extension || dialled.empty() ? 0 : ExtensionMark(text, i);
        if (mark) {
            keep(hardPause);
            reasons.push_back(std::string("the extension is dialled after the pause ") + static_cast<char>(hardPause));
            extension = true;
            i += mark - 1;
        } else if ((c == L'+' && dialled.empty()) || IsDialled(c)) {
            keep(c);
        } else if (IsFormatting(c)) {
            written += c;
        } else if (rules.pauses.find(upper) != std::wstring::npos) {
            keep(upper);
        } else if (upper == L'W' || upper == L'T') {
            // A wait, or a timed pause the model does not keep: the same digits follow
            // its own pause.
            keep(hardPause);
            std::string reason = std::string("the handset keeps no pause ") + static_cast<char>(upper) +
                                 " and waits at " + static_cast<char>(hardPause) + " instead";
            if (std::find(reasons.begin(), reasons.end(), reason) == reasons.end())
                reasons.push_back(reason);
        } else {
            foreign = true;
            written += c;
        }
    }
    NumberVerdict verdict;
    verdict.listed = rules.keepsAsWritten ? written : dialled;
    if (foreign) {
        verdict.refusal = Quoted(given) + " holds characters that are no part of a number: the handset dials " +
                          Kept(rules);
        if (!rules.keepsAsWritten)
            verdict.refusal += ", and would store " + Quoted(Cleaned(text, rules));
        return verdict;
    }
    bool plus = !verdict.listed.empty() && verdict.listed[0] == L'+';
    size_t room = rules.keepsAsWritten ? rules.maxChars : Room(rules, plus);
    if (verdict.listed.size() > room) {
        verdict.refusal = Quoted(given) + " is longer than the handset keeps: it would store " +
                          Quoted(verdict.listed.substr(0, room));
        return verdict;
    }
    // A model that lists only what it dials gets only that: a record holding the
    // person's blanks and dashes would read as another one than it is, which no backup
    // or rewrite from the listing could give back. A model that lists numbers as written
    // gets them so (a written form longer than its field was refused above).
    verdict.stored = rules.keepsAsWritten ? written : dialled;
    if (!reasons.empty()) {
        verdict.note = Quoted(given) + " is stored as " + Quoted(verdict.listed) + ": " + reasons[0];
        for (size_t i = 1; i < reasons.size(); ++i)
            verdict.note += "; " + reasons[i];
    }
    return verdict;
}

}  // namespace kelvra::host
