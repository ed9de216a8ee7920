// Every organizer record the handset can hold, listed and written back. Unchanged onto
// its own place (UpdateItem with the listed item) it keeps every byte; written onto a
// fresh record from the listed item's columns (CreateItem) it gives the same bytes
// apart from those only the old record carried, which Fresh() below names for each
// kind and model family. The records are generated field by field from the record
// tables: each field's values are looped over, every value reaching the handset.
#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <functional>
#include <sstream>

#include "OrganizerTestSupport.h"
#include "RecordBuilder.h"

using namespace kelvra;
using namespace kelvra::testing;

namespace {

// Handset times: 2024-03-15 09:30 (a Friday), 10:15 and 09:00, 2024-12-31, and the
// clock's last second, 2050-12-31 23:59:59 (25,928 days after 1980-01-06, less one).
// 0 is 1980-01-06 00:00, a Sunday.
constexpr uint32_t kStart = 1394530200;
constexpr uint32_t kEnd = 1394532900;
constexpr uint32_t kAlarmAt = 1394528400;
constexpr uint32_t kExpiry = 1419638400;
constexpr uint32_t kLast = 2240179199;
const uint32_t kTimes[] = {kStart, 0, kLast};

enum class Family { Ordinary, FModel, Extended, Compact, Lunar };

const char* Name(Family f)
{
    static const char* const kNames[] = {"ordinary", "F model", "extended-alarm", "compact-repeat", "lunar"};
    return kNames[static_cast<int>(f)];
}

// A text field: the text, its terminator, and after it what the field held before (or
// zeros). Units are UTF-16 units, or bytes for 8-bit fields.
struct Text {
    std::wstring wide;
    std::string narrow;
    bool leftovers = false;  // bytes after the terminator
};

void PutWide(RecordBuilder& b, const Text& t, size_t units)
{
    for (size_t i = 0; i < units; ++i)
        b.U16(i < t.wide.size() ? static_cast<uint16_t>(t.wide[i]) : i > t.wide.size() && t.leftovers ? 0x5858 : 0);
}

void PutNarrow(RecordBuilder& b, const Text& t, size_t units)
{
    for (size_t i = 0; i < units; ++i)
        b.U8(i < t.narrow.size() ? static_cast<uint8_t>(t.narrow[i]) : i > t.narrow.size() && t.leftovers ? 0x5A : 0);
}

Text Cleared(Text t)
{
    t.leftovers = false;
    return t;
}

// Texts of every shape: none, a short one, one with a character outside the BMP, one
// that fills its field (no terminator).
Text Title(size_t n, size_t units)
{
    switch (n % 4) {
    case 0: return {L"", "", n % 8 == 4};
    case 1: return {L"Dentist", "", n % 3 == 0};
    case 2: return {L"Caf\u00e9 \U0001F600", "", false};
    default: return {std::wstring(units, L'T'), "", false};
    }
}

// Rings: every sound type, built-in indexes, file names up to the field's whole length.
struct Ring {
    uint8_t type = 0;
    uint16_t index = 0;
    Text file;
};

Ring RingOf(size_t n, size_t fileBytes)
{
    static const std::string kFiles[] = {"", "bells/\xC3\xA9t\xC3\xA9.mp3", "ring.mid"};
    static const uint16_t kIndexes[] = {0, 7, 0xFFFF};
    Ring ring{static_cast<uint8_t>(n % 5), kIndexes[n % 3], {L"", kFiles[n % 3], n % 4 == 1}};
    if (n % 7 == 6)
        ring.file.narrow = std::string(fileBytes - 1, 'm');  // the longest name: the field less its terminator
    return ring;
}

// ---- Schedule, important and private records -----------------------------------------

struct Schedule {
    uint8_t kindByte = 0;
    Text title, details, location;
    uint32_t start = kStart, startTime = kStart, end = kEnd, endTime = kEnd;
    uint8_t alarmCheck = 0;
    uint32_t before = 0, unit = 0;
    Ring ring;
    uint8_t repeat = 0;
    uint32_t repeatType = 0, every = 0;
    uint8_t exceptWeekEnd = 0;
    std::array<uint8_t, 9> week{};
    uint8_t byDateFlag = 0;
    uint32_t byDate = 0, byMonth = 0, everyMonth = 0, everyWeek = 0, everyWeekDay = 0;
    uint8_t expiry = 0;
    uint32_t expireDay = 0;
    uint8_t holiday = 0;  // extended-alarm models
    uint32_t alarmMode = 0, term = 0, termUnit = 0, repeatMode = 0;
    uint32_t alarmDate = 0, alarmTime = 0;  // compact-repeat models
};

std::string Bytes(const Schedule& s, Family f, uint32_t index)
{
    const bool compact = f == Family::Compact;
    RecordBuilder b;
    b.U32(index).U8(s.kindByte);
    PutWide(b, s.title, 45);
    PutWide(b, s.details, 100);
    b.U32(s.start).U32(s.startTime).U32(s.end).U32(s.endTime);
    PutWide(b, s.location, 45);
    b.U8(s.alarmCheck).U32(s.before).U32(s.unit).U8(s.ring.type).U16(s.ring.index);
    PutNarrow(b, s.ring.file, compact ? 261 : 257);
    b.U8(s.repeat).U32(s.repeatType).U32(s.every).U8(s.exceptWeekEnd);
    for (size_t day = 0; day < (compact ? 7u : 9u); ++day)
        b.U8(s.week[day]);
    b.U8(s.byDateFlag).U32(s.byDate).U32(s.byMonth).U32(s.everyMonth).U32(s.everyWeek).U32(s.everyWeekDay);
    b.U8(s.expiry).U32(s.expireDay);
    if (f == Family::Extended)
        b.U8(s.holiday).U32(s.alarmMode).U32(s.term).U32(s.termUnit).U32(s.repeatMode);
    if (compact)
        b.U32(s.alarmDate).U32(s.alarmTime);
    return b.Bytes();
}

// What a fresh record written from the listed columns holds: the old record less the
// bytes no column carries.
Schedule Fresh(Schedule s, Family f)
{
    // Every family: the kind byte (written 0), what follows a text's terminator, and
    // the start and end times (written as the start and end dates).
    s.kindByte = 0;
    s.title = Cleared(s.title);
    s.details = Cleared(s.details);
    s.location = Cleared(s.location);
    s.ring.file = Cleared(s.ring.file);
    s.startTime = s.start;
    s.endTime = s.end;
    if (s.expiry == 0)
        s.expireDay = 0;  // the end day of a repetition that does not end
    if (s.repeat == 0)
        s.expiry = s.expireDay = 0;  // the end of a repetition switched off
    if (f == Family::Extended) {
        // The lead and its unit, the whole ordinary repetition block, and a term of its
        // own that no alarm uses: the alarm is a mode, the repetition a repeat mode.
        s.before = s.unit = 0;
        Schedule none;
        s.repeatType = s.every = s.byDate = s.byMonth = s.everyMonth = s.everyWeek = s.everyWeekDay = 0;
        s.exceptWeekEnd = s.byDateFlag = 0;
        s.week = none.week;
        if (s.alarmMode != 6)
            s.term = s.termUnit = 0;
        if (s.repeat == 0)
            s.repeatMode = 0;
    } else if (f == Family::Compact) {
        // The lead and its unit (the alarm is its instant), the interval and the
        // weekend exception, and the alarm time (written as the alarm date).
        s.before = s.unit = s.every = 0;
        s.exceptWeekEnd = 0;
        s.alarmTime = s.alarmDate;
        if (s.repeat == 0)
            s.repeatType = 0;
    } else {
        // The weekend exception, the two spare weekday bytes and the month fields; the
        // lead of an alarm that is off; the pattern of a repetition switched off; and
        // the by-date mark of a daily or weekly one (it only tells monthly and yearly
        // repetitions by date from those by weekday).
        s.exceptWeekEnd = 0;
        s.week[7] = s.week[8] = 0;
        s.byMonth = s.everyMonth = 0;
        if (s.unit == 4 || s.unit == 5)
            s.alarmCheck = 0;  // a new record keeps no lead before a target
        if (s.alarmCheck == 0)
            s.before = s.unit = 0;
        if (s.repeat == 0) {
            std::array<uint8_t, 9> none{};
            s.repeatType = s.byDate = s.everyWeek = s.everyWeekDay = 0;
            s.byDateFlag = 0;
            s.week = none;
        } else if (s.repeatType <= 1) {
            s.byDateFlag = 0;
        } else if (s.repeatType == 2 && s.byDateFlag == 0 && s.every == 0) {
            s.every = 1;  // a monthly n-th weekday without an interval repeats every month
        }
    }
    if (s.alarmCheck == 0) {
        s.ring = Ring();  // a new record without an alarm keeps no ring and no alarm time
        s.alarmDate = s.alarmTime = 0;
    }
    return s;
}

// The ordinary numbering: daily (a flag kept in ByDate), weekly (the marked weekdays),
// monthly and yearly by date or by the n-th weekday; with and without an interval,
// an expiry, and repeating or switched off with its pattern left behind.
std::vector<Schedule> OrdinaryRecurrences()
{
    std::vector<Schedule> all;
    const uint32_t kFlags[] = {0, 1, 31, 0xFFFFFFFF};
    const uint8_t kWeeks[] = {0, 0x01, 0x40, 0x45, 0x7F};  // none, Monday, Sunday, Mon+Wed+Sun, all
    const std::pair<uint32_t, uint32_t> kNth[] = {{0, 0}, {4, 6}, {2, 3}};
    for (uint8_t repeat : {1, 0}) {
        for (uint32_t type = 0; type < 4; ++type) {
            for (uint32_t every : {0u, 1u, 2u, 12u}) {
                for (uint8_t expiry : {0, 1}) {
                    Schedule s;
                    s.repeat = repeat;
                    s.repeatType = type;
                    s.every = every;
                    s.expiry = expiry;
                    s.expireDay = kTimes[all.size() % 3] == 0 ? kExpiry : kTimes[all.size() % 3];
                    size_t variants = type == 0 ? 4 : type == 1 ? 5 : 4;
                    for (size_t v = 0; v < variants; ++v) {
                        Schedule p = s;
                        if (type == 0)
                            p.byDate = kFlags[v];
                        else if (type == 1)
                            for (size_t day = 0; day < 7; ++day)
                                p.week[day] = (kWeeks[v] >> day) & 1;
                        else if (v == 0)
                            p.byDateFlag = 1;
                        else
                            std::tie(p.everyWeek, p.everyWeekDay) = kNth[v - 1];
                        all.push_back(p);
                    }
                }
            }
        }
    }
    return all;
}

struct Alarm {
    uint8_t check;
    uint32_t before, unit;
};

// Alarms off and on with every lead unit (4 and 5 lead before a target, 0xFFFFFFFF is
// what an alarm of no unit is written as) and leads up to the field's range.
std::vector<Alarm> OrdinaryAlarms()
{
    std::vector<Alarm> all;
    for (uint32_t unit : {0u, 1u, 2u, 3u, 4u, 5u, 0xFFFFFFFFu}) {
        for (uint32_t before : {0u, 15u, 0x7FFFFFFFu, 0xFFFFFFFFu})
            all.push_back({1, before, unit});
    }
    all.push_back({0, 0, 0});
    all.push_back({0, 30, 2});  // a lead left behind by an alarm switched off
    return all;
}

struct Mode {
    uint8_t check;
    uint32_t mode, term, unit;
};

// Every alarm mode, terms of their own in each unit, and an alarm on without a mode
// (what the writer makes of an alarm at a time it cannot keep).
std::vector<Mode> AlarmModes()
{
    std::vector<Mode> all = {{0, 0, 0, 0}, {1, 0, 0, 0}};
    for (uint32_t mode = 1; mode <= 5; ++mode)
        all.push_back({1, mode, 0, 0});
    for (uint32_t unit = 0; unit < 3; ++unit) {
        for (uint32_t term : {2u, 45u, 0x7FFFFFFFu})
            all.push_back({1, 6, term, unit});
    }
    return all;
}

// Fills what every family's generator varies the same way: texts, dates, ring.
void Vary(Schedule& s, size_t n, Family f)
{
    s.kindByte = static_cast<uint8_t>(n % 5 == 0 ? 3 : 0);
    s.title = Title(n, 45);
    s.details = Title(n + 1, 100);
    s.location = Title(n + 2, 45);
    s.ring = RingOf(n, f == Family::Compact ? 261 : 257);
    if (f != Family::Compact) {
        s.start = kTimes[n % 3];
        s.startTime = n % 6 == 1 ? kEnd : s.start;
    }
    s.end = kTimes[(n + 1) % 3];
    s.endTime = s.end;
}

std::vector<Schedule> ScheduleRecords(Family f)
{
    std::vector<Schedule> all;
    if (f == Family::Extended) {
        std::vector<Mode> modes = AlarmModes();
        size_t n = 0;
        for (uint8_t repeat : {1, 0}) {
            for (uint32_t mode = 0; mode <= 4; ++mode) {
                for (uint8_t expiry : {0, 1}) {
                    for (uint8_t holiday : {0, 1}) {
                        Schedule s;
                        Vary(s, n, f);
                        s.repeat = repeat;
                        s.repeatMode = mode;
                        s.expiry = expiry;
                        s.expireDay = expiry ? kExpiry : 0;
                        s.holiday = holiday;
                        const Mode& m = modes[n % modes.size()];
                        s.alarmCheck = m.check;
                        s.alarmMode = m.mode;
                        s.term = m.term;
                        s.termUnit = m.unit;
                        if (n % 4 == 3) {  // what no column carries
                            s.before = 15;
                            s.unit = 1;
                            s.repeatType = 2;
                            s.every = 3;
                            s.week[2] = 1;
                            s.term = m.mode == 6 ? m.term : 99;
                        }
                        all.push_back(s);
                        ++n;
                    }
                }
            }
        }
        // Every alarm mode once more with a repetition.
        for (const Mode& m : modes) {
            Schedule s;
            Vary(s, n++, f);
            s.alarmCheck = m.check;
            s.alarmMode = m.mode;
            s.term = m.term;
            s.termUnit = m.unit;
            s.repeat = 1;
            s.repeatMode = 2;
            all.push_back(s);
        }
        return all;
    }
    if (f == Family::Compact) {
        // The start is a Friday (2024-03-15) or a Sunday (1980-01-06); the pattern these
        // handsets keep is worked out from it.
        size_t n = 0;
        for (uint8_t repeat : {1, 0}) {
            for (uint32_t type = 0; type <= 4; ++type) {
                for (uint8_t expiry : {0, 1}) {
                    for (bool friday : {true, false}) {
                        Schedule s;
                        Vary(s, n, f);
                        s.repeat = repeat;
                        s.repeatType = type;
                        s.expiry = expiry;
                        s.expireDay = expiry ? kLast : 0;
                        s.start = s.startTime = friday ? kStart : 0;
                        s.week[friday ? 4 : 6] = 1;
                        s.byDateFlag = 1;
                        s.byDate = friday ? 15 : 6;
                        s.byMonth = s.everyMonth = friday ? 2 : 0;
                        s.everyWeek = friday ? 4 : 1;  // day / 7 + 1, one more on a Friday
                        s.everyWeekDay = friday ? 4 : 6;
                        s.alarmCheck = static_cast<uint8_t>(n % 3 != 0);
                        s.alarmDate = n % 4 == 0 ? 0 : kAlarmAt;
                        s.alarmTime = n % 5 == 0 ? kEnd : s.alarmDate;
                        if (n % 3 == 1) {  // what no column carries
                            s.before = 30;
                            s.unit = 2;
                            s.every = 2;
                            s.exceptWeekEnd = 1;
                        }
                        all.push_back(s);
                        ++n;
                    }
                }
            }
        }
        return all;
    }
    std::vector<Alarm> alarms = OrdinaryAlarms();
    std::vector<Schedule> recurrences = OrdinaryRecurrences();
    for (size_t n = 0; n < recurrences.size(); ++n) {
        Schedule s = recurrences[n];
        Vary(s, n, f);
        const Alarm& a = alarms[n % alarms.size()];
        s.alarmCheck = a.check;
        s.before = a.before;
        s.unit = a.unit;
        if (n % 3 == 2) {  // what no column carries
            s.exceptWeekEnd = 1;
            s.week[7] = 1;
            s.week[8] = 0xAA;
            s.byMonth = 11;
            s.everyMonth = 5;
            if (s.repeatType <= 1 && s.repeat)
                s.byDateFlag = 1;
            if (!s.expiry)
                s.expireDay = kExpiry;
        }
        all.push_back(s);
    }
    return all;
}

// ---- Anniversary and holiday records ------------------------------------------------

struct Anniversary {
    Text text, details;
    uint32_t date = kStart;
    uint8_t alarmCheck = 0;
    uint32_t before = 0, unit = 0, alarmTime = 0;
    Ring ring;
    uint8_t repeat = 0;
    uint8_t holiday = 0;
    uint32_t alarmMode = 0, term = 0, termUnit = 0;  // extended-alarm models
    uint32_t alarmDate = 0;                          // compact-repeat models
    uint16_t lunar = 0;                              // lunar models
};

std::string Bytes(const Anniversary& a, Family f, uint32_t index)
{
    RecordBuilder b;
    b.U32(index);
    PutWide(b, a.text, 45);
    PutWide(b, a.details, 100);
    b.U32(a.date).U8(a.alarmCheck).U32(a.before).U32(a.unit).U32(a.alarmTime).U8(a.ring.type).U16(a.ring.index);
    PutNarrow(b, a.ring.file, f == Family::Compact ? 261 : 257);
    b.U8(a.repeat);
    if (f == Family::Extended)
        b.U8(a.holiday).U32(a.alarmMode).U32(a.term).U32(a.termUnit);
    if (f == Family::Compact)
        b.U32(a.alarmDate);
    if (f == Family::Lunar)
        b.U16(a.lunar);
    return b.Bytes();
}

Anniversary Fresh(Anniversary a, Family f)
{
    a.text = Cleared(a.text);
    a.details = Cleared(a.details);
    a.ring.file = Cleared(a.ring.file);
    if (f == Family::Extended) {
        a.before = a.unit = 0;  // the alarm is a mode
        if (a.alarmMode != 6)
            a.term = a.termUnit = 0;
    } else if (f == Family::Compact) {
        a.before = a.unit = 0;       // the alarm is its instant,
        a.alarmTime = a.alarmDate;   // read from the alarm date
    } else {
        if (a.unit == 4 || a.unit == 5)
            a.alarmCheck = 0;  // a new record keeps no lead before a target
        if (a.alarmCheck == 0)
            a.before = a.unit = 0;  // the lead of an alarm that is off
    }
    if (a.alarmCheck == 0) {
        a.ring = Ring();  // a new record without an alarm keeps no ring and no alarm time
        a.alarmTime = a.alarmDate = 0;
    }
    return a;
}

std::vector<Anniversary> AnniversaryRecords(Family f)
{
    std::vector<Anniversary> all;
    std::vector<Alarm> alarms = OrdinaryAlarms();
    std::vector<Mode> modes = AlarmModes();
    size_t count = f == Family::Extended ? modes.size() * 2 : f == Family::Compact ? 12 : alarms.size() * 2;
    for (size_t n = 0; n < count; ++n) {
        Anniversary a;
        a.text = Title(n, 45);
        a.details = Title(n + 1, 100);
        a.date = kTimes[n % 3];
        a.ring = RingOf(n, f == Family::Compact ? 261 : 257);
        a.repeat = static_cast<uint8_t>(n % 2);
        a.alarmTime = n % 3 == 0 ? 0 : kAlarmAt;
        if (f == Family::Extended) {
            const Mode& m = modes[n % modes.size()];
            a.alarmCheck = m.check;
            a.alarmMode = m.mode;
            a.term = m.term;
            a.termUnit = m.unit;
            a.holiday = static_cast<uint8_t>(n / modes.size());
            if (n % 4 == 1) {
                a.before = 2;
                a.unit = 3;
            }
        } else if (f == Family::Compact) {
            a.alarmCheck = static_cast<uint8_t>(n % 3 != 1);
            a.alarmDate = n % 4 == 0 ? 0 : kAlarmAt;
            a.alarmTime = n % 5 == 0 ? kEnd : a.alarmDate;
            if (n % 2)
                a.before = a.unit = 1;
        } else {
            const Alarm& al = alarms[n % alarms.size()];
            a.alarmCheck = al.check;
            a.before = al.before;
            a.unit = al.unit;
            a.lunar = static_cast<uint16_t>(f == Family::Lunar ? (n / 2) % 2 : 0);
        }
        all.push_back(a);
    }
    return all;
}

struct Holiday {
    Text title, details;
    uint32_t date = kStart;
    uint8_t repeat = 0;
    uint16_t lunar = 0;
};

std::string Bytes(const Holiday& h, Family f, uint32_t index)
{
    RecordBuilder b;
    b.U32(index);
    PutWide(b, h.title, 45);
    PutWide(b, h.details, 100);
    b.U32(h.date).U8(h.repeat);
    if (f == Family::Lunar)
        b.U16(h.lunar);
    return b.Bytes();
}

Holiday Fresh(Holiday h, Family)
{
    h.title = Cleared(h.title);
    h.details = Cleared(h.details);
    return h;
}

std::vector<Holiday> HolidayRecords(Family f)
{
    std::vector<Holiday> all;
    for (size_t n = 0; n < 12; ++n)
        all.push_back({Title(n, 45), Title(n + 3, 100), kTimes[n % 3], static_cast<uint8_t>(n % 2),
                       static_cast<uint16_t>(f == Family::Lunar ? (n / 2) % 2 : 0)});
    return all;
}

// ---- Event, task and memo records ---------------------------------------------------

struct Event {
    Text text;
    uint32_t start = kStart, end = kEnd;
};

std::string Bytes(const Event& e, Family, uint32_t index)
{
    RecordBuilder b;
    b.U32(index);
    PutWide(b, e.text, 46);
    return b.U32(e.start).U32(e.end).Bytes();
}

Event Fresh(Event e, Family)
{
    e.text = Cleared(e.text);
    return e;
}

std::vector<Event> EventRecords(Family)
{
    std::vector<Event> all;
    for (size_t n = 0; n < 8; ++n) {
        Text text = Title(n, 45);
        all.push_back({text, kTimes[n % 3], kTimes[(n + 2) % 3]});
    }
    return all;
}

struct Task {
    uint8_t finished = 0;
    Text title, details;
    uint32_t start = kStart, due = kEnd;
    uint8_t alarmCheck = 0;
    uint32_t alarmDate = 0, alarmTime = 0;
    Ring ring;
    uint32_t priority = 0, alarmMode = 0;
};

std::string Bytes(const Task& t, Family, uint32_t index)
{
    RecordBuilder b;
    b.U16(static_cast<uint16_t>(index)).U8(t.finished);
    PutWide(b, t.title, 46);
    PutWide(b, t.details, 101);
    b.U32(t.start).U32(t.due).U8(t.alarmCheck).U32(t.alarmDate).U32(t.alarmTime).U8(t.ring.type).U16(t.ring.index);
    PutNarrow(b, t.ring.file, 257);
    return b.U32(t.priority).U32(t.alarmMode).Bytes();
}

Task Fresh(Task t, Family)
{
    t.title = Cleared(t.title);
    t.details = Cleared(t.details);
    t.ring = Ring();  // no column of a task carries its ring
    return t;
}

std::vector<Task> TaskRecords(Family)
{
    // Alarm check, mode and instant: none; on at a time of its own or at none; at the
    // start, at the due date; a day, two days, a week before.
    struct TaskAlarm {
        uint8_t check;
        uint32_t mode;
        int at;  // 0 none, 1 the start, 2 the due date, 3 a time of its own
    };
    const TaskAlarm kAlarms[] = {{0, 0, 0}, {1, 0, 0}, {1, 0, 3}, {1, 1, 1}, {1, 2, 2}, {1, 3, 0}, {1, 4, 0}, {1, 5, 0}};
    std::vector<Task> all;
    size_t n = 0;
    for (const TaskAlarm& a : kAlarms) {
        for (uint32_t priority = 0; priority < 3; ++priority) {
            Task t;
            t.finished = static_cast<uint8_t>(n % 2);
            t.title = Title(n, 45);
            t.details = Title(n + 1, 100);
            t.start = n % 2 ? kStart : 0;
            t.due = n % 3 ? kLast : kEnd;
            t.alarmCheck = a.check;
            t.alarmMode = a.mode;
            uint32_t at = a.at == 1 ? t.start : a.at == 2 ? t.due : a.at == 3 ? kAlarmAt : 0;
            t.alarmDate = t.alarmTime = at;
            t.ring = RingOf(n, 257);
            t.priority = priority;
            all.push_back(t);
            ++n;
        }
    }
    return all;
}

struct Memo {
    Text text;
    uint32_t saved = 0;
};

size_t MemoUnits(Family f)
{
    return f == Family::Extended ? 102 : f == Family::Compact ? 72 : 62;
}

std::string Bytes(const Memo& m, Family f, uint32_t index)
{
    RecordBuilder b;
    b.U16(static_cast<uint16_t>(index));
    PutWide(b, m.text, MemoUnits(f));
    if (f == Family::Compact)
        b.U32(m.saved);
    return b.Bytes();
}

Memo Fresh(Memo m, Family)
{
    m.text = Cleared(m.text);
    return m;
}

std::vector<Memo> MemoRecords(Family f)
{
    std::vector<Memo> all;
    for (size_t n = 0; n < 8; ++n)
        all.push_back({Title(n, MemoUnits(f) - 2), f == Family::Compact ? kTimes[n % 3] : 0});
    return all;
}

// ---- The handsets and the round trip ------------------------------------------------

// A handset of another model name with a built-in model's profile, fetched from the
// handset as the profile of a model without a built-in one is. The handset checks no
// record sizes.
struct RenamedModelHandset : Handset {
    RenamedModelHandset(int resource, const char* name) : Handset(resource)
    {
        std::ifstream file(device->Model().path.c_str(), std::ios::binary);
        std::stringstream text;
        text << file.rdbuf();
        std::string ini = text.str();
        size_t at = ini.find("PhoneModel = ");
        EXPECT_NE(std::string::npos, at);
        ini.replace(at, ini.find_first_of("\r\n", at) - at, std::string("PhoneModel = ") + name);
        std::wstring root = MakeTempFolder(L"renamed-model");
        std::ofstream(std::string(root.begin(), root.end()) + "\\PhoneInfo.ini", std::ios::binary) << ini;
        connection->put_FileRoot(Bstr(root).Get());
        Answer(L"PhoneInfo.FromRes", L"false");
        Answer(L"PhoneInfo.FilePath", L"/PhoneInfo.ini");
        device = CDeviceDataKELVRA::Make();
        EXPECT_EQ(S_OK, device->SetConneciton(static_cast<ISimHandset*>(connection.Get()),
                                              static_cast<ISimModelDatabase*>(models.Get())));
        EXPECT_EQ(S_OK, device->ListDataTable());
    }
};

struct Store {
    DATATABLE_SUID table;
    uint32_t number;
    SUID kindBase;   // the SUID of place 0
    uint32_t batch;  // records put at once: half the places, the other half for the copies
};

// Puts the records on the handset a batch at a time, lists them, writes each back
// unchanged and copies each onto a fresh record.
template <class Record>
void RoundTrip(Handset& h, const Store& store, Family f, const std::vector<Record>& records)
{
    ComPtr<IDataTable> table = h.Table(store.table);
    size_t checked = 0;
    for (size_t first = 0; first < records.size(); first += store.batch) {
        size_t count = std::min<size_t>(store.batch, records.size() - first);
        for (uint32_t place = 0; place < count; ++place)
            h.Sim().PutRecord(store.number, place, Bytes(records[first + place], f, place));
        auto items = ListAll(table.Get());
        ASSERT_EQ(count, items.size());
        std::vector<uint32_t> made;
        for (const auto& item : items) {
            uint32_t place = static_cast<uint32_t>(SuidOf(item.Get()) - store.kindBase);
            ASSERT_LT(place, count);
            const Record& record = records[first + place];
            std::string label = std::string(Name(f)) + " record " + std::to_string(first + place);

            ASSERT_EQ(S_OK, table->UpdateItem(item.Get())) << label;
            EXPECT_EQ(Bytes(record, f, place), *h.Sim().FindRecord(store.number, place)) << label;

            SUID suid = -1;
            ASSERT_EQ(S_OK, table->CreateItem(CopyOfItem(table.Get(), item.Get(), false).Get(), &suid)) << label;
            uint32_t copy = static_cast<uint32_t>(suid - store.kindBase);
            EXPECT_EQ(Bytes(Fresh(record, f), f, copy), *h.Sim().FindRecord(store.number, copy)) << label;
            made.push_back(copy);
            ++checked;
        }
        for (uint32_t place = 0; place < count; ++place)
            h.Sim().RemoveRecord(store.number, place);
        for (uint32_t place : made)
            h.Sim().RemoveRecord(store.number, place);
    }
    EXPECT_EQ(records.size(), checked);
}

}  // namespace

