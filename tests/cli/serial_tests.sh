#!/usr/bin/env bash
# kelvra-sync through a real serial line: the component and the serial agent on one COM
# port of the prefix, kelvra-handset serving a simulated handset on another, the two
# ports the ends of a tty pair made by socat. What goes through the line must leave the
# handset as the same commands leave it through the simulator, and a line that fails
# must fail the command within its time-outs, losing nothing.
#   serial_tests.sh SYNC_EXE HANDSET_EXE LOADER
# LOADER starts the handset program as the process a signal reaches (the 64-bit loader
# for the 64-bit build).
set -u
source "$(dirname "${BASH_SOURCE[0]}")/testlib.sh"
handset_exe=$2
loader=$3
vcards=$here/vcards
dosdevices=$WINEPREFIX/dosdevices
host_port=COM21
phone_port=COM22
trap 'stop_handset; stop_line; rm -f "$dosdevices/com21" "$dosdevices/com22"; rm -rf "$work"' EXIT

line_pid=
handset_pid=
# A fresh tty pair: its ends are the host's and the handset's COM ports.
start_line() {
    stop_line
    rm -f "$work/host-tty" "$work/phone-tty"
    socat "pty,raw,echo=0,link=$work/host-tty" "pty,raw,echo=0,link=$work/phone-tty" 2>"$work/socat.log" &
    line_pid=$!
    for _ in $(seq 50); do [ -e "$work/host-tty" ] && [ -e "$work/phone-tty" ] && break; sleep 0.1; done
    ln -sfn "$work/host-tty" "$dosdevices/com21"
    ln -sfn "$work/phone-tty" "$dosdevices/com22"
}
stop_line() {
    [ -n "$line_pid" ] && kill "$line_pid" 2>/dev/null && wait "$line_pid" 2>/dev/null
    line_pid=
}
start_handset() {  # start_handset FOLDER [OPTION...]: serves it on the phone's port until stopped
    : >"$work/handset.log"
    "$loader" "$handset_exe" --port "$phone_port" --handset "Z:$work/$1" --log "${@:2}" >"$work/handset.log" 2>&1 &
    handset_pid=$!
    for _ in $(seq 200); do grep -q "^kelvra-handset: serving" "$work/handset.log" && return 0; sleep 0.1; done
    echo "kelvra-handset did not start:"
    cat "$work/handset.log"
    return 1
}
stop_handset() {  # kills it as a pulled plug would: no chance to save anything more
    [ -n "$handset_pid" ] && kill -9 "$handset_pid" 2>/dev/null && wait "$handset_pid" 2>/dev/null
    handset_pid=
}
# wait_for_request CODE N: until the handset has taken its N-th request of that code.
wait_for_request() {
    for _ in $(seq 300); do
        [ "$(grep -c "request [0-9]*: $1," "$work/handset.log")" -ge "$2" ] && return 0
        sleep 0.05
    done
    return 1
}
# over_line MODEL ARGS...: kelvra-sync through the line; like run, with the time it took.
over_line() {
    local model=$1 started=$SECONDS
    shift
    out=$(wine "$exe" --port "$host_port" --model "$model" "$@" 2>"$work/stderr")
    code=$?
    out=$(tr -d '\r' <<<"$out")
    err=$(tr -d '\r' <"$work/stderr")
    took=$((SECONDS - started))
}
# in_background MODEL ARGS...: over_line while the test goes on; finished waits for it.
in_background() {
    (
        over_line "$@"
        printf '%s %s\n' "$code" "$took" >"$work/background"
        printf '%s' "$err" >"$work/background-err"
    ) &
    background=$!
}
finished() {
    wait "$background"
    read -r code took <"$work/background"
    err=$(cat "$work/background-err")
}
suid_of() { grep -o '[0-9][0-9]*' <<<"$1" | tail -1; }
# saved FOLDER: every record, the lock and the model the handset folder holds, the changes
# of its journal applied (a killed handset never folded them into its state file).
saved() {
    cat "$work/$1/handset.txt" "$work/$1/handset.journal" 2>/dev/null | awk '
        $1 == "record" { held["record " $2 " " $3] = $4 }
        $1 == "remove" { delete held["record " $2 " " $3] }
        $1 == "lock" || $1 == "model" { held[$1] = $2 " " $3 }
        END { for (key in held) print key, held[key] }' | LC_ALL=C sort
}
contacts_file() {  # contacts_file FILE FIRST COUNT: a vCard file of COUNT contacts
    local i
    for i in $(seq "$2" $(($2 + $3 - 1))); do
        printf 'BEGIN:VCARD\r\nVERSION:3.0\r\nN:Person%d;Test;;;\r\nFN:Test Person%d\r\nTEL:010%08d\r\nEND:VCARD\r\n' \
            "$i" "$i" "$i"
    done >"$1"
}
# A reply is waited for 2 s; Wine's start and the host's own work come on top.
within_timeouts() { [ "$took" -le 15 ]; }

