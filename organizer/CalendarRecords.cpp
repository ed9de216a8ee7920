#include "CalendarRecords.h"

#include "OrganizerAlarms.h"
#include "OrganizerColumns.h"
#include "OrganizerRecurrence.h"

namespace kelvra::org {

namespace {

// The title and details every calendar kind but events keeps.
template <class Layout>
void EncodeTexts(const Layout& l, const TextField& title, RecordBytes& r, ColumnChanges& changes)
{
    ColumnMap& values = changes.Values();
    // TYPE must be a number even though the record keeps no kind of its own.
    values.Number(L"TYPE");
    if (changes.Changed({L"SUBJECT"}))
        PutWide(r, title, values, L"SUBJECT");
    if (changes.Changed({L"DETAIL"}))
        PutWide(r, l.details, values, L"DETAIL");
}

}  // namespace

void DecodeSchedule(const ScheduleLayout& l, const RecordBytes& r, ColumnMap& map)
{
    map.SetText(L"SUBJECT", r.WideText(l.title));
    map.SetText(L"DETAIL", r.WideText(l.details));
    map.SetText(L"LOCATION", r.WideText(l.location));
    SetDate(map, L"START_DATE", r.U32(l.startDate));
    SetDate(map, L"END_DATE", r.U32(l.endDate));
    DecodeCalendarAlarm(CalendarAlarmFields::Of(l), r, map);
    DecodeRecurrence(l, r, map);
}

void EncodeSchedule(const ScheduleLayout& l, RecordBytes& r, ColumnChanges& changes)
{
    ColumnMap& values = changes.Values();
    EncodeTexts(l, l.title, r, changes);
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
    EncodeCalendarAlarm(CalendarAlarmFields::Of(l), r, changes);
    EncodeRecurrence(l, r, changes);
    values.SetValue(L"PRIORITY", VT_I4, 1);
    values.SetValue(L"DONE_STATE", VT_I4, 0);
}

void DecodeAnniversary(const AnniversaryLayout& l, const RecordBytes& r, ColumnMap& map)
{
    map.SetText(L"SUBJECT", r.WideText(l.text));
    map.SetText(L"DETAIL", r.WideText(l.details));
    SetDate(map, L"START_DATE", r.U32(l.date));
    DecodeCalendarAlarm(CalendarAlarmFields::Of(l, l.date), r, map);
    DecodeDayOfTheYear(r, l.repeatCheck, l.lunar, map);
}

void EncodeAnniversary(const AnniversaryLayout& l, RecordBytes& r, ColumnChanges& changes)
{
    EncodeTexts(l, l.text, r, changes);
    if (changes.Changed({L"START_DATE"}))
        PutTime(r, l.date, changes.Values(), L"START_DATE");
    EncodeCalendarAlarm(CalendarAlarmFields::Of(l, l.date), r, changes);
    EncodeDayOfTheYear(r, l.repeatCheck, l.lunar, changes);
}

void DecodeHoliday(const HolidayLayout& l, const RecordBytes& r, ColumnMap& map)
{
    map.SetText(L"SUBJECT", r.WideText(l.title));
    map.SetText(L"DETAIL", r.WideText(l.details));
    SetDate(map, L"START_DATE", r.U32(l.date));
    DecodeDayOfTheYear(r, l.repeatCheck, l.lunar, map);
}

void EncodeHoliday(const HolidayLayout& l, RecordBytes& r, ColumnChanges& changes)
{
    EncodeTexts(l, l.title, r, changes);
    if (changes.Changed({L"START_DATE"}))
        PutTime(r, l.date, changes.Values(), L"START_DATE");
    EncodeDayOfTheYear(r, l.repeatCheck, l.lunar, changes);
}

void DecodeEvent(const EventLayout& l, const RecordBytes& r, ColumnMap& map)
{
    map.SetText(L"SUBJECT", r.WideText(l.text));
    SetDate(map, L"START_DATE", r.U32(l.startDate));
    SetDate(map, L"END_DATE", r.U32(l.endDate));
}

void EncodeEvent(const EventLayout& l, RecordBytes& r, ColumnChanges& changes)
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

}  // namespace kelvra::org
