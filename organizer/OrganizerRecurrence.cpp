#include "OrganizerRecurrence.h"

#include <string>
#include <vector>

#include "HandsetTime.h"
#include "ModelProfile.h"
#include "OrganizerColumns.h"

namespace kelvra::org {

namespace {

const std::vector<std::wstring> kPatternColumns = {L"RECURRENCE_TYPE", L"RECURRENCE_EVERY",
                                                             L"RECURRENCE_FLAG"};
const std::vector<std::wstring> kExpiryColumns = {L"RECURRENCE_TYPE", L"RECURRENCE_EXPIRE_TYPE",
                                                            L"RECURRENCE_EXPIRE_DATE"};

// Weekday index of records: Monday 0 ... Saturday 5, Sunday 6. Flag bits: Sunday 1,
// Monday 2 ... Saturday 64; then the first to the last week of the month, 128 ... 2048.
uint32_t WeekdayIndex(uint32_t flag)
{
    for (uint32_t bit = 1; bit <= 6; ++bit) {
        if (flag & (1u << bit))
            return bit - 1;
    }
    return flag & 1 ? 6 : 0;  // Sunday alone is 6; no weekday at all is Monday
}

uint32_t WeekIndex(uint32_t flag)
{
    for (uint32_t week = 0; week < 5; ++week) {
        if (flag & (128u << week))
            return week;
    }
    return 0;
}

uint32_t WeekdayBit(uint32_t index)
{
    return index < 6 ? 2u << index : 1u;
}

uint32_t WeekBit(uint32_t index)
{
    return index < 5 ? 128u << index : 0u;
}

// The start of a record as a calendar day: its weekday index, day and month.
struct Day {
    uint32_t weekdayIndex, day, month;
};

Day DayOf(uint32_t handsetTime)
{
    SYSTEMTIME time = {};
    VariantTimeToSystemTime(DateFromHandsetTime(handsetTime), &time);
    return {time.wDayOfWeek == 0 ? 6u : time.wDayOfWeek - 1u, time.wDay, time.wMonth};
}

// The numbering of repeat modes (extended-alarm models) and of compact-repeat repeat
// types: 1 daily, 2 weekly, 3 monthly by date, 4 yearly by date, 0 none of these.
uint32_t RepeatModeOf(const std::wstring& type)
{
    if (type == L"1" || type == L"2" || type == L"3")
        return static_cast<uint32_t>(type[0] - L'0');
    return type == L"5" ? 4 : 0;
}

// A repetition in that numbering. One with none of these is what the writer makes of
// a monthly n-th weekday (and of any repetition the model cannot keep): it reads as
// that, which is written back alike. A code no writer puts is no repetition the host
// can name.
const wchar_t* RecurrenceOfMode(uint32_t mode)
{
    static const wchar_t* const kTypes[] = {L"4", L"1", L"2", L"3", L"5"};
    return mode < 5 ? kTypes[mode] : L"";
}

// The ordinary numbering: 0 daily, 1 weekly, 2 monthly, 3 yearly; monthly and yearly
// ones fall on a date or on the n-th weekday.
void DecodeOrdinaryPattern(const ScheduleLayout& l, const RecordBytes& r, std::wstring& type, std::wstring& flag)
{
    Day start = DayOf(r.U32(l.startDate));
    bool byDate = r.U8(l.everyByDate) == 1;
    uint32_t weekAndDay = WeekBit(r.U32(l.everyWeek)) | WeekdayBit(r.U32(l.everyWeekDay));
    switch (r.U32(l.repeatType)) {
    case 0:
        type = L"1";
        flag = std::to_wstring(static_cast<LONG>(r.U32(l.byDate)));  // the writer keeps a daily flag there
        break;
    case 1: {
        uint32_t marked = 0;
        for (uint32_t day = 0; day < 7; ++day) {
            if (r.U8(l.weekSelect + day) == 1)
                marked |= WeekdayBit(day);
        }
        type = L"2";
        flag = std::to_wstring(marked);
        break;
    }
    case 2:
        type = byDate ? L"3" : L"4";
        flag = std::to_wstring(byDate ? start.day : weekAndDay);
        break;
    case 3:
        type = byDate ? L"5" : L"6";
        flag = std::to_wstring(byDate ? start.month : weekAndDay);
        break;
    default:
        type = L"";
        break;
    }
}

// Only the fields the columns carry; the weekend exception, the two spare weekday bytes
// and the month fields keep theirs.
void EncodeOrdinaryPattern(const ScheduleLayout& l, RecordBytes& r, const std::wstring& type, const ColumnMap& values)
{
    for (size_t at : {l.repeatType, l.every, l.byDate, l.everyWeek, l.everyWeekDay})
        r.SetU32(at, 0);
    for (size_t day = 0; day < 7; ++day)
        r.SetU8(l.weekSelect + day, 0);
    r.SetU8(l.everyByDate, 0);

    uint32_t flag = static_cast<uint32_t>(ParseDecimal(TextOf(values, L"RECURRENCE_FLAG")));
    uint32_t every = static_cast<uint32_t>(NumberOf(values, L"RECURRENCE_EVERY"));
    uint32_t repeatType = 0;
    if (type == L"1") {
        r.SetU32(l.byDate, flag);
    } else if (type == L"2") {
        repeatType = 1;
        for (uint32_t day = 0; day < 7; ++day) {
            if (flag & WeekdayBit(day))
                r.SetU8(l.weekSelect + day, 1);
        }
    } else if (type == L"3" || type == L"5") {
        repeatType = type == L"3" ? 2 : 3;
        r.SetU8(l.everyByDate, 1);
    } else if (type == L"4" || type == L"6") {
        repeatType = type == L"4" ? 2 : 3;
        r.SetU32(l.everyWeek, WeekIndex(flag));
        r.SetU32(l.everyWeekDay, WeekdayIndex(flag));
        // The n-th weekday of every month unless the item gives a longer interval, which
        // a handset's own entry may hold.
        if (type == L"4" && every <= 1)
            every = 1;
    }
    r.SetU32(l.repeatType, repeatType);
    if (type.size() == 1 && type[0] >= L'0' && type[0] <= L'6')
        r.SetU32(l.every, every);
}

void EncodePattern(const ScheduleLayout& l, RecordBytes& r, const ColumnMap& values)
{
    std::wstring type = TextOf(values, L"RECURRENCE_TYPE");
    // An item that names no recurrence does not repeat.
    r.SetU8(l.repeatCheck, !type.empty() && type != L"0" ? 1 : 0);
    if (l.repeatMode)
        r.SetU32(*l.repeatMode, NumberOf(values, L"RECURRENCE_EVERY") == 1 ? RepeatModeOf(type) : 0);
    else if (l.alarmDate)
        r.SetU32(l.repeatType, RepeatModeOf(type));
    else
        EncodeOrdinaryPattern(l, r, type, values);
}

// Compact-repeat records mark the start's weekday, day, month and week of the month.
void EncodeStartPattern(const ScheduleLayout& l, RecordBytes& r)
{
    Day start = DayOf(r.U32(l.startDate));
    for (size_t day = 0; day < l.weekSelectCount; ++day)
        r.SetU8(l.weekSelect + day, day == start.weekdayIndex ? 1 : 0);
    r.SetU8(l.everyByDate, 1);
    r.SetU32(l.byDate, start.day);
    r.SetU32(l.byMonth, start.month - 1);
    r.SetU32(l.everyMonth, start.month - 1);
    r.SetU32(l.everyWeek, start.day / 7 + 1 + (start.weekdayIndex == 4 || start.weekdayIndex == 5 ? 1 : 0));
    r.SetU32(l.everyWeekDay, start.weekdayIndex);
}

// Only a repeating record ends; the record's own Repeat_Check says whether it repeats.
void EncodeExpiry(const ScheduleLayout& l, RecordBytes& r, const ColumnMap& values)
{
    r.SetU8(l.expiry, 0);
    r.SetU32(l.expireDay, 0);
    std::wstring expire = TextOf(values, L"RECURRENCE_EXPIRE_TYPE");
    if (r.U8(l.repeatCheck) == 0 || (expire != L"0" && expire != L"1"))
        return;
    r.SetU8(l.expiry, 1);
    PutTime(r, l.expireDay, values, L"RECURRENCE_EXPIRE_DATE");
}

}  // namespace

void DecodeRecurrence(const ScheduleLayout& l, const RecordBytes& r, ColumnMap& map)
{
    std::wstring type = L"0";
    std::wstring ui;
    std::wstring flag;
    LONG every = static_cast<LONG>(r.U32(l.every));
    if (r.U8(l.repeatCheck) != 0) {
        ui = l.repeatMode ? L"Type1" : L"Type5";
        if (l.repeatMode) {
            type = RecurrenceOfMode(r.U32(*l.repeatMode));
            every = 1;
        } else if (l.alarmDate) {
            type = RecurrenceOfMode(r.U32(l.repeatType));
            every = 1;
            flag = std::to_wstring(WeekdayBit(DayOf(r.U32(l.startDate)).weekdayIndex));
        } else {
            DecodeOrdinaryPattern(l, r, type, flag);
        }
    }
    map.SetText(L"RECURRENCE_TYPE", type);
    map.SetText(L"RECURRENCE_UI_TYPE", ui);
    map.SetText(L"RECURRENCE_FLAG", flag);
    map.SetValue(L"RECURRENCE_EVERY", VT_I4, every);
    if (r.U8(l.expiry) != 0) {
        map.SetText(L"RECURRENCE_EXPIRE_TYPE", L"0");
        map.SetValue(L"RECURRENCE_EXPIRE_VALUE", VT_I4, 1);
        SetDate(map, L"RECURRENCE_EXPIRE_DATE", r.U32(l.expireDay));
    } else {
        map.SetText(L"RECURRENCE_EXPIRE_TYPE", L"2");
    }
}

void EncodeRecurrence(const ScheduleLayout& l, RecordBytes& r, ColumnChanges& changes)
{
    const ColumnMap& values = changes.Values();
    if (changes.Changed(kPatternColumns))
        EncodePattern(l, r, values);
    if (l.alarmDate && changes.Changed({L"RECURRENCE_TYPE", L"START_DATE"}))
        EncodeStartPattern(l, r);
    if (changes.Changed(kExpiryColumns))
        EncodeExpiry(l, r, values);
}

void DecodeDayOfTheYear(const RecordBytes& r, size_t repeatCheck, const std::optional<size_t>& lunar, ColumnMap& map)
{
    map.SetText(L"RECURRENCE_TYPE", r.U8(repeatCheck) != 0 ? L"5" : L"0");
    if (lunar)
        map.SetText(L"START_DATE_TYPE", r.U16(*lunar) == 1 ? L"LUNAR" : L"");
}

void EncodeDayOfTheYear(RecordBytes& r, size_t repeatCheck, const std::optional<size_t>& lunar,
                        const ColumnChanges& changes)
{
    if (changes.Changed({L"RECURRENCE_TYPE"}))
        r.SetU8(repeatCheck, TextOf(changes.Values(), L"RECURRENCE_TYPE") == L"5" ? 1 : 0);
    if (lunar && changes.Changed({L"START_DATE_TYPE"}))
        r.SetU16(*lunar, TextOf(changes.Values(), L"START_DATE_TYPE") == L"LUNAR" ? 1 : 0);
}

}  // namespace kelvra::org