start_line
contacts_file "$work/many.vcf" 1 40
contacts_file "$work/more.vcf" 100 30

# The same commands through the line and through the simulator leave the same handset.
for model in 202 211; do
    run "line$model" --model "$model" seed-demo
    run "simulator$model" --model "$model" seed-demo
    start_handset "line$model" || break

    over_line "$model" list phonebook
    check "$model: the demo contacts are listed through the line" contains "$out" "FIRST_NAME: Minji"
    # Everything listed through the line lists as through the simulator, the MMS headers
    # aside (the line does not tell the handset's own number, an outbox sender).
    listings=("list groups" "list card" "list calendar" "list memos" "list sms" "count phonebook" tables
        "devinf --summary")
    [ "$model" = 211 ] && listings+=("list tasks")
    declare -A through_line=()
    for listing in "${listings[@]}"; do
        over_line "$model" $listing
        through_line[$listing]="$code $out"
    done
    stop_handset
    for listing in "${listings[@]}"; do
        run "line$model" $listing
        check "$model: $listing through the line lists as through the simulator" \
            test "${through_line[$listing]}" = "$code $out"
    done
    start_handset "line$model" || break
    over_line "$model" list mms
    check "$model: the MMS headers are listed through the line" contains "$out" "SUBJECT"

    for path in line simulator; do
        act() {
            if [ "$path" = line ]; then over_line "$model" "$@"; else run "simulator$model" "$@"; fi
        }
        act create phonebook FIRST_NAME=Grace LAST_NAME=Hopper TEL_NUM_0=5550101
        check "$model $path: a contact is created" exits 0
        contact=$(suid_of "$out")
        act update phonebook "$contact" TEL_NUM_0=5550102 NOTES=Compilers
        check "$model $path: the contact is updated" exits 0
        act create calendar SUBJECT=Lunch "START_DATE=2026-12-10 12:30" "END_DATE=2026-12-10 13:30"
        check "$model $path: a calendar entry is created" exits 0
        entry=$(suid_of "$out")
        act update calendar "$entry" "SUBJECT=Long lunch"
        check "$model $path: the calendar entry is updated" exits 0
        act list calendar
        check "$model $path: the update is listed" contains "$out" "SUBJECT: Long lunch"
        act delete calendar "$entry"
        check "$model $path: the calendar entry is deleted" exits 0
        act delete phonebook "$contact"
        check "$model $path: the contact is deleted" exits 0
        act import-vcard "Z:$vcards/windows-2.1.vcf"
        check "$model $path: a vCard file is imported" contains "$out" "imported"
        act export-vcard "Z:$work/$path$model.vcf"
        check "$model $path: the phonebook is exported" exits 0
        act export-ics "Z:$work/$path$model.ics"
        check "$model $path: the calendar is exported" exits 0
    done
    check "$model: the vCard exports are alike" cmp -s "$work/line$model.vcf" "$work/simulator$model.vcf"
    check "$model: the iCalendar exports are alike (but for when they were made)" \
        test "$(grep -v '^DTSTAMP:' "$work/line$model.ics")" = "$(grep -v '^DTSTAMP:' "$work/simulator$model.ics")"
    stop_handset
    check "$model: the handset holds what the simulator holds after the same commands" \
        test "$(saved "line$model")" = "$(saved "simulator$model")"
done

