#include "OrganizerAlarms.h"

#include <climits>
#include <cstdint>
#include <iterator>

#include "Errors.h"
#include "HandsetTime.h"
#include "OrganizerColumns.h"

namespace kelvra::org {

namespace {

const wchar_t* const kMelodyTypes[] = {L"bell", L"mp3", L"default bell + index", L"path", L"object"};
const wchar_t* const kAlarmUnits[] = {L"Minute", L"Hour", L"Day", L"Week", L"Target", L"BeforeTarget"};
// What a lead type of no unit is written as, and read back as.
constexpr uint32_t kNoUnit = 0xFFFFFFFFu;

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
    return kNoUnit;
}

// The unit of a lead as the writer puts it: the words, and "Time" (no unit of these
// records) for the code it writes for any other alarm; a code no writer puts is no unit
// the host can name.
const wchar_t* AlarmUnitText(uint32_t code)
{
    if (code < 6)
        return kAlarmUnits[code];
    return code == kNoUnit ? L"Time" : L"";
}

// The alarm of an extended-alarm record, kept as a mode: 0 none, 1 at the start,
// 2 thirty minutes, 3 an hour, 4 a day, 5 a week before, 6 a term of its own. The
// mode 0 of a record whose alarm is on is what the writer makes of an alarm at a time
// it cannot keep: it reads as one, so that it is written back so and "None" stops it.
void DecodeAlarmMode(const AlarmModeFields& m, uint8_t check, const RecordBytes& r, uint32_t start,
                     bool targetAtStart, ColumnMap& map)
{
    uint32_t mode = r.U32(m.alarmMode);
    static const wchar_t* const kTypes[] = {L"None", L"Minute", L"Minute", L"Hour", L"Day", L"Week"};
    static const LONG kValues[] = {0, 0, 30, 1, 1, 1};
    if (mode == 0 && check != 0) {
        map.SetText(L"ALARM_TYPE", L"Time");
        map.SetValue(L"ALARM_VALUE", VT_I4, 0);
    } else if (mode < 6) {
        map.SetText(L"ALARM_TYPE", kTypes[mode]);
        map.SetValue(L"ALARM_VALUE", VT_I4, kValues[mode]);
        if (mode == 1 && targetAtStart)
            SetDate(map, L"ALARM_TARGET_DATE", start);
    } else {
        // A term of its own equal to a preset (30 minutes, an hour, a day or a week)
        // reads as the preset and is written back as it: the alarm rings alike.
        uint32_t unit = r.U32(m.customType);
        map.SetText(L"ALARM_TYPE", unit < 3 ? kAlarmUnits[unit] : L"");
        map.SetValue(L"ALARM_VALUE", VT_I4, static_cast<LONG>(r.U32(m.customTerm)));
    }
}

// A lead in weeks is kept in days; one whose days a 32-bit number cannot hold is refused.
LONG DaysOfWeeks(LONG weeks)
{
    int64_t days = static_cast<int64_t>(weeks) * 7;
    if (days > INT32_MAX || days < INT32_MIN)
        ThrowComError(E_INVALIDARG, L"An alarm " + std::to_wstring(weeks) +
                                        L" weeks ahead is more days than the handset can count");
    return static_cast<LONG>(days);
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
        r.SetU32(m.customTerm, static_cast<uint32_t>(type == L"Week" ? DaysOfWeeks(value) : value));
        r.SetU32(m.customType, type == L"Minute" ? 0 : type == L"Hour" ? 1 : 2);
    } else if (type == L"Time") {
        DATE at = DateOf(values, L"ALARM_BEFORETARGET_TIME");
        mode = at != 0 && HandsetTimeFromDate(at) == HandsetTimeFromDate(DateOf(values, L"START_DATE")) ? 1 : 0;
    }
    r.SetU32(m.alarmMode, mode);
}

