#!/usr/bin/env bash
# Records the handset cannot give whole: kelvra-sync says each one it passed over, goes on
# with the others and exits 5; a handset that stops answering still fails with exit 2.
# Also records the handset keeps that no command made (the "no group" at index 0).
# Needs the registered servers.
set -u
source "$(dirname "$0")/testlib.sh"

run phone seed-demo
run phone export-vcard "Z:$work/whole.vcf"
run phone list phonebook
check "the demo handset lists five contacts" test "$(grep -c '^SUID' <<<"$out")" -eq 5

# ---- A damaged contact -----------------------------------------------------------------
put_record phone 1 2 0101  # contact 2 (Joon) cut short
run phone list phonebook
check "a listing past a damaged contact exits 5" exits 5
check "naming the record it passed over" contains "$err" "passed over contact 2, which could not be read"
check "in one line" test "$(grep -c 'passed over' <<<"$err")" -eq 1
check "and lists the others" test "$(grep -c '^SUID' <<<"$out")" -eq 4
check "the one after it too" contains "$out" "FIRST_NAME: Dentist"
run phone export-vcard "Z:$work/rest.vcf"
check "an export past it exits 5" exits 5
check "and holds every other contact" test "$(grep -c '^BEGIN:VCARD' "$work/rest.vcf")" -eq 4
check "written whole" grep -q "FN:Dentist" "$work/rest.vcf"
run phone count phonebook
check "count says what a listing shows" test "$out" = 4
check "and that it passed one over" exits 5
run phone import-vcard "Z:$work/whole.vcf"
check "the duplicate check goes on past it" contains "$out" "4 already on the handset"
check "and says so" exits 5
run phone delete groups 3
check "a group is deleted past a damaged contact" contains "$out" "deleted SUID 3"
check "with exit 5" exits 5
check "naming the contact once, though two listings passed it" test "$(grep -c 'passed over contact 2' <<<"$err")" -eq 1

# ---- A damaged group and calendar entry ------------------------------------------------
put_record phone 2 1 01
run phone list groups
check "a damaged group is passed over" contains "$err" "passed over caller group 1"
check "and the next one listed" contains "$out" "NAME: Friends"
check "with exit 5" exits 5
put_record phone 3 0 0102
run phone export-ics "Z:$work/rest.ics"
check "an iCalendar export past a damaged entry exits 5" exits 5
check "and holds the other entries" grep -q "SUMMARY:Team stand-up" "$work/rest.ics"

# ---- A handset that stops answering is no damaged record --------------------------------
run phone --sim-fault timeout@9 list phonebook
check "a time-out in the middle of a listing fails" exits 2
check "saying the handset did not answer" contains "$err" "The handset did not answer"
check "and does not pass it over as damaged" lacks "$err" "could not be read: The handset did not answer"
run phone --sim-fault timeout list phonebook
check "a handset that never answers fails" exits 2

# ---- The handset's "no group" at index 0 -------------------------------------------------
run lone create groups NAME=Club
run lone list groups
check "a lone group is listed" contains "$out" "NAME: Club"
run lone count phonebook
check "and not counted as a contact" test "$out" = 0
put_record lone 2 0 "$(grep '^record 2 1 ' "$work/lone/handset.txt" | cut -d' ' -f4)"
run lone count phonebook
check "nor is the group at index 0" test "$out" = 0
run lone count groups
check "which no listing shows" test "$out" = 1
run lone delete groups 1
check "the lone group can be deleted" contains "$out" "deleted SUID 1"

finish
