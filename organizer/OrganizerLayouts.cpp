#include "OrganizerLayouts.h"

#include "Errors.h"
#include "LayoutCursor.h"

namespace kelvra {

namespace {

// The organizer's record fields laid out one after another.
class OrganizerCursor : public LayoutCursor {
public:
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
};

}  // namespace

ScheduleLayout ScheduleLayout::For(const OrganizerSettings& s, const KindParameters& kind)
{
    ScheduleLayout l;
    OrganizerCursor at;
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
    OrganizerCursor at;
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
    OrganizerCursor at;
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
    OrganizerCursor at;
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
    OrganizerCursor at;
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
    OrganizerCursor at;
    l.index = at.Take(2);
    l.text = at.Text(s.memoText, true);
    if (s.MemoTime())
        l.saveTime = at.Take(4);
    l.size = at.Offset();
    return l;
}

}  // namespace kelvra
