#!/usr/bin/env bash
# The simulated handset's folder as kelvra-sync uses it: runs killed in the middle of an
# import, two runs at once (from one Wine prefix, from two, and through ./kelvra sync),
# folders that cannot hold a handset, damaged state files, read-only commands, and the
# model the folder was made as. Needs the registered servers; the component's and the
# simulator's DLLs follow the exe, to be registered in a second prefix.
set -u
# KELVRA_WINE is the Wine loader of the exe's bitness: with 32-bit Wine installed, `wine`
# starts a 64-bit program as the child of a 32-bit start.exe, which is not the process
# this test stops and kills.
wine=${KELVRA_WINE:-wine}
exe=$1
dlls=("${@:2}")
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
work=$(mktemp -d)
# A second Wine prefix with a server of its own, which only this test uses and stops.
other=$work/other-prefix
trap 'WINEPREFIX=$other wineserver -k >/dev/null 2>&1; rm -rf "$work"' EXIT
passed=0
failed=0

sync() {  # sync FOLDER ARGS...: stdout to stdout, stderr to $work/stderr
    local folder=$1
    shift
    "$wine" "$exe" --handset "Z:$folder" "$@" 2>"$work/stderr"
}
check() {  # check NAME CONDITION...
    local name=$1
    shift
    if "$@"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAILED: $name"; return 1; fi
}
contains() { grep -qF -- "$2" <<<"$1"; }
suids() { sync "$1" list phonebook | tr -d '\r' | sed -n 's/^SUID //p' | sort -u; }
reported() { tr -d '\r' <"$1" | sed -n 's/^created SUID \([0-9]*\).*/\1/p' | sort -u; }
counted() { sync "$1" count phonebook | tr -d '\r'; }
in_prefix() {  # in_prefix PREFIX COMMAND...: the command in that Wine prefix, "" for this one
    local prefix=$1
    shift
    if [ -n "$prefix" ]; then WINEPREFIX=$prefix "$@"; else "$@"; fi
}

write_contacts() {  # write_contacts FILE COUNT PREFIX
    local i
    for ((i = 0; i < $2; i++)); do
        printf 'BEGIN:VCARD\r\nVERSION:3.0\r\nN:%s%04d;Person;;;\r\nTEL;TYPE=CELL:010-%04d-%04d\r\nEND:VCARD\r\n' \
            "$3" "$i" "$i" "$i"
    done >"$1"
}

# Of two runs at once, one that did not get the folder must fail saying why and report
# nothing created; one that did must report all it was given. Waits for the run, whose
# output is in $work/RUN.out and .err, and adds what it stored to $landed.
landed_or_refused() {  # landed_or_refused NAME PID RUN COUNT
    wait "$2"
    local code=$? out=$work/$3.out err=$work/$3.err
    if [ "$code" -eq 0 ]; then
        check "$1 reports all it was given" grep -Eq "imported $4 (of $4 )?contacts|created SUID" "$out"
        landed=$((landed + $4))
    else
        check "$1 that could not run says the handset is in use" grep -q "in use by another program" "$err" ||
            sed 's/^/    /' "$err"
        check "$1 that could not run reports nothing created" test "$(reported "$out" | wc -l)" -eq 0
    fi
}

