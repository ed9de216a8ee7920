#!/usr/bin/env bash
# The calendar, task and memo tables through kelvra-sync, and iCalendar files both ways:
# our own export read back unchanged, and entries the handset cannot hold said one by one.
# Needs the registered servers.
set -u
source "$(dirname "$0")/testlib.sh"
holds() { [[ "$(tr -d '\r' <"$1")" == *"$2"* ]]; }  # holds FILE LINES: the lines follow one another

# ---- Each table: create, list, update, delete (the KTM-A290 keeps all three) ----------
run a290 --model 211 create calendar SUBJECT=Dentist "START_DATE=2026-12-08 09:30" "END_DATE=2026-12-08 10:00" \
    ALARM_TYPE=Minute ALARM_VALUE=15 RECURRENCE_TYPE=1 RECURRENCE_EVERY=1 RECURRENCE_EXPIRE_TYPE=2
check "a calendar entry is created" contains "$out" "created SUID 0"
check "as given" exits 0
run a290 create tasks "SUBJECT=Tax return" "END_DATE=2026-12-31 18:00" PRIORITY=High
check "a task is created" contains "$out" "created SUID 0"
run a290 create memos "DETAIL=Gate code 4711"
check "a memo is created" contains "$out" "created SUID 0"
run a290 list calendar
check "the entry lists with its time of day" contains "$out" "START_DATE: 2026-12-08 09:30"
check "and its alarm" contains "$out" "ALARM_VALUE: 15"
run a290 update calendar 0 "SUBJECT=Dentist (moved)"
check "an update keeps the SUID" contains "$out" "updated SUID 0"
run a290 update calendar 0 TYPE=1
check "a change of kind moves the entry and says where" contains "$out" "updated SUID 0; it is now SUID 10000"
run a290 list calendar
check "the moved entry keeps its title" contains "$out" "SUBJECT: Dentist (moved)"
run a290 update tasks 0 DONE_STATE=Done
run a290 list tasks
check "a task is marked done" contains "$out" "DONE_STATE: Done"
run a290 delete memos 0
check "a memo is deleted" contains "$out" "deleted SUID 0"
run a290 count memos
check "and gone" test "$out" = 0

# ---- Our own export, imported into a new handset and exported again ------------------
run a290 create memos "DETAIL=Line one
Line two, with a comma"
run a290 create calendar SUBJECT=Stand-up "START_DATE=2026-12-09 08:45" RECURRENCE_TYPE=1 RECURRENCE_EVERY=1 \
    RECURRENCE_EXPIRE_TYPE=2
run a290 create calendar "SUBJECT=Ski trip" "START_DATE=2027-03-01" "END_DATE=2027-03-05 23:59"
run a290 export-ics "Z:$work/first.ics"
check "the export is an iCalendar file" grep -q "^BEGIN:VCALENDAR" "$work/first.ics"
check "with the anniversary's time of day, which the handset kept" grep -q "^DTSTART:20261208T093000" "$work/first.ics"
check "the task as a to-do" grep -q "^BEGIN:VTODO" "$work/first.ics"
check "the daily recurrence as a rule" grep -q "^RRULE:FREQ=DAILY" "$work/first.ics"
check "and the memo as a journal entry" grep -q "^DESCRIPTION:Line one\\\\nLine two\\\\, with a comma" "$work/first.ics"
check "a trip of days is days, ending where the day after its last begins" \
    holds "$work/first.ics" $'DTSTART;VALUE=DATE:20270301\nDTEND;VALUE=DATE:20270306\nSUMMARY:Ski trip'
run fresh --model 211 import-ics "Z:$work/first.ics"
check "the import takes every entry" contains "$out" "imported 5 of 5 entries"
check "and changes nothing" exits 0
run fresh list calendar
check "the trip lists as ending on its last day" contains "$out" "END_DATE: 2027-03-05 23:59"
run fresh export-ics "Z:$work/second.ics"
check "exported again, it holds the same entries" \
    cmp -s <(grep -v '^DTSTAMP' "$work/first.ics") <(grep -v '^DTSTAMP' "$work/second.ics")

# ---- Entries the handset already holds -----------------------------------------------
run fresh import-ics "Z:$work/first.ics"
check "the same file again imports nothing" contains "$out" "imported 0 of 5 entries; 5 already on the handset"
check "and says which entry it holds already" contains "$err" "Ski trip: not imported: the handset already holds it as SUID"
check "which is no change" exits 0
run fresh count calendar
check "the calendar holds each entry once" test "$out" = 3
run fresh --duplicates import-ics "Z:$work/first.ics"
check "--duplicates imports them again" contains "$out" "imported 5 of 5 entries"
run fresh count calendar
check "and then holds them twice" test "$out" = 6