# What the line does not carry, and ports that are not there.
over_line 202 ls
check "a file command says it needs a link that carries files" contains "$err" "needs a link that carries files"
check "and changes nothing" exits 1
over_line 202 seed-demo
check "seed-demo is not for a handset on a port" contains "$err" "cannot fill a handset on a serial port"
out=$(wine "$exe" --port "$host_port" list phonebook 2>&1)
check "a handset on a port needs its model" contains "$out" "--port needs --model"
out=$(wine "$exe" --port "$host_port" --model 202 --handset "Z:$work/line202" list phonebook 2>&1)
check "and keeps its own records, not a simulated handset's folder" contains "$out" "a handset on --port keeps its own"
out=$(wine "$exe" --port COM29 --model 202 list phonebook 2>&1)
code=$?
check "a port that does not exist fails the command" exits 2
check "and says so" contains "$out" "There is no serial port COM29"

# A port another program holds.
start_handset line202
out=$(wine "$exe" --port "$phone_port" --model 202 count phonebook 2>&1)
code=$?
check "a port in use fails the command" exits 2
check "and says so" contains "$out" "The serial port $phone_port is in use by another program"

# How fast a listing goes through the line (a figure, not a check): 45 contacts.
run speed --model 202 seed-demo
run speed import-vcard "Z:$work/many.vcf"
stop_handset
start_handset speed
started=$(date +%s%N)
over_line 202 list phonebook
line_ms=$((($(date +%s%N) - started) / 1000000))
stop_handset
started=$(date +%s%N)
run speed list phonebook
simulator_ms=$((($(date +%s%N) - started) / 1000000))
contacts=$(grep -c '^SUID ' <<<"$out")
echo "listing $contacts contacts (kelvra-sync's start included) took $line_ms ms through the line" \
    "($((contacts * 1000 / (line_ms ? line_ms : 1))) contacts/s), $simulator_ms ms through the simulator"

# Nobody at the other end: the command fails within its time-outs.
over_line 202 list phonebook
check "a silent line fails the command" exits 2
check "within its time-outs" within_timeouts
check "saying that nothing came" contains "$err" "Nothing came on $host_port"

# A handset that floods the line with bytes: the command fails within its time-outs, and
# once the flood ends the next command gets its own answers.
head -c 20000000 /dev/urandom >"$work/flood"
cat "$work/flood" >"$work/phone-tty" &
flood=$!
over_line 202 count phonebook
check "a flooded line fails the command" exits 2
check "within its time-outs" within_timeouts
kill "$flood" 2>/dev/null
wait "$flood" 2>/dev/null
start_line
start_handset line202
over_line 202 count phonebook
check "after the flood the line works again" exits 0
stop_handset

# A handset killed in the middle of a listing, then in the middle of an import.
run killed --model 202 seed-demo
run killed import-vcard "Z:$work/many.vcf"
before=$(saved killed)
start_handset killed --stop-at 0x4120:10
over_line 202 list phonebook
check "the listing fails once the handset goes away at its 10th record" exits 2
check "within its time-outs" within_timeouts
check "saying what the line did" contains "$err" "$host_port"
start_line
start_handset killed
over_line 202 count phonebook
check "the restarted handset answers again" contains "$out" "45"
stop_handset
check "and lost nothing" test "$(saved killed)" = "$before"

start_handset killed --stop-at 0x4130:5
over_line 202 import-vcard "Z:$work/more.vcf"
check "an import fails once the handset goes away in its 5th create" exits 2
check "within its time-outs" within_timeouts
check "having said the four contacts it created" test "$(grep -c '^created' <<<"$out")" = 4
start_line
start_handset killed
over_line 202 count phonebook
check "the restarted handset keeps every contact it took, the 5th included" test "${out//[!0-9]/}" = 50
stop_handset
after=$(saved killed)
check "and every record from before the import" test -z "$(LC_ALL=C comm -23 <(echo "$before") <(echo "$after"))"

# The cable pulled in the middle of a listing: the line itself goes away.
start_handset killed
in_background 202 list phonebook
check "the listing got going" wait_for_request 0x4120 10
stop_line
finished
check "a listing whose line goes away fails" exits 2
check "within its time-outs" within_timeouts
check "saying what the line did" contains "$err" "$host_port"
stop_handset

finish
