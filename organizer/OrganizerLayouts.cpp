#include "OrganizerLayouts.h"

#include "Errors.h"

namespace kelvra {

namespace {

// Longer than any field a handset keeps; anything larger is a broken profile.
constexpr LONG kMostUnits = 4096;

size_t Checked(LONG value)
{
    if (value > kMostUnits)
        ThrowComError(E_INVALIDARG, L"The model profile gives an impossible organizer field size");
    return value < 0 ? 0 : static_cast<size_t>(value);  // a missing key: no such field
}

class LayoutCursor {
public:
    size_t Take(size_t bytes)
    {
        size_t at = m_offset;
        m_offset += bytes;
        return at;
    }
    // A text of length.first characters in a field of first + second units.
    TextField Text(FieldLength length, bool wide)
    {
        TextField field;
        field.maxChars = Checked(length.first);
        field.units = field.maxChars + Checked(length.second);
        field.wide = wide;
        field.offset = Take(field.Size());
        return field;
    }
    AlarmFields Alarm()
    {
        AlarmFields alarm;
        alarm.check = Take(1);
        alarm.before = Take(4);
        alarm.beforeType = Take(4);
        return alarm;
    }
    void Sound(AlarmFields& alarm, FieldLength soundFile)
    {
        alarm.soundType = Take(1);
        alarm.soundIndex = Take(2);
        alarm.soundFile = Text(soundFile, false);
    }
    AlarmModeFields Mode()
    {
        AlarmModeFields mode;
        mode.holidayCheck = Take(1);
        mode.alarmMode = Take(4);
        mode.customTerm = Take(4);
        mode.customType = Take(4);
        return mode;
    }
    size_t Offset() const { return m_offset; }

private:
    size_t m_offset = 0;
};

}  // namespace

ScheduleLayout ScheduleLayout::For(const OrganizerSettings& s, const KindParameters& kind)
{
    ScheduleLayout l;
    LayoutCursor at;
    l.index = at.Take(4);
    l.scheduleType = at.Take(1);
    l.title = at.Text(kind.title, true);
    l.details = at.Text(kind.detail, true);
    l.startDate = at.Take(4);
    l.startTime = at.Take(4);
    l.endDate = at.Take(4);
    l.endTime = at.Take(4);
    l.location = at.Text(kind.location, true);
    l.alarm = at.Alarm();
    at.Sound(l.alarm, kind.soundFile);
    l.repeatCheck = at.Take(1);
    l.repeatType = at.Take(4);
    l.every = at.Take(4);
    l.exceptWeekEnd = at.Take(1);
    l.weekSelectCount = s.CompactRepeat() ? 7 : 9;
    l.weekSelect = at.Take(l.weekSelectCount);
    l.everyByDate = at.Take(1);
    l.byDate = at.Take(4);
    l.byMonth = at.Take(4);
    l.everyMonth = at.Take(4);
    l.everyWeek = at.Take(4);
    l.everyWeekDay = at.Take(4);
    l.expiry = at.Take(1);
    l.expireDay = at.Take(4);
    if (s.ExtendedAlarm()) {
        l.mode = at.Mode();
        l.repeatMode = at.Take(4);
    } else if (s.CompactRepeat()) {
        l.alarmDate = at.Take(4);
        l.alarmTime = at.Take(4);
    }
    l.size = at.Offset();
    return l;
}

AnniversaryLayout AnniversaryLayout::For(const OrganizerSettings& s, const KindParameters& kind)
{
    AnniversaryLayout l;
    LayoutCursor at;
    l.index = at.Take(4);
    l.text = at.Text(kind.title, true);
    l.details = at.Text(kind.detail, true);
    l.date = at.Take(4);
    l.alarm = at.Alarm();
    l.alarmTime = at.Take(4);
    at.Sound(l.alarm, kind.soundFile);
    l.repeatCheck = at.Take(1);
    if (s.ExtendedAlarm())
        l.mode = at.Mode();
    else if (s.CompactRepeat())
        l.alarmDate = at.Take(4);
    if (s.Lunar())
        l.lunar = at.Take(2);
    l.size = at.Offset();
    return l;
}

HolidayLayout HolidayLayout::For(const OrganizerSettings& s, const KindParameters& kind)
{
    HolidayLayout l;
    LayoutCursor at;
    l.index = at.Take(4);
    l.title = at.Text(kind.title, true);
    l.details = at.Text(kind.detail, true);
    l.date = at.Take(4);
    l.repeatCheck = at.Take(1);
    if (s.Lunar())
        l.lunar = at.Take(2);
    l.size = at.Offset();
    return l;
}

EventLayout EventLayout::For(const KindParameters& kind)
{
    EventLayout l;
    LayoutCursor at;
    l.address = at.Take(4);
    l.text = at.Text(kind.detail, true);
    l.startDate = at.Take(4);
    l.endDate = at.Take(4);
    l.size = at.Offset();
    return l;
}

TaskLayout TaskLayout::For(const OrganizerSettings& s)
{
    TaskLayout l;
    LayoutCursor at;
    l.index = at.Take(2);
    l.finished = at.Take(1);
    l.title = at.Text(s.taskTitle, true);
    l.details = at.Text(s.taskDetail, true);
    l.startDate = at.Take(4);
    l.dueDate = at.Take(4);
    l.alarmCheck = at.Take(1);
    l.alarmDate = at.Take(4);
    l.alarmTime = at.Take(4);
    l.soundType = at.Take(1);
    l.soundIndex = at.Take(2);
    l.soundFile = at.Text(s.taskSoundFile, false);
    l.priority = at.Take(4);
    l.alarmMode = at.Take(4);
    l.size = at.Offset();
    return l;
}

MemoLayout MemoLayout::For(const OrganizerSettings& s)
{
    MemoLayout l;
    LayoutCursor at;
    l.index = at.Take(2);
    l.text = at.Text(s.memoText, true);
    if (s.MemoTime())
        l.saveTime = at.Take(4);
    l.size = at.Offset();
    return l;
}

}  // namespace kelvra
