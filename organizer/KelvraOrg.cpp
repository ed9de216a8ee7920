#include "KelvraOrg.h"

#include <algorithm>
#include <cwchar>

#include "Errors.h"
#include "HandsetTime.h"
#include "Request.h"

namespace kelvra {

namespace {


const wchar_t* const kMelodyTypes[] = {L"bell", L"mp3", L"default bell + index", L"path", L"object"};
const wchar_t* const kAlarmUnits[] = {L"Minute", L"Hour", L"Day", L"Week", L"Target", L"BeforeTarget"};

// The columns whose values make up each group of fields.
const std::vector<std::wstring> kAlarmColumns = {L"ALARM_TYPE",         L"ALARM_VALUE",       L"ALARM_MELODY",
                                                 L"ALARM_MELODY_TYPE",  L"ALARM_MELODY_INDEX", L"ALARM_TARGET_DATE",
                                                 L"ALARM_BEFORETARGET_TIME", L"ISHOLIDAY"};
const std::vector<std::wstring> kRecurrenceColumns = {L"RECURRENCE_TYPE", L"RECURRENCE_EVERY", L"RECURRENCE_FLAG",
                                                      L"RECURRENCE_EXPIRE_TYPE", L"RECURRENCE_EXPIRE_DATE"};

bool Same(const std::wstring& a, const wchar_t* b)
{
    return _wcsicmp(a.c_str(), b) == 0;
}

std::wstring TextOf(const ColumnMap& map, const std::wstring& name)
{
    auto found = map.find(name);
    return found == map.end() ? std::wstring() : ComparableText(found->second);
}

LONG NumberOf(const ColumnMap& map, const std::wstring& name)
{
    return map.Has(name) ? map.Number(name) : 0;
}

// A date column; an absent or empty one is no date (0).
DATE DateOf(const ColumnMap& map, const std::wstring& name)
{
    auto found = map.find(name);
    if (found == map.end() || found->second.Type() == VT_EMPTY || found->second.Type() == VT_NULL)
        return 0;
    Variant date;
    if (FAILED(VariantChangeType(date.Out(), const_cast<VARIANT*>(&found->second.Get()), 0, VT_DATE)))
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

// Writes a date column into a time field; no date leaves the field as it is.
void PutTime(RecordBytes& r, size_t offset, const ColumnMap& values, const std::wstring& column)
{
    DATE date = DateOf(values, column);
    if (date != 0)
        r.SetU32(offset, HandsetTimeFromDate(date));
}

// A text column into its field; the column then holds the text as stored.
void PutWide(RecordBytes& r, const TextField& field, ColumnMap& values, const std::wstring& column)
{
    r.SetWideText(field, TextOf(values, column));
    values.SetText(column, r.WideText(field));
}

std::wstring FromUtf8(const std::string& bytes)
{
    if (bytes.empty())
        return {};
    int units = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring text(static_cast<size_t>(std::max(units, 0)), L'\0');
    if (units > 0)
        MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), units);
    return text;
}

// A sound file name in UTF-8, cut at a character boundary; the column then holds it as stored.
void PutSoundFile(RecordBytes& r, const TextField& field, ColumnMap& values, const std::wstring& column)
{
    r.SetNarrowText(field, TextOf(values, column), CP_UTF8);
    values.SetText(column, FromUtf8(r.NarrowText(field)));
}

uint8_t MelodyCode(const std::wstring& text)
{
    for (uint8_t code = 0; code < 5; ++code) {
        if (text == kMelodyTypes[code])
            return code;
    }
    return 0;
}

const wchar_t* MelodyText(uint8_t code)
{
    return code < 5 ? kMelodyTypes[code] : kMelodyTypes[0];
}

uint32_t AlarmUnitCode(const std::wstring& text)
{
    for (uint32_t code = 0; code < 6; ++code) {
        if (text == kAlarmUnits[code])
            return code;
    }
    return 0xFFFFFFFFu;
}

// Weekday index of records: Monday 0 ... Saturday 5, Sunday 6.
uint32_t WeekdayIndexOfFlag(uint32_t flag)
{
    for (uint32_t bit = 1; bit <= 6; ++bit) {
        if (flag & (1u << bit))
            return bit - 1;
    }
    return 0;  // Sunday alone is 6; no weekday at all reads as Monday
}

uint32_t WeekdayIndex(uint32_t flag)
{
    return (flag & 0x7E) == 0 && (flag & 1) ? 6 : WeekdayIndexOfFlag(flag);
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

// The recurrence numbering of compact-repeat records, used both ways: 1 daily,
// 2 weekly, 3 monthly by date, 4 yearly by date, 0 none.
uint32_t CompactRepeatType(const std::wstring& type)
{
    if (type == L"1" || type == L"2" || type == L"3")
        return static_cast<uint32_t>(type[0] - L'0');
    return type == L"5" ? 4 : 0;
}

const wchar_t* CompactRecurrence(uint32_t repeatType)
{
    static const wchar_t* const kTypes[] = {L"0", L"1", L"2", L"3", L"5"};
    return repeatType < 5 ? kTypes[repeatType] : L"0";
}

// The alarm of an extended-alarm record, kept as a mode: 0 none, 1 at the start,
// 2 thirty minutes, 3 an hour, 4 a day, 5 a week before, 6 a term of its own.
void DecodeAlarmMode(const AlarmModeFields& m, const RecordBytes& r, uint32_t start, ColumnMap& map)
{
    map.SetText(L"ISHOLIDAY", r.U8(m.holidayCheck) == 1 ? L"SET" : L"UNSET");
    uint32_t mode = r.U32(m.alarmMode);
    static const wchar_t* const kTypes[] = {L"None", L"Minute", L"Minute", L"Hour", L"Day", L"Week"};
    static const LONG kValues[] = {0, 0, 30, 1, 1, 1};
    if (mode < 6) {
        map.SetText(L"ALARM_TYPE", kTypes[mode]);
        map.SetValue(L"ALARM_VALUE", VT_I4, kValues[mode]);
        if (mode == 1)
            SetDate(map, L"ALARM_TARGET_DATE", start);
    } else {
        uint32_t unit = r.U32(m.customType);
        map.SetText(L"ALARM_TYPE", unit < 3 ? kAlarmUnits[unit] : L"");
        map.SetValue(L"ALARM_VALUE", VT_I4, static_cast<LONG>(r.U32(m.customTerm)));
    }
}

void EncodeAlarmMode(const AlarmModeFields& m, RecordBytes& r, const std::wstring& type, LONG value,
                     const ColumnMap& values)
{
    uint32_t mode = 0;
    const bool unit = type == L"Minute" || type == L"Hour" || type == L"Day" || type == L"Week";
    if (unit && value == 0) {
        mode = 1;
    } else if (type == L"Minute" && value == 30) {
        mode = 2;
    } else if (type == L"Hour" && value == 1) {
        mode = 3;
    } else if (type == L"Day" && value == 1) {
        mode = 4;
    } else if ((type == L"Day" && value == 7) || (type == L"Week" && value == 1)) {
        mode = 5;
    } else if (unit) {
        mode = 6;
        r.SetU32(m.customTerm, static_cast<uint32_t>(type == L"Week" ? value * 7 : value));
        r.SetU32(m.customType, type == L"Minute" ? 0 : type == L"Hour" ? 1 : 2);
    } else if (type == L"Time") {
        DATE at = DateOf(values, L"ALARM_BEFORETARGET_TIME");
        mode = at != 0 && HandsetTimeFromDate(at) == HandsetTimeFromDate(DateOf(values, L"START_DATE")) ? 1 : 0;
    }
    r.SetU32(m.alarmMode, mode);
}

// An alarm encoded whole: everything it leaves unset is zero. A holiday mark, which
// shares the alarm-mode fields, is set from its own column.
void ClearAlarm(const AlarmFields& alarm, const std::optional<AlarmModeFields>& mode, RecordBytes& r,
                const ColumnMap& values)
{
    r.SetU8(alarm.check, 0);
    r.SetU32(alarm.before, 0);
    r.SetU32(alarm.beforeType, 0);
    r.SetU8(alarm.soundType, 0);
    r.SetU16(alarm.soundIndex, 0);
    r.SetNarrowText(alarm.soundFile, std::string_view());
    if (mode) {
        r.SetU8(mode->holidayCheck, Same(TextOf(values, L"ISHOLIDAY"), L"SET") ? 1 : 0);
        r.SetU32(mode->alarmMode, 0);
        r.SetU32(mode->customTerm, 0);
        r.SetU32(mode->customType, 0);
    }
}

// The alarm type to encode; a model without an alarm date keeps no alarm at a date,
// and the item says so.
std::wstring EncodableAlarmType(bool hasAlarmDate, ColumnMap& values)
{
    std::wstring type = TextOf(values, L"ALARM_TYPE");
    if (!hasAlarmDate && (type == L"Target" || type == L"BeforeTarget")) {
        type = L"None";
        values.SetText(L"ALARM_TYPE", type);
    }
    return type == L"None" ? std::wstring() : type;
}

void PutAlarmSound(const AlarmFields& alarm, RecordBytes& r, ColumnMap& values)
{
    r.SetU8(alarm.soundType, MelodyCode(TextOf(values, L"ALARM_MELODY_TYPE")));
    r.SetU16(alarm.soundIndex, static_cast<uint16_t>(NumberOf(values, L"ALARM_MELODY_INDEX")));
    PutSoundFile(r, alarm.soundFile, values, L"ALARM_MELODY");
}

// Anniversaries and holidays come back every year or not, and may be lunar dates.
void DecodeDayOfTheYear(const RecordBytes& r, size_t repeatCheck, const std::optional<size_t>& lunar, ColumnMap& map)
{
    map.SetText(L"RECURRENCE_TYPE", r.U8(repeatCheck) == 1 ? L"5" : L"0");
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

}  // namespace

CKelvraOrg::CKelvraOrg(ITAMAgent* agent, const OrganizerSettings& settings)
    : CKelvraBase(agent, 1, 3000),
      m_settings(settings),
      m_schedule(ScheduleLayout::For(settings, settings.Kind(OrgKind::Schedule))),
      m_important(ScheduleLayout::For(settings, settings.Kind(OrgKind::Important))),
      m_private(ScheduleLayout::For(settings, settings.Kind(OrgKind::Private))),
      m_anniversary(AnniversaryLayout::For(settings, settings.Kind(OrgKind::Anniversary))),
      m_holiday(HolidayLayout::For(settings, settings.Kind(OrgKind::Holiday))),
      m_event(EventLayout::For(settings.Kind(OrgKind::Event))),
      m_task(TaskLayout::For(settings)),
      m_memo(MemoLayout::For(settings))
{
}

uint32_t CKelvraOrg::LoadIndexList(uint32_t store, uint32_t maxCount, std::vector<uint32_t>& indexes)
{
    indexes.clear();
    uint32_t count = GetRecordCount(store);
    if (count > 0)
        GetRecordIndexList(indexes, store, std::min(count, maxCount));
    return count;
}

size_t CKelvraOrg::GetRecordSize(OrgKind kind) const
{
    switch (kind) {
    case OrgKind::Schedule: return m_schedule.size;
    case OrgKind::Anniversary: return m_anniversary.size;
    case OrgKind::Holiday: return m_holiday.size;
    case OrgKind::Important: return m_important.size;
    case OrgKind::Private: return m_private.size;
    case OrgKind::Event: return m_event.size;
    }
    return 0;
}

uint32_t CKelvraOrg::FindFreeIndex(LONG start, LONG maxCount, std::vector<uint32_t> used)
{
    std::sort(used.begin(), used.end());
    int64_t candidate = std::max<LONG>(start, 0);
    for (uint32_t index : used) {
        if (candidate < index)
            break;
        if (candidate == index)
            candidate = static_cast<int64_t>(index) + 1;
    }
    if (candidate > static_cast<int64_t>(maxCount) - 1)
        ThrowTamError(kTamStoreFull, L"The handset has no free place for another record of this kind");
    return static_cast<uint32_t>(candidate);
}

// A task or memo: a record whose first field is its own u16 index.
template <class Decode, class Encode>
void CKelvraOrg::WriteIndexedRecord(uint32_t store, size_t size, size_t indexField, ColumnMap& map, bool creating,
                                    Decode decode, Encode encode)
{
    uint32_t index = static_cast<uint16_t>(map.Number(L"SUID"));
    ColumnChanges changes = ColumnChanges::ForNewRecord(map);
    RecordBytes record = StartRecord(store, index, size, creating, map, changes, decode);
    encode(record, changes);
    record.SetU16(indexField, static_cast<uint16_t>(index));
    WriteRecord(store, index, record);
    map = changes.Values();
}

// ---- Calendar records ------------------------------------------------------------------

void CKelvraOrg::ReadOrganizerRecord(OrgKind kind, uint32_t index, ColumnMap& map)
{
    uint32_t store = StoreOfKind(kind);
    RecordBytes record = ReadRecord(store, index, GetRecordSize(kind));
    switch (kind) {
    case OrgKind::Anniversary: DecodeAnniversary(m_anniversary, record, map); break;
    case OrgKind::Holiday: DecodeHoliday(m_holiday, record, map); break;
    case OrgKind::Event: DecodeEvent(m_event, record, map); break;
    case OrgKind::Important: DecodeSchedule(m_important, record, map); break;
    case OrgKind::Private: DecodeSchedule(m_private, record, map); break;
    case OrgKind::Schedule: DecodeSchedule(m_schedule, record, map); break;
    }
}

void CKelvraOrg::WriteOrganizerRecord(OrgKind kind, ColumnMap& map, bool creating)
{
    uint32_t index = static_cast<uint32_t>(map.Number(L"SUID"));
    uint32_t store = StoreOfKind(kind);
    ColumnChanges changes = ColumnChanges::ForNewRecord(map);
    RecordBytes record(0);
    switch (kind) {
    case OrgKind::Anniversary:
        record = StartRecord(store, index, m_anniversary.size, creating, map, changes,
                             [&](const RecordBytes& r, ColumnMap& m) { DecodeAnniversary(m_anniversary, r, m); });
        EncodeAnniversary(m_anniversary, record, changes);
        record.SetU32(m_anniversary.index, index);
        break;
    case OrgKind::Holiday:
        record = StartRecord(store, index, m_holiday.size, creating, map, changes,
                             [&](const RecordBytes& r, ColumnMap& m) { DecodeHoliday(m_holiday, r, m); });
        EncodeHoliday(m_holiday, record, changes);
        record.SetU32(m_holiday.index, index);
        break;
    case OrgKind::Event:
        record = StartRecord(store, index, m_event.size, creating, map, changes,
                             [&](const RecordBytes& r, ColumnMap& m) { DecodeEvent(m_event, r, m); });
        EncodeEvent(m_event, record, changes);
        record.SetU32(m_event.address, index);
        break;
    default: {
        const ScheduleLayout& l = kind == OrgKind::Important ? m_important
                                  : kind == OrgKind::Private ? m_private
                                                             : m_schedule;
        record = StartRecord(store, index, l.size, creating, map, changes,
                             [&](const RecordBytes& r, ColumnMap& m) { DecodeSchedule(l, r, m); });
        EncodeSchedule(l, record, changes);
        record.SetU32(l.index, index);
        break;
    }
    }
    WriteRecord(store, index, record);
    map = changes.Values();
}

void CKelvraOrg::DecodeSchedule(const ScheduleLayout& l, const RecordBytes& r, ColumnMap& map) const
{
    map.SetValue(L"SUID", VT_I4, static_cast<LONG>(r.U32(l.index)));
    map.SetText(L"SUBJECT", r.WideText(l.title));
    map.SetText(L"DETAIL", r.WideText(l.details));
    map.SetText(L"LOCATION", r.WideText(l.location));
    SetDate(map, L"START_DATE", r.U32(l.startDate));
    SetDate(map, L"END_DATE", r.U32(l.endDate));
    DecodeScheduleAlarm(l, r, map);
    DecodeRecurrence(l, r, map);
}

void CKelvraOrg::DecodeScheduleAlarm(const ScheduleLayout& l, const RecordBytes& r, ColumnMap& map) const
{
    map.SetText(L"ALARM_MELODY_TYPE", MelodyText(r.U8(l.alarm.soundType)));
    map.SetValue(L"ALARM_MELODY_INDEX", VT_I4, r.U16(l.alarm.soundIndex));
    map.SetText(L"ALARM_MELODY", FromUtf8(r.NarrowText(l.alarm.soundFile)));
    if (l.mode) {
        DecodeAlarmMode(*l.mode, r, r.U32(l.startDate), map);
        return;
    }
    if (r.U8(l.alarm.check) == 0) {
        map.SetText(L"ALARM_TYPE", L"None");
        map.SetValue(L"ALARM_VALUE", VT_I4, 0);
        return;
    }
    if (l.alarmDate) {
        map.SetText(L"ALARM_TYPE", L"Target");
        map.SetValue(L"ALARM_VALUE", VT_I4, 0);
        SetDate(map, L"ALARM_TARGET_DATE", r.U32(*l.alarmDate));
        return;
    }
    uint32_t unit = r.U32(l.alarm.beforeType);
    map.SetText(L"ALARM_TYPE", unit < 4 ? kAlarmUnits[unit] : L"");
    map.SetValue(L"ALARM_VALUE", VT_I4, static_cast<LONG>(r.U32(l.alarm.before)));
}

void CKelvraOrg::DecodeRecurrence(const ScheduleLayout& l, const RecordBytes& r, ColumnMap& map) const
{
    std::wstring type = L"0";
    std::wstring ui;
    std::wstring flag;
    LONG every = static_cast<LONG>(r.U32(l.every));
    bool repeating = r.U8(l.repeatCheck) == 1;
    if (repeating) {
        ui = m_settings.ExtendedAlarm() ? L"Type1" : L"Type5";
        Day start = DayOf(r.U32(l.startDate));
        uint32_t repeatType = r.U32(l.repeatType);
        uint32_t marked = 0;
        int markedCount = 0;
        for (size_t day = 0; day < 7 && day < l.weekSelectCount; ++day) {
            if (r.U8(l.weekSelect + day) == 1) {
                marked |= WeekdayBit(static_cast<uint32_t>(day));
                ++markedCount;
            }
        }
        uint32_t weekAndDay = WeekBit(r.U32(l.everyWeek)) | WeekdayBit(r.U32(l.everyWeekDay));
        bool byDate = r.U8(l.everyByDate) == 1;
        if (l.repeatMode) {
            uint32_t mode = r.U32(*l.repeatMode);
            type = mode >= 1 && mode <= 3 ? std::to_wstring(mode) : mode == 4 ? L"5" : L"0";
            every = 1;
        } else if (l.alarmDate) {
            type = CompactRecurrence(repeatType);
            every = 1;
            flag = std::to_wstring(WeekdayBit(start.weekdayIndex));
        } else {
            // What the record's kind of repetition says of the start day, unless a rule
            // below gives the flag its own meaning.
            static const uint32_t kNone = 0;
            uint32_t first = repeatType == 0 ? 1
                             : repeatType == 1 ? WeekdayBit(start.weekdayIndex)
                             : repeatType == 2 ? start.day
                             : repeatType == 3 ? start.month
                                               : kNone;
            flag = std::to_wstring(first);
            if (m_settings.FModel()) {
                switch (repeatType) {
                case 0: type = L"1"; flag = L"0"; break;
                case 1: type = L"2"; flag = std::to_wstring(marked); break;
                case 2:
                    type = byDate ? L"3" : L"4";
                    if (!byDate)
                        flag = std::to_wstring(weekAndDay);
                    break;
                case 3:
                    type = byDate ? L"5" : L"6";
                    if (!byDate)
                        flag = std::to_wstring(weekAndDay);
                    break;
                default: break;
                }
            } else {
                switch (repeatType) {
                case 0: type = every > 1 ? L"0" : L"1"; break;
                case 1:
                    if (every <= 1) {
                        type = L"2";
                        flag = std::to_wstring(markedCount >= 2 ? marked
                                               : markedCount == 1 ? marked
                                                                  : WeekdayBit(0));
                    } else {
                        type = L"0";
                    }
                    break;
                case 2:
                    if (byDate) {
                        type = every > 1 ? L"0" : L"3";
                    } else if (r.U8(l.expiry) == 1) {
                        type = L"0";
                    } else {
                        type = L"4";
                        flag = std::to_wstring(weekAndDay);
                    }
                    break;
                case 3:
                    type = byDate ? L"5" : L"0";
                    if (byDate)
                        every = 0;
                    break;
                default: break;
                }
            }
        }
    }
    map.SetText(L"RECURRENCE_TYPE", type);
    map.SetText(L"RECURRENCE_UI_TYPE", ui);
    map.SetText(L"RECURRENCE_FLAG", flag);
    map.SetValue(L"RECURRENCE_EVERY", VT_I4, every);
    if (r.U8(l.expiry) == 1) {
        map.SetText(L"RECURRENCE_EXPIRE_TYPE", L"0");
        map.SetValue(L"RECURRENCE_EXPIRE_VALUE", VT_I4, 1);
        SetDate(map, L"RECURRENCE_EXPIRE_DATE", r.U32(l.expireDay));
    } else {
        map.SetText(L"RECURRENCE_EXPIRE_TYPE", L"2");
    }
}

void CKelvraOrg::EncodeSchedule(const ScheduleLayout& l, RecordBytes& r, ColumnChanges& changes) const
{
    ColumnMap& values = changes.Values();
    // TYPE must be a number even though the record keeps its own kind byte.
    values.Number(L"TYPE");
    if (changes.Changed({L"SUBJECT"}))
        PutWide(r, l.title, values, L"SUBJECT");
    if (changes.Changed({L"DETAIL"}))
        PutWide(r, l.details, values, L"DETAIL");
    if (changes.Changed({L"LOCATION"}))
        PutWide(r, l.location, values, L"LOCATION");
    if (changes.Changed({L"START_DATE"})) {
        PutTime(r, l.startDate, values, L"START_DATE");
        PutTime(r, l.startTime, values, L"START_DATE");
    }
    if (changes.Changed({L"END_DATE"})) {
        PutTime(r, l.endDate, values, L"END_DATE");
        PutTime(r, l.endTime, values, L"END_DATE");
    }
    std::vector<std::wstring> alarm = kAlarmColumns;
    if (l.mode)
        alarm.push_back(L"START_DATE");  // an alarm at the start is a mode of its own
    if (changes.Changed(alarm))
        EncodeScheduleAlarm(l, r, values);
    std::vector<std::wstring> recurrence = kRecurrenceColumns;
    if (l.alarmDate)
        recurrence.push_back(L"START_DATE");  // the repetition is worked out from the start
    if (changes.Changed(recurrence))
        EncodeRecurrence(l, r, values);
    values.SetValue(L"PRIORITY", VT_I4, 1);
    values.SetValue(L"DONE_STATE", VT_I4, 0);
}

void CKelvraOrg::EncodeScheduleAlarm(const ScheduleLayout& l, RecordBytes& r, ColumnMap& values) const
{
    if (l.alarmDate) {
        r.SetU32(*l.alarmDate, 0);
        r.SetU32(*l.alarmTime, 0);
    }
    ClearAlarm(l.alarm, l.mode, r, values);
    std::wstring type = EncodableAlarmType(l.alarmDate.has_value(), values);
    if (type.empty())
        return;
    r.SetU8(l.alarm.check, 1);
    LONG value = NumberOf(values, L"ALARM_VALUE");
    if (l.mode) {
        EncodeAlarmMode(*l.mode, r, type, value, values);
    } else if (l.alarmDate) {
        PutTime(r, *l.alarmDate, values, L"ALARM_TARGET_DATE");
        PutTime(r, *l.alarmTime, values, L"ALARM_TARGET_DATE");
    } else {
        r.SetU32(l.alarm.before, static_cast<uint32_t>(value));
        r.SetU32(l.alarm.beforeType, AlarmUnitCode(type));
    }
    PutAlarmSound(l.alarm, r, values);
}

void CKelvraOrg::EncodeRecurrence(const ScheduleLayout& l, RecordBytes& r, ColumnMap& values) const
{
    // The repetition fields are encoded whole, from Repeat_Check to the expiry.
    for (size_t at = l.repeatCheck; at < l.expireDay + 4; ++at)
        r.SetU8(at, 0);
    if (l.repeatMode)
        r.SetU32(*l.repeatMode, 0);

    std::wstring type = TextOf(values, L"RECURRENCE_TYPE");
    uint32_t flag = static_cast<uint32_t>(ParseDecimal(TextOf(values, L"RECURRENCE_FLAG")));
    LONG every = NumberOf(values, L"RECURRENCE_EVERY");
    // An item that names no recurrence does not repeat.
    bool repeating = !type.empty() && type != L"0";

    if (l.repeatMode) {
        uint32_t mode = 0;
        if (every == 1) {
            if (type == L"1" || type == L"2" || type == L"3")
                mode = static_cast<uint32_t>(type[0] - L'0');
            else if (type == L"5")
                mode = 4;
        }
        r.SetU32(*l.repeatMode, mode);
    } else if (l.alarmDate) {
        r.SetU32(l.repeatType, CompactRepeatType(type));
        Day start = DayOf(r.U32(l.startDate));
        r.SetU8(l.weekSelect + start.weekdayIndex, 1);
        r.SetU8(l.everyByDate, 1);
        r.SetU32(l.byDate, start.day);
        r.SetU32(l.byMonth, start.month - 1);
        r.SetU32(l.everyMonth, start.month - 1);
        r.SetU32(l.everyWeek, start.day / 7 + 1 + (start.weekdayIndex == 4 || start.weekdayIndex == 5 ? 1 : 0));
        r.SetU32(l.everyWeekDay, start.weekdayIndex);
    } else {
        uint32_t repeatType = 0;
        if (type == L"1") {
            r.SetU32(l.byDate, flag);
        } else if (type == L"2") {
            repeatType = 1;
            for (uint32_t day = 0; day < 7; ++day) {
                if (flag & WeekdayBit(day))
                    r.SetU8(l.weekSelect + day, 1);
            }
        } else if (type == L"3") {
            repeatType = 2;
            r.SetU8(l.everyByDate, 1);
        } else if (type == L"4") {
            repeatType = 2;
            r.SetU32(l.every, 1);
            r.SetU32(l.everyWeek, WeekIndex(flag));
            r.SetU32(l.everyWeekDay, WeekdayIndex(flag));
        } else if (type == L"5") {
            repeatType = 3;
            r.SetU8(l.everyByDate, 1);
        } else if (type == L"6") {
            // Yearly on the n-th weekday keeps its week and weekday, as the monthly one does.
            repeatType = 3;
            r.SetU32(l.everyWeek, WeekIndex(flag));
            r.SetU32(l.everyWeekDay, WeekdayIndex(flag));
        }
        r.SetU32(l.repeatType, repeatType);
        if (type == L"0" || type == L"1" || type == L"2" || type == L"3" || type == L"5" || type == L"6")
            r.SetU32(l.every, static_cast<uint32_t>(every));
    }
    if (!repeating)
        return;
    r.SetU8(l.repeatCheck, 1);
    std::wstring expire = TextOf(values, L"RECURRENCE_EXPIRE_TYPE");
    if (expire == L"0" || expire == L"1") {
        r.SetU8(l.expiry, 1);
        PutTime(r, l.expireDay, values, L"RECURRENCE_EXPIRE_DATE");
    }
}

// ---- Anniversaries, holidays, events -----------------------------------------------------

void CKelvraOrg::DecodeAnniversary(const AnniversaryLayout& l, const RecordBytes& r, ColumnMap& map) const
{
    map.SetValue(L"SUID", VT_I4, static_cast<LONG>(r.U32(l.index)));
    map.SetText(L"SUBJECT", r.WideText(l.text));
    map.SetText(L"DETAIL", r.WideText(l.details));
    SetDate(map, L"START_DATE", r.U32(l.date));
    map.SetText(L"ALARM_MELODY_TYPE", MelodyText(r.U8(l.alarm.soundType)));
    map.SetValue(L"ALARM_MELODY_INDEX", VT_I4, r.U16(l.alarm.soundIndex));
    map.SetText(L"ALARM_MELODY", FromUtf8(r.NarrowText(l.alarm.soundFile)));
    SetDate(map, L"ALARM_TARGET_DATE", r.U32(l.alarmDate ? *l.alarmDate : l.alarmTime));
    if (l.mode) {
        DecodeAlarmMode(*l.mode, r, r.U32(l.date), map);
    } else if (r.U8(l.alarm.check) == 0) {
        map.SetText(L"ALARM_TYPE", L"None");
        map.SetValue(L"ALARM_VALUE", VT_I4, 0);
    } else if (l.alarmDate) {
        map.SetText(L"ALARM_TYPE", L"Target");
        map.SetValue(L"ALARM_VALUE", VT_I4, 0);
    } else {
        uint32_t unit = r.U32(l.alarm.beforeType);
        map.SetText(L"ALARM_TYPE", unit < 4 ? kAlarmUnits[unit] : L"");
        map.SetValue(L"ALARM_VALUE", VT_I4, static_cast<LONG>(r.U32(l.alarm.before)));
    }
    DecodeDayOfTheYear(r, l.repeatCheck, l.lunar, map);
}

void CKelvraOrg::EncodeAnniversary(const AnniversaryLayout& l, RecordBytes& r, ColumnChanges& changes) const
{
    ColumnMap& values = changes.Values();
    values.Number(L"TYPE");
    if (changes.Changed({L"SUBJECT"}))
        PutWide(r, l.text, values, L"SUBJECT");
    if (changes.Changed({L"DETAIL"}))
        PutWide(r, l.details, values, L"DETAIL");
    if (changes.Changed({L"START_DATE"}))
        PutTime(r, l.date, values, L"START_DATE");
    if (changes.Changed(kAlarmColumns)) {
        r.SetU32(l.alarmTime, 0);
        if (l.alarmDate)
            r.SetU32(*l.alarmDate, 0);
        ClearAlarm(l.alarm, l.mode, r, values);
        std::wstring type = EncodableAlarmType(l.alarmDate.has_value(), values);
        if (!type.empty()) {
            r.SetU8(l.alarm.check, 1);
            if (l.mode) {
                EncodeAlarmMode(*l.mode, r, type, NumberOf(values, L"ALARM_VALUE"), values);
            } else if (!l.alarmDate) {
                r.SetU32(l.alarm.before, static_cast<uint32_t>(NumberOf(values, L"ALARM_VALUE")));
                r.SetU32(l.alarm.beforeType, AlarmUnitCode(type));
            }
            PutTime(r, l.alarmTime, values, L"ALARM_TARGET_DATE");
            if (l.alarmDate)
                PutTime(r, *l.alarmDate, values, L"ALARM_TARGET_DATE");
            PutAlarmSound(l.alarm, r, values);
        }
    }
    EncodeDayOfTheYear(r, l.repeatCheck, l.lunar, changes);
}

void CKelvraOrg::DecodeHoliday(const HolidayLayout& l, const RecordBytes& r, ColumnMap& map) const
{
    map.SetValue(L"SUID", VT_I4, static_cast<LONG>(r.U32(l.index)));
    map.SetText(L"SUBJECT", r.WideText(l.title));
    map.SetText(L"DETAIL", r.WideText(l.details));
    SetDate(map, L"START_DATE", r.U32(l.date));
    DecodeDayOfTheYear(r, l.repeatCheck, l.lunar, map);
}

void CKelvraOrg::EncodeHoliday(const HolidayLayout& l, RecordBytes& r, ColumnChanges& changes) const
{
    ColumnMap& values = changes.Values();
    values.Number(L"TYPE");
    if (changes.Changed({L"SUBJECT"}))
        PutWide(r, l.title, values, L"SUBJECT");
    if (changes.Changed({L"DETAIL"}))
        PutWide(r, l.details, values, L"DETAIL");
    if (changes.Changed({L"START_DATE"}))
        PutTime(r, l.date, values, L"START_DATE");
    EncodeDayOfTheYear(r, l.repeatCheck, l.lunar, changes);
}

void CKelvraOrg::DecodeEvent(const EventLayout& l, const RecordBytes& r, ColumnMap& map) const
{
    map.SetValue(L"SUID", VT_I4, static_cast<LONG>(r.U32(l.address)));
    map.SetText(L"SUBJECT", r.WideText(l.text));
    SetDate(map, L"START_DATE", r.U32(l.startDate));
    SetDate(map, L"END_DATE", r.U32(l.endDate));
}

void CKelvraOrg::EncodeEvent(const EventLayout& l, RecordBytes& r, ColumnChanges& changes) const
{
    ColumnMap& values = changes.Values();
    values.Number(L"TYPE");
    if (changes.Changed({L"SUBJECT"}))
        PutWide(r, l.text, values, L"SUBJECT");
    if (changes.Changed({L"START_DATE"}))
        PutTime(r, l.startDate, values, L"START_DATE");
    if (changes.Changed({L"END_DATE"}))
        PutTime(r, l.endDate, values, L"END_DATE");
}

// ---- Tasks ------------------------------------------------------------------------------

void CKelvraOrg::ReadTaskRecord(uint32_t index, ColumnMap& map)
{
    DecodeTask(ReadRecord(kTaskStore, index, m_task.size), map);
}

void CKelvraOrg::WriteTaskRecord(ColumnMap& map, bool creating)
{
    WriteIndexedRecord(kTaskStore, m_task.size, m_task.index, map, creating,
                       [&](const RecordBytes& r, ColumnMap& m) { DecodeTask(r, m); },
                       [&](RecordBytes& r, ColumnChanges& c) { EncodeTask(r, c); });
}

void CKelvraOrg::DecodeTask(const RecordBytes& r, ColumnMap& map) const
{
    const TaskLayout& l = m_task;
    map.SetValue(L"SUID", VT_I4, r.U16(l.index));
    map.SetText(L"SUBJECT", r.WideText(l.title));
    map.SetText(L"DETAIL", r.WideText(l.details));
    SetDate(map, L"START_DATE", r.U32(l.startDate));
    SetDate(map, L"END_DATE", r.U32(l.dueDate));
    static const wchar_t* const kPriorities[] = {L"High", L"Normal", L"Low"};
    uint32_t priority = r.U32(l.priority);
    map.SetText(L"PRIORITY", priority < 3 ? kPriorities[priority] : L"Normal");
    map.SetText(L"DONE_STATE", r.U8(l.finished) == 1 ? L"Done" : L"Undone");
    SetNull(map, L"ALARM_TIME");
    switch (r.U32(l.alarmMode)) {
    case 1:
    case 2:
        map.SetText(L"ALARM_TYPE", L"Time");
        SetNull(map, L"ALARM_VALUE");
        SetDate(map, L"ALARM_TIME", r.U32(r.U32(l.alarmMode) == 1 ? l.startDate : l.dueDate));
        break;
    case 3: map.SetText(L"ALARM_TYPE", L"Day"); map.SetValue(L"ALARM_VALUE", VT_I4, 1); break;
    case 4: map.SetText(L"ALARM_TYPE", L"Day"); map.SetValue(L"ALARM_VALUE", VT_I4, 2); break;
    case 5:
        if (m_settings.model.IsOneOf({L"KTM-A120 INDONESIA"})) {
            map.SetText(L"ALARM_TYPE", L"Week");
            map.SetValue(L"ALARM_VALUE", VT_I4, 1);
        } else {
            map.SetText(L"ALARM_TYPE", L"Day");
            map.SetValue(L"ALARM_VALUE", VT_I4, 7);
        }
        break;
    default:
        map.SetText(L"ALARM_TYPE", L"");
        SetNull(map, L"ALARM_VALUE");
        break;
    }
}

void CKelvraOrg::EncodeTask(RecordBytes& r, ColumnChanges& changes) const
{
    const TaskLayout& l = m_task;
    ColumnMap& values = changes.Values();
    if (changes.Changed({L"DONE_STATE"}))
        r.SetU8(l.finished, Same(TextOf(values, L"DONE_STATE"), L"Done") ? 1 : 0);
    if (changes.Changed({L"SUBJECT"}))
        PutWide(r, l.title, values, L"SUBJECT");
    if (changes.Changed({L"DETAIL"}))
        PutWide(r, l.details, values, L"DETAIL");
    if (changes.Changed({L"START_DATE"}))
        PutTime(r, l.startDate, values, L"START_DATE");
    if (changes.Changed({L"END_DATE"}))
        PutTime(r, l.dueDate, values, L"END_DATE");
    if (changes.Changed({L"ALARM_TYPE", L"ALARM_VALUE", L"ALARM_TIME", L"START_DATE", L"END_DATE"})) {
        std::wstring type = TextOf(values, L"ALARM_TYPE");
        LONG value = NumberOf(values, L"ALARM_VALUE");
        uint8_t check = 1;
        uint32_t mode = 0;
        uint32_t at = 0;
        if (Same(type, L"Day") && (value == 1 || value == 2 || value == 7)) {
            mode = value == 1 ? 3 : value == 2 ? 4 : 5;
        } else if (Same(type, L"Week") && value == 1) {
            mode = 5;
        } else if (Same(type, L"Time")) {
            DATE alarm = DateOf(values, L"ALARM_TIME");
            at = alarm != 0 ? HandsetTimeFromDate(alarm) : 0;
            if (alarm != 0 && at == r.U32(l.startDate))
                mode = 1;
            else if (alarm != 0 && at == r.U32(l.dueDate))
                mode = 2;
        } else if (type.empty() || Same(type, L"None") || Same(type, L"Day") || Same(type, L"Week")) {
            check = 0;
            values.SetText(L"ALARM_TYPE", L"");
            SetNull(values, L"ALARM_VALUE");
        }
        r.SetU8(l.alarmCheck, check);
        r.SetU32(l.alarmMode, mode);
        r.SetU32(l.alarmDate, check ? at : 0);
        r.SetU32(l.alarmTime, check ? at : 0);
    }
    if (changes.Changed({L"PRIORITY"})) {
        std::wstring priority = TextOf(values, L"PRIORITY");
        r.SetU32(l.priority, Same(priority, L"Normal") ? 1 : Same(priority, L"Low") ? 2 : 0);
    }
}

// ---- Memos ------------------------------------------------------------------------------

void CKelvraOrg::ReadMemoRecord(uint32_t index, ColumnMap& map)
{
    DecodeMemo(ReadRecord(kMemoStore, index, m_memo.size), map);
}

void CKelvraOrg::WriteMemoRecord(ColumnMap& map, bool creating)
{
    WriteIndexedRecord(kMemoStore, m_memo.size, m_memo.index, map, creating,
                       [&](const RecordBytes& r, ColumnMap& m) { DecodeMemo(r, m); },
                       [&](RecordBytes& r, ColumnChanges& c) { EncodeMemo(r, c); });
}

void CKelvraOrg::DecodeMemo(const RecordBytes& r, ColumnMap& map) const
{
    map.SetValue(L"SUID", VT_I4, r.U16(m_memo.index));
    map.SetText(L"DETAIL", r.WideText(m_memo.text));
    if (m_memo.saveTime)
        SetDate(map, L"CREATE_DATE", r.U32(*m_memo.saveTime));
}

void CKelvraOrg::EncodeMemo(RecordBytes& r, ColumnChanges& changes) const
{
    ColumnMap& values = changes.Values();
    if (changes.Changed({L"DETAIL"}))
        PutWide(r, m_memo.text, values, L"DETAIL");
    if (m_memo.saveTime && changes.Changed({L"CREATE_DATE"}))
        PutTime(r, *m_memo.saveTime, values, L"CREATE_DATE");
}

}  // namespace kelvra
