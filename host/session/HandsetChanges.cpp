#include "HandsetChanges.h"

#include <cmath>
#include <map>

#include "ItemColumns.h"

namespace kelvra::host {

namespace {

std::string Quoted(const std::wstring& text)
{
    std::string quoted(1, '"');
    quoted += NarrowUtf8(text);
    quoted += '"';
    return quoted;
}

bool StartsWith(const std::wstring& text, const std::wstring& prefix)
{
    return text.compare(0, prefix.size(), prefix) == 0;
}

// The column that holds the value a type column describes ("TEL_TYPE_2" -> "TEL_NUM_2").
std::wstring ValueColumnOfType(const std::wstring& column)
{
    size_t type = column.find(L"_TYPE_");
    if (type == std::wstring::npos)
        return {};
    std::wstring kind = column.substr(0, type);
    std::wstring index = column.substr(type + 6);
    if (kind == L"TEL")
        return L"TEL_NUM_" + index;
    if (kind == L"EMAIL" || kind == L"URL")
        return kind + L"_ADDR_" + index;
    if (kind == L"ADDR")
        return L"ADDR_STREET_" + index;  // any part will do; the type goes with the block
    return {};
}

bool IsNumberColumn(const std::wstring& column)
{
    return StartsWith(column, L"TEL_NUM_");
}

bool IsZero(const std::wstring& text)
{
    return text.empty() || text == L"0";
}

}  // namespace

std::wstring HandsetChanges::Dialable(const std::wstring& number)
{
    std::wstring kept;
    for (size_t i = 0; i < number.size(); ++i) {
        wchar_t c = number[i];
        if ((c >= L'0' && c <= L'9') || c == L'*' || c == L'#' || c == L'P' || c == L'T' || (c == L'+' && kept.empty()))
            kept += c;
    }
    return kept;
}

std::vector<std::string> HandsetChanges::Between(const std::vector<std::wstring>& assignments, IItem* stored)
{
    // The last assignment of a column is the one that counts.
    std::map<std::wstring, std::wstring> given;
    std::vector<std::wstring> order;
    for (const std::wstring& assignment : assignments) {
        size_t equals = assignment.find(L'=');
        if (equals == std::wstring::npos)
            continue;
        std::wstring column = assignment.substr(0, equals);
        if (!given.count(column))
            order.push_back(column);
        given[column] = assignment.substr(equals + 1);
    }
    std::vector<std::string> lines;
    for (const std::wstring& column : order) {
        std::string line = Compare(column, given[column], stored);
        if (!line.empty())
            lines.push_back(line);
    }
    return lines;
}

namespace {

// A date is the same date however it was written ("2026-12-8 9:30" is 2026-12-08 09:30).
bool SameDate(const std::wstring& given, IItem* stored, const std::wstring& column)
{
    ULONG ordinal = 0;
    LONG found = 0;
    Variant held;
    if (FAILED(stored->GetOrdinal(Bstr(column).Get(), &ordinal, &found)) || !found ||
        FAILED(stored->GetValue(ordinal, held.Out())) || held.Type() != VT_DATE)
        return false;
    Variant text = Variant::FromText(given), date;
    if (FAILED(VariantChangeType(date.Out(), &text.Get(), 0, VT_DATE)))
        return false;
    return std::fabs(date.Get().date - held.Get().date) * 86400.0 < 1.0;
}

}  // namespace

std::string HandsetChanges::Compare(const std::wstring& column, const std::wstring& given, IItem* stored)
{
    std::wstring held = ColumnText(stored, column);
    if (held == given || SameDate(given, stored, column))
        return {};
    std::string name = NarrowUtf8(column);
    if (StartsWith(column, L"GROUP_ID_") || StartsWith(column, L"TEL_DIAL_")) {
        if (IsZero(given) && IsZero(held))
            return {};
        return held.empty() || held == L"0" ? name + " " + Quoted(given) + " has no place on this model"
                                            : name + " " + Quoted(given) + " is stored as " + Quoted(held);
    }
    if (column.find(L"_TYPE_") != std::wstring::npos)
        return CompareType(column, given, ColumnText(stored, ValueColumnOfType(column)).empty() ? L"" : held);
    if (given.empty())
        return held.empty() ? std::string() : name + " is stored as " + Quoted(held);
    if (IsNumberColumn(column))
        return CompareNumber(given, held).empty() ? std::string() : name + " " + CompareNumber(given, held);
    if (column == L"URL_ADDR_0" && held == L"http://" + given)
        return {};  // the handset keeps web addresses with their scheme
    if (column == L"LAST_NAME" && held.empty() && ColumnText(stored, L"DISPLAY_NAME").find(given) != std::wstring::npos)
        return {};  // a model without a last-name field keeps it in the full name
    if (held.empty())
        return name + " " + Quoted(given) + (column == L"BIRTHDAY" ? " is not a date the handset can store"
                                                                   : " has no place on this model");
    if (StartsWith(given, held))
        return name + " cut to " + std::to_string(held.size()) + " characters: " + Quoted(held);
    return name + " " + Quoted(given) + " is stored as " + Quoted(held);
}

std::string HandsetChanges::CompareNumber(const std::wstring& given, const std::wstring& held)
{
    if (held.empty())
        return Quoted(given) + " has no place on this model";
    // Spaces, dashes and brackets are formatting; any other character is part of the number.
    std::wstring meaningful;
    for (wchar_t c : given) {
        if (c != L' ' && c != L'-' && c != L'(' && c != L')' && c != L'.' && c != L'/' && c != L'\t')
            meaningful += c;
    }
    if (meaningful == held)
        return {};
    return Quoted(given) + " lost characters: stored as " + Quoted(held);
}

std::string HandsetChanges::CompareType(const std::wstring& column, const std::wstring& given, const std::wstring& held)
{
    // Only the type of a value the handset kept counts; "Mobile" stored as
    // "Mobile.Private" says the same.
    if (held.empty() || given.empty() || StartsWith(held, given + L"."))
        return {};
    return NarrowUtf8(column) + " " + Quoted(given) + " has no equivalent on this model; stored as " + Quoted(held);
}

}  // namespace kelvra::host
