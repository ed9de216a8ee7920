#!/usr/bin/env bash
# The calendar, task and memo tables through kelvra-sync, and iCalendar files both ways:
# our own export read back unchanged, and entries the handset cannot hold said one by one.
# Needs the registered servers.
set -u
source "$(dirname "$0")/testlib.sh"

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
run a290 export-ics "Z:$work/first.ics"
check "the export is an iCalendar file" grep -q "^BEGIN:VCALENDAR" "$work/first.ics"
check "with the anniversary's time of day, which the handset kept" grep -q "^DTSTART:20261208T093000" "$work/first.ics"
check "the task as a to-do" grep -q "^BEGIN:VTODO" "$work/first.ics"
check "the daily recurrence as a rule" grep -q "^RRULE:FREQ=DAILY" "$work/first.ics"
check "and the memo as a journal entry" grep -q "^DESCRIPTION:Line one\\\\nLine two\\\\, with a comma" "$work/first.ics"
run fresh --model 211 import-ics "Z:$work/first.ics"
check "the import takes every entry" contains "$out" "imported 4 of 4 entries"
check "and changes nothing" exits 0
run fresh export-ics "Z:$work/second.ics"
check "exported again, it holds the same entries" \
    cmp -s <(grep -v '^DTSTAMP' "$work/first.ics") <(grep -v '^DTSTAMP' "$work/second.ics")

# ---- What the handset cannot hold ----------------------------------------------------
printf 'BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Other//EN\r\n%b%b%bEND:VCALENDAR\r\n' \
    'BEGIN:VEVENT\r\nUID:1\r\nDTSTART:20261209T070000\r\nSUMMARY:Stand-up\r\nRRULE:FREQ=HOURLY\r\nEND:VEVENT\r\n' \
    "BEGIN:VEVENT\r\nUID:2\r\nDTSTART:20261210T120000\r\nSUMMARY:Lunch and then the quarterly planning meeting of the whole team\r\nEND:VEVENT\r\n" \
    'BEGIN:VTODO\r\nUID:3\r\nSUMMARY:Call the bank\r\nEND:VTODO\r\n' >"$work/other.ics"
run a280 --model 202 import-ics "Z:$work/other.ics"
check "an entry the handset cannot hold is said by name" \
    contains "$err" "Stand-up: the recurrence FREQ=HOURLY has no equivalent on the handset"
check "a task on a model without tasks is left out and said" \
    contains "$err" "Call the bank: not imported: Creating the entry failed"
check "without the component's source lines" lacks "$err" ".h:"
check "a title longer than its field is said as cut" \
    contains "$err" 'SUBJECT is held as "Lunch and then the quarterly planning meeting'
check "the others are still written" contains "$out" "imported 2 of 3 entries"
check "and the exit code says data was changed or left out" exits 4
run a280 count calendar
check "both calendar entries are on the handset" test "$out" = 2
run a280 import-ics "Z:$work/missing.ics"
check "a missing file is a file error" exits 3

finish