TEST(OrganizerRoundTrip, ScheduleShapedRecordsOfEveryFamily)
{
    struct Model {
        Family family;
        int resource;
    };
    for (Model m : {Model{Family::Ordinary, 202}, Model{Family::FModel, 210}, Model{Family::Extended, 211},
                    Model{Family::Compact, 218}}) {
        SCOPED_TRACE(Name(m.family));
        OrgHandset h(m.resource);
        std::vector<Schedule> records = ScheduleRecords(m.family);
        RoundTrip(h, {DTID_CALENDAR, 3, 0, m.family == Family::Compact ? 10u : 50u}, m.family, records);
        if (m.family == Family::Ordinary || m.family == Family::FModel) {
            // Important and private records are laid out alike: every third record.
            std::vector<Schedule> some;
            for (size_t n = 0; n < records.size(); n += 3)
                some.push_back(records[n]);
            RoundTrip(h, {DTID_CALENDAR, 40, 30000, 10}, m.family, some);
            RoundTrip(h, {DTID_CALENDAR, 41, 40000, 10}, m.family, some);
        }
    }
}

TEST(OrganizerRoundTrip, AnniversariesHolidaysAndEvents)
{
    for (auto [family, resource] : {std::pair{Family::Ordinary, 202}, std::pair{Family::FModel, 210},
                                    std::pair{Family::Extended, 211}, std::pair{Family::Compact, 218}}) {
        SCOPED_TRACE(Name(family));
        OrgHandset h(resource);
        RoundTrip(h, {DTID_CALENDAR, 7, 10000, family == Family::Compact ? 10u : 25u}, family,
                  AnniversaryRecords(family));
        if (family == Family::Ordinary || family == Family::FModel)
            RoundTrip(h, {DTID_CALENDAR, 42, 20000, 25}, family, HolidayRecords(family));
        if (family == Family::Compact)
            RoundTrip(h, {DTID_CALENDAR, 6, 50000, 10}, family, EventRecords(family));
    }
    // A lunar model: the KTM-A280's profile under the name of the KTM-A270.
    RenamedModelHandset lunar(202, "KTM-A270");
    RoundTrip(lunar, {DTID_CALENDAR, 7, 10000, 25}, Family::Lunar, AnniversaryRecords(Family::Lunar));
    RoundTrip(lunar, {DTID_CALENDAR, 42, 20000, 25}, Family::Lunar, HolidayRecords(Family::Lunar));
}

TEST(OrganizerRoundTrip, TasksAndMemos)
{
    OrgHandset extended(211);
    RoundTrip(extended, {DTID_TASK, 5, 0, 50}, Family::Extended, TaskRecords(Family::Extended));
    RoundTrip(extended, {DTID_MEMO, 4, 0, 25}, Family::Extended, MemoRecords(Family::Extended));
    for (auto [family, resource] : {std::pair{Family::Ordinary, 202}, std::pair{Family::Compact, 218}}) {
        SCOPED_TRACE(Name(family));
        OrgHandset h(resource);
        RoundTrip(h, {DTID_MEMO, 4, 0, 25}, family, MemoRecords(family));
    }
}
