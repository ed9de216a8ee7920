#!/usr/bin/env bash
# The simulated handset's folder as kelvra-sync uses it: runs killed in the middle of an
# import, two imports at once, folders that cannot hold a handset, damaged state files,
# read-only commands, and the model the folder was made as. Needs the registered servers.
set -u
exe=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
passed=0
failed=0

sync() {  # sync FOLDER ARGS...: stdout to stdout, stderr to $work/stderr
    local folder=$1
    shift
    wine "$exe" --handset "Z:$folder" "$@" 2>"$work/stderr"
}
check() {  # check NAME CONDITION...
    local name=$1
    shift
    if "$@"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAILED: $name"; fi
}
contains() { grep -qF -- "$2" <<<"$1"; }
suids() { sync "$1" list phonebook | tr -d '\r' | sed -n 's/^SUID //p' | sort -u; }
reported() { tr -d '\r' <"$1" | sed -n 's/^created SUID \([0-9]*\).*/\1/p' | sort -u; }

write_contacts() {  # write_contacts FILE COUNT PREFIX
    local i
    for ((i = 0; i < $2; i++)); do
        printf 'BEGIN:VCARD\r\nVERSION:3.0\r\nN:%s%04d;Person;;;\r\nTEL;TYPE=CELL:010-%04d-%04d\r\nEND:VCARD\r\n' \
            "$3" "$i" "$i" "$i"
    done >"$1"
}
write_contacts "$work/a.vcf" 100 A
write_contacts "$work/b.vcf" 100 B

# ---- A run killed at many points of an import loses nothing it reported --------------
# Each round kills an import of new contacts once it has reported a given number of them
# (0: while it starts), in the same folder, so that later rounds also reopen what a
# killed round left. The handset must then hold what it held before and every contact
# reported, plus at most the one contact that was being written.
killed=$work/killed
sync "$killed" --model 211 count phonebook >/dev/null  # room for 2000 contacts
held=0
kill_points=
: >"$work/all-reported"
for wanted in 0 1 17 60 95 140 190 235; do
    write_contacts "$work/round.vcf" 300 "R$wanted-"
    wine "$exe" --handset "Z:$killed" import-vcard "Z:$work/round.vcf" >"$work/import.out" 2>/dev/null &
    pid=$!
    while kill -0 "$pid" 2>/dev/null && [ "$(reported "$work/import.out" | wc -l)" -lt "$wanted" ]; do
        sleep 0.02
    done
    kill -9 "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    told=$(reported "$work/import.out" | wc -l)
    reported "$work/import.out" >>"$work/all-reported"
    now=$(sync "$killed" count phonebook | tr -d '\r')
    check "killed after $told reported: the handset reopens" grep -qx "[0-9]\+" <<<"$now"
    check "killed after $told reported: it holds every contact reported, at most one more" \
        test "${now:-0}" -ge $((held + told)) -a "${now:-0}" -le $((held + told + 1))
    held=${now:-0}
    kill_points+=" $told"
done
echo "imports killed after reporting:$kill_points contacts"
check "the killed imports had got far" test "$held" -ge 500
listed=$(suids "$killed")
lost=$(comm -23 <(sort -u "$work/all-reported") <(printf '%s\n' "$listed") | wc -l)
check "every contact reported created in the killed runs is listed" test "$lost" -eq 0
check "after the kills the handset still takes contacts" \
    contains "$(sync "$killed" create phonebook FIRST_NAME=After)" "created SUID"
check "and counts them" test "$(sync "$killed" count phonebook | tr -d '\r')" -eq $((held + 1))

# ---- Two imports into one folder at once --------------------------------------------
both=$work/both
wine "$exe" --handset "Z:$both" import-vcard "Z:$work/a.vcf" >"$work/a.out" 2>"$work/a.err" &
first=$!
wine "$exe" --handset "Z:$both" import-vcard "Z:$work/b.vcf" >"$work/b.out" 2>"$work/b.err" &
second=$!
wait "$first"
first_code=$?
wait "$second"
second_code=$?
imported=0
for run in a b; do
    code=$([ "$run" = a ] && echo "$first_code" || echo "$second_code")
    if [ "$code" -eq 0 ]; then
        check "import $run reports all its contacts" grep -Eq "imported 100 (of 100 )?contacts" "$work/$run.out"
        imported=$((imported + 100))
    else
        check "import $run that could not run says the handset is in use" grep -q "in use by another program" "$work/$run.err" ||
            sed 's/^/    /' "$work/$run.err"
        check "and reports nothing created" test "$(reported "$work/$run.out" | wc -l)" -eq 0
    fi
done
check "at least one of two imports at once runs" test "$imported" -gt 0
check "no contact reported imported is lost" test "$(sync "$both" count phonebook | tr -d '\r')" -eq "$imported"

