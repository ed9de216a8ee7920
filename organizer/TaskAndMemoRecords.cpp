#include "TaskAndMemoRecords.h"

#include "HandsetTime.h"
#include "OrganizerColumns.h"

namespace kelvra::org {

namespace {

void SetAlarm(ColumnMap& map, const wchar_t* type, LONG value)
{
    map.SetText(L"ALARM_TYPE", type);
    map.SetValue(L"ALARM_VALUE", VT_I4, value);
}

// A task's alarm, kept as a mode: 1 at the start, 2 at the due date, 3 a day, 4 two
// days, 5 a week before. Mode 0 with the alarm on is what the writer makes of an alarm
// at any other time: it reads as that time (none kept reads as none given), so that it
// is written back alike and "None" stops it.
void DecodeTaskAlarm(const TaskLayout& l, const OrganizerSettings& settings, const RecordBytes& r, ColumnMap& map)
{
    SetNull(map, L"ALARM_TIME");
    uint32_t mode = r.U32(l.alarmMode);
    switch (mode) {
    case 0:
        map.SetText(L"ALARM_TYPE", r.U8(l.alarmCheck) != 0 ? L"Time" : L"");
        SetNull(map, L"ALARM_VALUE");
        if (r.U8(l.alarmCheck) != 0 && r.U32(l.alarmDate) != 0)
            SetDate(map, L"ALARM_TIME", r.U32(l.alarmDate));
        break;
    case 1:
    case 2:
        map.SetText(L"ALARM_TYPE", L"Time");
        SetNull(map, L"ALARM_VALUE");
        SetDate(map, L"ALARM_TIME", r.U32(mode == 1 ? l.startDate : l.dueDate));
        break;
    case 3: SetAlarm(map, L"Day", 1); break;
    case 4: SetAlarm(map, L"Day", 2); break;
    case 5:
        if (settings.model.IsOneOf({L"KTM-A120 INDONESIA"}))
            SetAlarm(map, L"Week", 1);
        else
            SetAlarm(map, L"Day", 7);
        break;
    default:
        map.SetText(L"ALARM_TYPE", L"");
        SetNull(map, L"ALARM_VALUE");
        break;
    }
}

void EncodeTaskAlarm(const TaskLayout& l, RecordBytes& r, ColumnMap& values)
{
    std::wstring type = TextOf(values, L"ALARM_TYPE");
    LONG value = NumberOf(values, L"ALARM_VALUE");
    uint8_t check = 1;
    uint32_t mode = 0;
    uint32_t at = 0;
    if (SameText(type, L"Day") && (value == 1 || value == 2 || value == 7)) {
        mode = value == 1 ? 3 : value == 2 ? 4 : 5;
    } else if (SameText(type, L"Week") && value == 1) {
        mode = 5;
    } else if (SameText(type, L"Time")) {
        DATE alarm = DateOf(values, L"ALARM_TIME");
        at = alarm != 0 ? HandsetTimeFromDate(alarm) : 0;
        if (alarm != 0 && at == r.U32(l.startDate))
            mode = 1;
        else if (alarm != 0 && at == r.U32(l.dueDate))
            mode = 2;
    } else if (type.empty() || SameText(type, L"None") || SameText(type, L"Day") || SameText(type, L"Week")) {
        check = 0;
        values.SetText(L"ALARM_TYPE", L"");
        SetNull(values, L"ALARM_VALUE");
    }
    r.SetU8(l.alarmCheck, check);
    r.SetU32(l.alarmMode, mode);
    r.SetU32(l.alarmDate, check ? at : 0);
    r.SetU32(l.alarmTime, check ? at : 0);
}

}  // namespace

void DecodeTask(const TaskLayout& l, const OrganizerSettings& settings, const RecordBytes& r, ColumnMap& map)
{
    map.SetText(L"SUBJECT", r.WideText(l.title));
    map.SetText(L"DETAIL", r.WideText(l.details));
    SetDate(map, L"START_DATE", r.U32(l.startDate));
    SetDate(map, L"END_DATE", r.U32(l.dueDate));
    static const wchar_t* const kPriorities[] = {L"High", L"Normal", L"Low"};
    uint32_t priority = r.U32(l.priority);
    map.SetText(L"PRIORITY", priority < 3 ? kPriorities[priority] : L"Normal");
    map.SetText(L"DONE_STATE", r.U8(l.finished) == 1 ? L"Done" : L"Undone");
    DecodeTaskAlarm(l, settings, r, map);
}

// The ring fields stay as they are: no column of a task carries them.
void EncodeTask(const TaskLayout& l, RecordBytes& r, ColumnChanges& changes)
{
    ColumnMap& values = changes.Values();
    if (changes.Changed({L"DONE_STATE"}))
        r.SetU8(l.finished, SameText(TextOf(values, L"DONE_STATE"), L"Done") ? 1 : 0);
    PutChangedWide(r, l.title, changes, L"SUBJECT");
    PutChangedWide(r, l.details, changes, L"DETAIL");
    PutChangedTime(r, l.startDate, changes, L"START_DATE");
    PutChangedTime(r, l.dueDate, changes, L"END_DATE");
    if (changes.Changed({L"ALARM_TYPE", L"ALARM_VALUE", L"ALARM_TIME", L"START_DATE", L"END_DATE"}))
        EncodeTaskAlarm(l, r, values);
    if (changes.Changed({L"PRIORITY"})) {
        std::wstring priority = TextOf(values, L"PRIORITY");
        r.SetU32(l.priority, SameText(priority, L"Normal") ? 1 : SameText(priority, L"Low") ? 2 : 0);
    }
}

void DecodeMemo(const MemoLayout& l, const RecordBytes& r, ColumnMap& map)
{
    map.SetText(L"DETAIL", r.WideText(l.text));
    if (l.saveTime)
        SetDate(map, L"CREATE_DATE", r.U32(*l.saveTime));
}

void EncodeMemo(const MemoLayout& l, RecordBytes& r, ColumnChanges& changes)
{
    PutChangedWide(r, l.text, changes, L"DETAIL");
    if (l.saveTime)
        PutChangedTime(r, *l.saveTime, changes, L"CREATE_DATE");
}

}  // namespace kelvra::org