# ---- Times of a zone, imported with the PC in other zones ----------------------------
# Wine takes the PC's zone from TZ, which a UTC time shows first.
printf 'BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Other//EN\r\n%b%b%b%bEND:VCALENDAR\r\n' \
    'BEGIN:VTIMEZONE\r\nTZID:Europe/Berlin\r\nBEGIN:DAYLIGHT\r\nTZOFFSETFROM:+0100\r\nTZOFFSETTO:+0200\r\nDTSTART:19810329T020000\r\nRRULE:FREQ=YEARLY;BYMONTH=3;BYDAY=-1SU\r\nEND:DAYLIGHT\r\n' \
    'BEGIN:STANDARD\r\nTZOFFSETFROM:+0200\r\nTZOFFSETTO:+0100\r\nDTSTART:19961027T030000\r\nRRULE:FREQ=YEARLY;BYMONTH=10;BYDAY=-1SU\r\nEND:STANDARD\r\nEND:VTIMEZONE\r\n' \
    'BEGIN:VEVENT\r\nDTSTART:20261208T000000Z\r\nSUMMARY:Midnight UTC\r\nEND:VEVENT\r\nBEGIN:VEVENT\r\nDTSTART;TZID=Europe/Berlin:20261208T183000\r\nSUMMARY:Concert\r\nEND:VEVENT\r\n' \
    'BEGIN:VEVENT\r\nDTSTART;TZID=Europe/Berlin:20260710T090000\r\nSUMMARY:Summer\r\nEND:VEVENT\r\n' >"$work/berlin.ics"
TZ=Asia/Seoul run seoul --model 211 import-ics "Z:$work/berlin.ics"
TZ=Asia/Seoul run seoul list calendar
check "Wine takes the PC's zone from TZ" contains "$out" "START_DATE: 2026-12-08 09:00"
check "a Berlin winter evening is the next night in Seoul" contains "$out" "START_DATE: 2026-12-09 02:30"
check "and a Berlin summer morning that afternoon" contains "$out" "START_DATE: 2026-07-10 16:00"
TZ=UTC run utc --model 211 import-ics "Z:$work/berlin.ics"
TZ=UTC run utc list calendar
check "in UTC the Berlin evening is an hour earlier" contains "$out" "START_DATE: 2026-12-08 17:30"
check "and the summer morning two hours" contains "$out" "START_DATE: 2026-07-10 07:00"

# ---- What the handset cannot hold ----------------------------------------------------
printf 'BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Other//EN\r\n%b%b%b%bEND:VCALENDAR\r\n' \
    'BEGIN:VEVENT\r\nUID:1\r\nDTSTART:20261209T070000\r\nSUMMARY:Stand-up\r\nRRULE:FREQ=HOURLY\r\nEND:VEVENT\r\n' \
    "BEGIN:VEVENT\r\nUID:2\r\nDTSTART:20261210T120000\r\nSUMMARY:Lunch and then the quarterly planning meeting of the whole team\r\nEND:VEVENT\r\n" \
    'BEGIN:VTODO\r\nUID:3\r\nSUMMARY:Call the bank\r\nEND:VTODO\r\n' \
    'BEGIN:VEVENT\r\nDTSTART;VALUE=DATE:20261224\r\nDTEND;VALUE=DATE:20261227\r\nCATEGORIES:HOLIDAY\r\nSUMMARY:Holidays\r\nEND:VEVENT\r\n' \
    >"$work/other.ics"
run a280 --model 202 import-ics "Z:$work/other.ics"
check "an entry the handset cannot hold is said by name" \
    contains "$err" "Stand-up: the recurrence FREQ=HOURLY has no equivalent on the handset"
check "a task on a model without tasks is left out and said" \
    contains "$err" "Call the bank: not imported: Creating the entry failed"
check "without the component's source lines" lacks "$err" ".h:"
check "a title longer than its field is said as cut" \
    contains "$err" 'planning me...: SUMMARY is cut to 45 characters: "Lunch and then the quarterly planning meeting"'
check "an end a holiday cannot keep is said as the file had it" contains "$err" "Holidays: DTEND 20261227 is not kept"
check "never as a date of 1899" lacks "$err" "1899"
check "the others are still written" contains "$out" "imported 3 of 4 entries"
check "and the exit code says data was changed or left out" exits 4
run a280 count calendar
check "the three calendar entries are on the handset" test "$out" = 3
run a280 import-ics "Z:$work/missing.ics"
check "a missing file is a file error" exits 3

finish