# An import stopped once it has reported a contact holds the folder until resume_import
# lets it finish; its process is $paused. It is long enough to be caught running and
# short enough to end soon after.
pauses=0
pause_import() {  # pause_import FOLDER
    pauses=$((pauses + 1))
    write_contacts "$work/paused.vcf" 100 "Paused$pauses-"
    "$wine" "$exe" --handset "Z:$1" import-vcard "Z:$work/paused.vcf" >"$work/paused.out" 2>&1 &
    paused=$!
    while kill -0 "$paused" 2>/dev/null && [ "$(reported "$work/paused.out" | wc -l)" -lt 1 ]; do
        sleep 0.02
    done
    kill -STOP "$paused"
}
resume_import() {  # succeeds when the paused import then imports all its contacts
    kill -CONT "$paused"
    wait "$paused" && grep -Eq "imported 100 (of 100 )?contacts" "$work/paused.out"
}
sync_started_by() {  # sync_started_by PID: the kelvra-sync process PID started, while it runs
    local parent=$1 stat fields
    for stat in /proc/[0-9]*/stat; do
        read -r fields <"$stat" 2>/dev/null || continue
        fields=${fields##*) }  # the state, then the parent
        fields=${fields#* }
        [ "${fields%% *}" = "$parent" ] || continue
        grep -qa 'kelvra-sync\.exe' "${stat%stat}cmdline" 2>/dev/null && basename "${stat%/stat}"
    done
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
    "$wine" "$exe" --handset "Z:$killed" import-vcard "Z:$work/round.vcf" >"$work/import.out" 2>/dev/null &
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

# ---- Two runs on one folder at once, from one Wine prefix and from two ------------------
# Wine shows processes of another prefix a lock on the Linux file only; without one both
# runs would write the folder, and the last to end would drop what the other saved.
at_once() {  # at_once NAME PREFIX-OF-THE-SECOND-RUN
    local both=$work/both-$1 first second
    "$wine" "$exe" --handset "Z:$both" import-vcard "Z:$work/a.vcf" >"$work/a.out" 2>"$work/a.err" &
    first=$!
    in_prefix "$2" "$wine" "$exe" --handset "Z:$both" import-vcard "Z:$work/b.vcf" >"$work/b.out" 2>"$work/b.err" &
    second=$!
    landed=0
    landed_or_refused "$1: import a" "$first" a 100
    landed_or_refused "$1: import b" "$second" b 100
    check "$1: at least one of two imports at once runs" test "$landed" -gt 0
    check "$1: no contact reported imported is lost" test "$(counted "$both")" -eq "$landed"

    # A run on a folder in use waits a few seconds for it, then gives up clearly.
    local busy=$work/busy-$1 start out code
    pause_import "$busy"
    start=$SECONDS
    out=$(in_prefix "$2" "$wine" "$exe" --handset "Z:$busy" create phonebook FIRST_NAME=Busy 2>"$work/stderr")
    code=$?
    check "$1: a run on a folder in use fails" test "$code" -eq 2
    check "$1: after waiting a few seconds" test $((SECONDS - start)) -ge 4
    check "$1: saying the handset is in use" grep -q "in use by another program" "$work/stderr"
    check "$1: and creating nothing" test -z "$out"
    check "$1: the run that held the folder goes on" resume_import

    # One that finds it in use for a moment waits for it.
    pause_import "$busy"
    in_prefix "$2" "$wine" "$exe" --handset "Z:$busy" create phonebook FIRST_NAME=Patient >"$work/patient.out" 2>&1 &
    second=$!
    sleep 1.5
    check "$1: the run that held the folder a moment finishes" resume_import
    wait "$second"
    check "$1: a run on a folder in use for a moment waits for it" grep -q "created SUID" "$work/patient.out"
    check "$1: and all that both reported is kept" test "$(counted "$busy")" -eq 201
}
at_once "one prefix" ""
mkdir -p "$other"
WINEPREFIX=$other wineserver -p60 </dev/null >/dev/null 2>&1
WINEPREFIX=$other "$wine" regsvr32 /s "${dlls[@]/#/Z:}" >/dev/null 2>&1
at_once "two prefixes" "$other"

# ---- Two ./kelvra sync at once -----------------------------------------------------------
# The script starts a Wine server when none runs; a run that ends must not stop it under
# another. The first run's kelvra-sync is held while the second starts and waits for
# the folder. Only where the script builds the exe under test.
kelvra=$(cd "$here/../.." && pwd)/kelvra
if [ "$exe" -ef "$(dirname "$kelvra")/build/kelvra-sync.exe" ]; then
    scripted=$work/scripted
    write_contacts "$work/first.vcf" 100 First
    "$kelvra" sync --handset "Z:$scripted" import-vcard "Z:$work/first.vcf" >"$work/first.out" 2>"$work/first.err" &
    first=$!
    while kill -0 "$first" 2>/dev/null && [ "$(reported "$work/first.out" | wc -l)" -lt 1 ]; do sleep 0.02; done
    held=$(sync_started_by "$first")
    kill -STOP $held
    "$kelvra" sync --handset "Z:$scripted" create phonebook FIRST_NAME=Second >"$work/second.out" 2>"$work/second.err" &
    second=$!
    until [ -n "$(sync_started_by "$second")" ] || ! kill -0 "$second" 2>/dev/null; do sleep 0.1; done
    sleep 1
    kill -CONT $held
    landed=0
    landed_or_refused "./kelvra sync import" "$first" first 100
    landed_or_refused "./kelvra sync create at the same time" "$second" second 1
    check "./kelvra sync: the import runs" grep -Eq "imported 100 (of 100 )?contacts" "$work/first.out"
    check "./kelvra sync: all that both reported is kept" test "$(counted "$scripted")" -eq "$landed"
else
    echo "two ./kelvra sync at once left out: $exe is not the one ./kelvra builds"
fi

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