# ---- A folder in use: a run waits a few seconds for it, then gives up clearly ------------
hold_lock() {  # hold_lock FOLDER SECONDS: another program keeps the folder's lock file open
    local lock="Z:${1//\//\\}\\handset.lock"
    (sleep "$2" | wine cmd /c "echo held>$lock& more >>$lock") >/dev/null 2>&1 &
    holder=$!
    for _ in $(seq 200); do grep -q held "$1/handset.lock" 2>/dev/null && break; sleep 0.05; done
    sleep 0.5  # between the echo and the append the file is briefly closed
}
busy=$work/busy
sync "$busy" count phonebook >/dev/null
hold_lock "$busy" 8
start=$SECONDS
out=$(sync "$busy" create phonebook FIRST_NAME=Busy)
code=$?
check "a run on a folder in use fails" test "$code" -eq 2
check "after waiting a few seconds" test $((SECONDS - start)) -ge 4
check "saying the handset is in use" grep -q "in use by another program" "$work/stderr"
check "and creating nothing" test -z "$out"
wait "$holder"
hold_lock "$busy" 2
check "a run on a folder in use for a moment waits for it" \
    contains "$(sync "$busy" create phonebook FIRST_NAME=Patient)" "created SUID 1"
wait "$holder"

# ---- Folders that cannot hold a handset ------------------------------------------------
unusable() {  # unusable NAME FOLDER MESSAGE
    local out code
    out=$(sync "$2" create phonebook FIRST_NAME=Lost)
    code=$?
    check "$1: the create fails" test "$code" -ne 0
    check "$1: nothing is reported created" test -z "$out"
    check "$1: the message says why" grep -qF -- "$3" "$work/stderr"
}
unusable "a folder whose parent is missing" "$work/missing/parent/handset" "Cannot make the handset folder"
touch "$work/plain-file"
unusable "--handset naming a file" "$work/plain-file" "is a file, not a handset folder"
mkdir -p "$work/dir-state/handset.txt"
unusable "handset.txt that is a folder" "$work/dir-state" "is a folder, not a handset state file"

# ---- Damaged state files are refused and left alone -----------------------------------
damaged=$work/damaged
sync "$damaged" import-vcard "Z:$work/a.vcf" >/dev/null
cp "$damaged/handset.txt" "$work/whole.txt"
: >"$damaged/handset.txt"
sync "$damaged" count phonebook >/dev/null
code=$?
check "an empty state file is refused" test "$code" -ne 0
check "as damaged" grep -q "damaged (the file is empty)" "$work/stderr"
check "and is not overwritten" test ! -s "$damaged/handset.txt"
for cut in 1 12 3000 $(($(stat -c %s "$work/whole.txt") / 2)); do
    head -c -"$cut" "$work/whole.txt" >"$damaged/handset.txt"
    sync "$damaged" list phonebook >/dev/null
    code=$?
    check "a state file cut by $cut bytes is refused" test "$code" -ne 0
    check "a state file cut by $cut bytes is reported cut short" grep -q "damaged (the file is cut short" "$work/stderr"
done
cp "$work/whole.txt" "$damaged/handset.txt"
check "the whole file opens again" test "$(sync "$damaged" count phonebook | tr -d '\r')" -eq 100

# ---- Reading writes nothing ---------------------------------------------------------------
state_before=$(md5sum <"$damaged/handset.txt")
sync "$damaged" count phonebook >/dev/null
sync "$damaged" list phonebook >/dev/null
sync "$damaged" export-vcard "Z:$work/read-only.vcf" >/dev/null
sync "$damaged" devinf >/dev/null
check "read-only commands leave the state file as it was" test "$(md5sum <"$damaged/handset.txt")" = "$state_before"
check "and start no journal" test ! -e "$damaged/handset.journal"

# ---- The folder keeps its model ---------------------------------------------------------
model=$work/model
sync "$model" --model 211 create phonebook FIRST_NAME=Wide >/dev/null
check "a run without --model uses the folder's model" contains "$(sync "$model" devinf)" "<MaxMem>2000</MaxMem>"
sync "$model" --model 202 count phonebook >/dev/null
code=$?
check "a --model that disagrees is refused" test "$code" -eq 1
check "saying which model the folder holds" grep -q "made as model 211 and cannot be opened as model 202" "$work/stderr"
check "without the usage, which is for mistyped commands" test "$(grep -c '^usage:' "$work/stderr")" -eq 0
check "the agreeing --model is taken" test "$(sync "$model" --model 211 count phonebook | tr -d '\r')" -eq 1
sync "$work/default" count phonebook >/dev/null
check "a new folder without --model is made as model 202" grep -q "^model 202" "$work/default/handset.txt"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
