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
    // TYPE must be a number even though the record keeps no kind of its own.
    changes.Values().Number(L"TYPE");
    PutChangedWide(r, title, changes, L"SUBJECT");
    PutChangedWide(r, l.details, changes, L"DETAIL");
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
    EncodeTexts(l, l.title, r, changes);
    PutChangedWide(r, l.location, changes, L"LOCATION");
    // Both the date and the time field of the start and the end hold the whole time.
    for (size_t at : {l.startDate, l.startTime})
        PutChangedTime(r, at, changes, L"START_DATE");
    for (size_t at : {l.endDate, l.endTime})
        PutChangedTime(r, at, changes, L"END_DATE");
    EncodeCalendarAlarm(CalendarAlarmFields::Of(l), r, changes);
    EncodeRecurrence(l, r, changes);
    changes.Values().SetValue(L"PRIORITY", VT_I4, 1);
    changes.Values().SetValue(L"DONE_STATE", VT_I4, 0);
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
    PutChangedTime(r, l.date, changes, L"START_DATE");
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
    PutChangedTime(r, l.date, changes, L"START_DATE");
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
    changes.Values().Number(L"TYPE");
    PutChangedWide(r, l.text, changes, L"SUBJECT");
    PutChangedTime(r, l.startDate, changes, L"START_DATE");
    PutChangedTime(r, l.endDate, changes, L"END_DATE");
}

}  // namespace kelvra::org