// The alarm type to encode, "" for none. An alarm at a target is none, and the item says
// so, where the record has no place for it: on a model that keeps a mode, in a new
// record of a model that keeps a lead, and in one whose target date it cannot hold. A
// record the handset keeps with a lead before its target keeps it through updates.
std::wstring EncodableAlarmType(const CalendarAlarmFields& f, ColumnMap& values, bool creating)
{
    std::wstring type = TextOf(values, L"ALARM_TYPE");
    bool target = type == L"Target" || type == L"BeforeTarget";
    bool noPlace = f.mode || (!f.absolute && creating) ||
                   (f.instants.empty() && HasValue(values, L"ALARM_TARGET_DATE"));
    if (target && noPlace) {
        type = L"None";
        values.SetText(L"ALARM_TYPE", type);
    }
    return type == L"None" ? std::wstring() : type;
}

void ClearRingAndInstants(const CalendarAlarmFields& f, RecordBytes& r)
{
    r.SetU8(f.alarm.soundType, 0);
    r.SetU16(f.alarm.soundIndex, 0);
    r.SetNarrowText(f.alarm.soundFile, std::string_view());
    for (size_t at : f.instants)
        r.SetU32(at, 0);
}

// A record that keeps its alarm at a date has no place for a lead, and without a date its
// alarm would ring at the clock's first instant, 1980-01-06: a lead before the start is
// kept as the date it stands for. A lead before 1980 stays without a date.
void PutLeadAsTarget(const CalendarAlarmFields& f, RecordBytes& r, ColumnMap& values)
{
    static const int64_t kUnitSeconds[] = {60, 3600, 86400, 604800};  // Minute, Hour, Day, Week
    uint32_t unit = AlarmUnitCode(TextOf(values, L"ALARM_TYPE"));
    if (unit >= std::size(kUnitSeconds) || !HasValue(values, L"START_DATE"))
        return;
    int64_t at = static_cast<int64_t>(HandsetTimeFromDate(DateOf(values, L"START_DATE"))) -
                 static_cast<int64_t>(NumberOf(values, L"ALARM_VALUE")) * kUnitSeconds[unit];
    if (at <= 0 || at > UINT32_MAX)
        return;
    SetDate(values, L"ALARM_TARGET_DATE", static_cast<uint32_t>(at));
    for (size_t offset : f.instants)
        PutTime(r, offset, values, L"ALARM_TARGET_DATE");
}

void EncodeAlarm(const CalendarAlarmFields& f, RecordBytes& r, ColumnMap& values, bool creating)
{
    r.SetU8(f.alarm.check, 0);
    r.SetU32(f.alarm.before, 0);
    r.SetU32(f.alarm.beforeType, 0);
    if (f.mode) {
        r.SetU32(f.mode->alarmMode, 0);
        r.SetU32(f.mode->customTerm, 0);
        r.SetU32(f.mode->customType, 0);
    }
    std::wstring type = EncodableAlarmType(f, values, creating);
    if (type.empty())
        return;
    r.SetU8(f.alarm.check, 1);
    LONG value = NumberOf(values, L"ALARM_VALUE");
    if (f.mode) {
        EncodeAlarmMode(*f.mode, r, type, value, values);
    } else if (!f.absolute) {
        r.SetU32(f.alarm.before, static_cast<uint32_t>(value));
        r.SetU32(f.alarm.beforeType, AlarmUnitCode(type));
    }
}

}  // namespace

CalendarAlarmFields CalendarAlarmFields::Of(const ScheduleLayout& l)
{
    CalendarAlarmFields f;
    f.alarm = l.alarm;
    f.mode = l.mode;
    if (l.alarmDate)
        f.instants = {*l.alarmDate, *l.alarmTime};
    f.absolute = l.alarmDate.has_value();
    f.start = l.startDate;
    return f;
}

CalendarAlarmFields CalendarAlarmFields::Of(const AnniversaryLayout& l, size_t date)
{
    CalendarAlarmFields f;
    f.alarm = l.alarm;
    f.mode = l.mode;
    if (l.alarmDate)
        f.instants.push_back(*l.alarmDate);
    f.instants.push_back(l.alarmTime);
    f.absolute = l.alarmDate.has_value();
    f.start = date;
    return f;
}

