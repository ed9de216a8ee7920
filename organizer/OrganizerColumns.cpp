#include "OrganizerColumns.h"

#include <algorithm>
#include <cwchar>

#include "Errors.h"
#include "HandsetTime.h"

namespace kelvra::org {

bool SameText(const std::wstring& a, const wchar_t* b)
{
    return _wcsicmp(a.c_str(), b) == 0;
}

std::wstring TextOf(const ColumnMap& map, const std::wstring& name)
{
    auto found = map.find(name);
    return found == map.end() ? std::wstring() : ComparableText(found->second);
}

bool HasValue(const ColumnMap& map, const std::wstring& name)
{
    auto found = map.find(name);
    return found != map.end() && found->second.Type() != VT_EMPTY && found->second.Type() != VT_NULL;
}

LONG NumberOf(const ColumnMap& map, const std::wstring& name)
{
    return HasValue(map, name) ? map.Number(name) : 0;
}

DATE DateOf(const ColumnMap& map, const std::wstring& name)
{
    if (!HasValue(map, name))
        return 0;
    Variant date;
    if (FAILED(VariantChangeType(date.Out(), const_cast<VARIANT*>(&map.at(name).Get()), 0, VT_DATE)))
        throw _variant_extract_error();
    return date.Get().date;
}

void SetDate(ColumnMap& map, const std::wstring& name, uint32_t handsetTime)
{
    Variant date;
    date.Get().vt = VT_DATE;
    date.Get().date = DateFromHandsetTime(handsetTime);
    map[name] = date;
}

void SetNull(ColumnMap& map, const std::wstring& name)
{
    Variant null;
    null.Get().vt = VT_NULL;
    map[name] = null;
}

void PutTime(RecordBytes& r, size_t offset, const ColumnMap& values, const std::wstring& column)
{
    DATE date = DateOf(values, column);
    if (date != 0)
        r.SetU32(offset, HandsetTimeFromDate(date));
}

void PutWide(RecordBytes& r, const TextField& field, ColumnMap& values, const std::wstring& column)
{
    r.SetWideText(field, TextOf(values, column));
    values.SetText(column, r.WideText(field));
}

void PutChangedTime(RecordBytes& r, size_t offset, const ColumnChanges& changes, const std::wstring& column)
{
    if (changes.Changed({column}))
        PutTime(r, offset, changes.Values(), column);
}

void PutChangedWide(RecordBytes& r, const TextField& field, ColumnChanges& changes, const std::wstring& column)
{
    if (changes.Changed({column}))
        PutWide(r, field, changes.Values(), column);
}

std::wstring SoundFileOf(const RecordBytes& r, const TextField& field)
{
    std::string bytes = r.NarrowText(field);
    if (bytes.empty())
        return {};
    int units = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring text(static_cast<size_t>(std::max(units, 0)), L'\0');
    if (units > 0)
        MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), units);
    return text;
}

void PutSoundFile(RecordBytes& r, const TextField& field, ColumnMap& values, const std::wstring& column)
{
    r.SetNarrowText(field, TextOf(values, column), CP_UTF8);
    values.SetText(column, SoundFileOf(r, field));
}

}  // namespace kelvra::org