void DecodeCalendarAlarm(const CalendarAlarmFields& f, const RecordBytes& r, ColumnMap& map)
{
    // The ring and the alarm's own time are read whether the alarm is on or not, so that
    // a record whose alarm is off is written back with them.
    map.SetText(L"ALARM_MELODY_TYPE", MelodyText(r.U8(f.alarm.soundType)));
    map.SetValue(L"ALARM_MELODY_INDEX", VT_I4, r.U16(f.alarm.soundIndex));
    map.SetText(L"ALARM_MELODY", SoundFileOf(r, f.alarm.soundFile));
    uint8_t check = r.U8(f.alarm.check);
    if (!f.instants.empty() && (check != 0 || r.U32(f.instants.front()) != 0))
        SetDate(map, L"ALARM_TARGET_DATE", r.U32(f.instants.front()));
    if (f.mode) {
        map.SetText(L"ISHOLIDAY", r.U8(f.mode->holidayCheck) == 1 ? L"SET" : L"UNSET");
        DecodeAlarmMode(*f.mode, check, r, r.U32(f.start), f.instants.empty(), map);
    } else if (check == 0) {
        map.SetText(L"ALARM_TYPE", L"None");
        map.SetValue(L"ALARM_VALUE", VT_I4, 0);
    } else if (f.absolute) {
        map.SetText(L"ALARM_TYPE", L"Target");
        map.SetValue(L"ALARM_VALUE", VT_I4, 0);
    } else {
        map.SetText(L"ALARM_TYPE", AlarmUnitText(r.U32(f.alarm.beforeType)));
        map.SetValue(L"ALARM_VALUE", VT_I4, static_cast<LONG>(r.U32(f.alarm.before)));
    }
}

void EncodeCalendarAlarm(const CalendarAlarmFields& f, RecordBytes& r, ColumnChanges& changes)
{
    ColumnMap& values = changes.Values();
    if (f.mode && changes.Changed({L"ISHOLIDAY"}))
        r.SetU8(f.mode->holidayCheck, SameText(TextOf(values, L"ISHOLIDAY"), L"SET") ? 1 : 0);
    if (changes.Changed({L"ALARM_MELODY_TYPE", L"ALARM_MELODY_INDEX", L"ALARM_MELODY"})) {
        r.SetU8(f.alarm.soundType, MelodyCode(TextOf(values, L"ALARM_MELODY_TYPE")));
        r.SetU16(f.alarm.soundIndex, static_cast<uint16_t>(NumberOf(values, L"ALARM_MELODY_INDEX")));
        PutSoundFile(r, f.alarm.soundFile, values, L"ALARM_MELODY");
    }
    if (!f.instants.empty() && changes.Changed({L"ALARM_TARGET_DATE"})) {
        for (size_t at : f.instants) {
            r.SetU32(at, 0);
            PutTime(r, at, values, L"ALARM_TARGET_DATE");
        }
    }
    std::vector<std::wstring> alarm = {L"ALARM_TYPE", L"ALARM_VALUE", L"ALARM_BEFORETARGET_TIME"};
    if (f.mode)
        alarm.push_back(L"START_DATE");  // an alarm at the start is a mode of its own
    if (f.instants.empty())
        alarm.push_back(L"ALARM_TARGET_DATE");  // an alarm at a date this record cannot keep is none
    if (!changes.Changed(alarm))
        return;
    bool wasOn = !changes.Creating() && r.U8(f.alarm.check) != 0;
    EncodeAlarm(f, r, values, changes.Creating());
    if (f.absolute && r.U8(f.alarm.check) != 0 && !HasValue(values, L"ALARM_TARGET_DATE"))
        PutLeadAsTarget(f, r, values);
    // A new record without an alarm, or an alarm switched off, keeps no ring and no
    // alarm time; a record whose alarm was already off keeps what it holds.
    if (r.U8(f.alarm.check) == 0 && (changes.Creating() || wasOn))
        ClearRingAndInstants(f, r);
}

}  // namespace kelvra::org
