#!/usr/bin/env bash
# A handset kept in step with a CardDAV and CalDAV account the way a person sets it up: a
# Radicale server on this machine, vdirsyncer between it and a folder of files, and
# kelvra-sync sync-folder between that folder and the handset. What the server holds
# reaches the handset; the handset's edits, new items and deletions reach the server,
# whose copy keeps what the handset has no place for; Korean text crosses whole; the
# server's edits and deletions reach the handset; a change on both sides waits for a side
# to be preferred; a round with nothing changed changes nothing. Needs the registered
# servers, radicale, vdirsyncer and curl.
set -u
source "$(dirname "$0")/testlib.sh"

for tool in radicale vdirsyncer curl python3; do
    if ! command -v "$tool" >/dev/null; then
        echo "FAILED: $tool is not installed (./kelvra test installs it as root)"
        exit 1
    fi
done

# ---- The server: Radicale on a free port, its collections in the scratch folder ----------
# A proxy of the machine's would stand between curl or vdirsyncer and the server.
export no_proxy=127.0.0.1,localhost NO_PROXY=127.0.0.1,localhost
server_pid=
stop_server() {
    [ -n "$server_pid" ] || return 0
    kill "$server_pid" 2>/dev/null
    wait "$server_pid" 2>/dev/null
    server_pid=
}
trap 'stop_server; rm -rf "$work"' EXIT
# A signal still stops the server: the exit trap runs on exit, not on a default signal death.
trap 'exit 1' INT TERM HUP

free_port() {
    python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}
# Up to 20 s for an answer; none at all once the server has stopped.
server_answers() {
    local attempt
    for attempt in $(seq 100); do
        kill -0 "$server_pid" 2>/dev/null || return 1
        curl -s -o /dev/null --max-time 2 "$server/" && return 0
        sleep 0.2
    done
    return 1
}
# The port found free may be taken before Radicale binds it, so a failed start tries another.
start_server() {
    local attempt
    for attempt in 1 2 3; do
        local port
        port=$(free_port)
        server=http://127.0.0.1:$port
        # Only this file: the machine's own Radicale configuration may ask for users or TLS.
        cat >"$work/radicale.conf" <<EOF
[server]
hosts = 127.0.0.1:$port
[auth]
type = none
[rights]
type = authenticated
[storage]
filesystem_folder = $work/collections
[logging]
level = warning
EOF
        radicale -C "$work/radicale.conf" >"$work/radicale.log" 2>&1 &
        server_pid=$!
        server_answers && return 0
        stop_server
    done
    return 1
}
if ! start_server; then
    echo "FAILED: radicale did not answer on $server; its log:"
    sed 's/^/    /' "$work/radicale.log"
    exit 1
fi

# http METHOD PATH [CURL-ARGS...]: the HTTP status of a request to the server; the body
# it answers with in $work/body.
http() {
    local method=$1 path=$2
    shift 2
    curl -s --max-time 30 -o "$work/body" -w '%{http_code}' -X "$method" "$@" "$server/$path"
}
# put PATH TYPE TEXT: an item written on the server, as a CardDAV or CalDAV client writes it.
put() { sed 's/$/\r/' <<<"$3" | http PUT "$1" -H "Content-Type: $2; charset=utf-8" --data-binary @-; }
# on_server PATH: the item as the server gives it (a collection gives all its items).
on_server() { http GET "$1" >/dev/null && tr -d '\r' <"$work/body"; }
# A server answers a PUT that replaces an item with 201 or 204, both success.
stored() { [ "$1" = 201 ] || [ "$1" = 204 ]; }
absent_from_server() { [ "$(http GET "$1")" = 404 ]; }

check "the user's home is made on the server" test "$(http MKCOL test/)" = 201
check "an address book is made in it" test "$(http MKCOL test/contacts/ -H 'Content-Type: application/xml' \
    --data-binary '<?xml version="1.0" encoding="utf-8"?>
<mkcol xmlns="DAV:" xmlns:CR="urn:ietf:params:xml:ns:carddav"><set><prop>
<resourcetype><collection/><CR:addressbook/></resourcetype></prop></set></mkcol>')" = 201
check "and a calendar" test "$(http MKCALENDAR test/calendar/)" = 201

# ---- vdirsyncer between the server's collections and a folder each -----------------------
mkdir -p "$work/contacts" "$work/calendar"
cat >"$work/vdirsyncer.conf" <<EOF
[general]
status_path = "$work/vdirsyncer-status/"

[pair contacts]
a = "contacts_folder"
b = "contacts_server"
collections = null

[storage contacts_folder]
type = "filesystem"
path = "$work/contacts/"
fileext = ".vcf"

[storage contacts_server]
type = "carddav"
url = "$server/test/contacts/"

[pair calendar]
a = "calendar_folder"
b = "calendar_server"
collections = null

[storage calendar_folder]
type = "filesystem"
path = "$work/calendar/"
fileext = ".ics"

[storage calendar_server]
type = "caldav"
url = "$server/test/calendar/"
EOF
# vdirsyncer ARGS...: a run that cannot stop to ask; its output is shown when it fails.
vdirsyncer_runs() {
    vdirsyncer -c "$work/vdirsyncer.conf" "$@" </dev/null >"$work/vdirsyncer.log" 2>&1 && return 0
    sed 's/^/    /' "$work/vdirsyncer.log"
    return 1
}
check "vdirsyncer takes the collections as configured" vdirsyncer_runs discover
sync_server() { check "$1: vdirsyncer syncs" vdirsyncer_runs sync; }
# sync_folder TABLE FOLDER: the handset and the folder brought in step.
sync_folder() { run phone sync-folder "$1" "Z:$work/$2"; }

# suid_of TABLE COLUMN VALUE: the SUID of the handset's item whose COLUMN holds VALUE.
suid_of() {
    run phone list "$1"
    awk -v line="  $2: $3" '/^SUID / { suid = $2 } $0 == line { print suid }' <<<"$out"
}

# put_ada NUMBER: the server's contact with what the handset has no place for (ORG, an
# X- property of the server's own) and NUMBER.
put_ada() {
    put test/contacts/ada.vcf text/vcard "BEGIN:VCARD
VERSION:3.0
UID:ada-lovelace-1815
N:Lovelace;Ada;;;
FN:Ada Lovelace
ORG:Analytical Engines Ltd
TEL;TYPE=CELL:$1
X-SERVER-COLOUR:purple
END:VCARD"
}

# put_event UID START END SUMMARY [LINE]: an event with floating times written on the
# server as UID.ics, with LINE among its properties.
put_event() {
    put "test/calendar/$1.ics" text/calendar "BEGIN:VCALENDAR
VERSION:2.0
PRODID:-//Test server//EN
BEGIN:VEVENT
UID:$1
DTSTAMP:20261201T080000Z
DTSTART:$2
DTEND:$3
SUMMARY:$4${5:+
$5}
END:VEVENT
END:VCALENDAR"
}

# ---- Made on the server, held by the handset ---------------------------------------------
check "a contact is written on the server" stored "$(put_ada 0101234567)"
check "and another" stored "$(put test/contacts/grace.vcf text/vcard 'BEGIN:VCARD
VERSION:3.0
UID:grace-hopper-1906
N:Hopper;Grace;;;
FN:Grace Hopper
TEL;TYPE=WORK:0107654321
END:VCARD')"
check "and one in Korean" stored "$(put test/contacts/minji.vcf text/vcard 'BEGIN:VCARD
VERSION:3.0
UID:kim-minji-1991
N:김;민지;;;
FN:김민지
TEL;TYPE=CELL:01023456789
NOTE:회사 동료
END:VCARD')"
check "an event is written on the server" stored "$(put_event dentist-20261208 20261208T093000 20261208T100000 \
    Dentist "URL:https://clinic.example/booking/42")"
check "and another" stored "$(put_event standup-20261209 20261209T084500 20261209T090000 Stand-up)"

sync_server "the server's items"
check "the contacts land in the folder under their UIDs" \
    test -s "$work/contacts/ada-lovelace-1815.vcf" -a -s "$work/contacts/grace-hopper-1906.vcf"
check "the events too" test -s "$work/calendar/dentist-20261208.ics" -a -s "$work/calendar/standup-20261209.ics"
sync_folder phonebook contacts
check "the contacts are synced onto the handset, which leaves out what it has no place for" exits 4
check "and says so" contains "$err" "ada-lovelace-1815.vcf: ORG has no place on the handset"
run phone list phonebook
check "the handset holds the first contact" contains "$out" "FIRST_NAME: Ada"
check "with her number" contains "$out" "TEL_NUM_0: 0101234567"
check "and the second" contains "$out" "FIRST_NAME: Grace"
check "and the Korean one, her family name" contains "$out" "LAST_NAME: 김"
check "and her given name" contains "$out" "FIRST_NAME: 민지"
check "with her note" contains "$out" "NOTES: 회사 동료"
sync_folder calendar calendar
check "the events are synced onto the handset, which leaves out what it has no place for" exits 4
check "and says so" contains "$err" "dentist-20261208.ics: URL has no place on the handset"
run phone list calendar
check "the handset holds the first event" contains "$out" "SUBJECT: Dentist"
check "at its time" contains "$out" "START_DATE: 2026-12-08 09:30"
check "and the second" contains "$out" "SUBJECT: Stand-up"

# ---- Edited and made on the handset, held by the server ----------------------------------
ada=$(suid_of phonebook FIRST_NAME Ada)
run phone update phonebook "$ada" TEL_NUM_0=0109998888
check "the contact is edited on the handset" exits 0
dentist=$(suid_of calendar SUBJECT Dentist)
run phone update calendar "$dentist" "SUBJECT=Dentist (moved)" "START_DATE=2026-12-08 11:00" \
    "END_DATE=2026-12-08 11:30"
check "the event is edited on the handset" exits 0
run phone update phonebook "$(suid_of phonebook FIRST_NAME 민지)" "NOTES=회사 동료, 팀장"
check "a Korean note is edited on the handset" exits 0
run phone create phonebook FIRST_NAME=Linus TEL_NUM_0=0105550101
check "a contact is made on the handset" exits 0
sync_folder phonebook contacts
check "the handset's contacts are synced into the folder" exits 0
sync_folder calendar calendar
check "the handset's events are synced into the folder" exits 0
sync_server "the handset's edits"
card=$(on_server test/contacts/ada.vcf)
check "the server's contact has the handset's number" contains "$card" "0109998888"
check "and not the old one" lacks "$card" "0101234567"
check "it keeps its UID" contains "$card" "UID:ada-lovelace-1815"
check "its organization, which the handset has no place for" contains "$card" "ORG:Analytical Engines Ltd"
check "and the server's own property" contains "$card" "X-SERVER-COLOUR:purple"
event=$(on_server test/calendar/dentist-20261208.ics)
check "the server's event has the handset's title" contains "$event" "SUMMARY:Dentist (moved)"
check "and time" contains "$event" "DTSTART:20261208T110000"
check "it keeps its UID" contains "$event" "UID:dentist-20261208"
check "and its link, which the handset has no place for" contains "$event" "URL:https://clinic.example/booking/42"
card=$(on_server test/contacts/minji.vcf)
check "the server's Korean contact has the handset's note" contains "$card" "NOTE:회사 동료\\, 팀장"
check "and her name as it was" contains "$card" "FN:김민지"
cards=$(on_server test/contacts/)
check "the contact made on the handset is on the server" contains "$cards" "0105550101"
check "once" test "$(grep -c '0105550101' <<<"$cards")" -eq 1

# ---- Deleted on the handset, gone from the server ----------------------------------------
run phone delete phonebook "$(suid_of phonebook FIRST_NAME Grace)"
check "a contact is deleted on the handset" exits 0
sync_folder phonebook contacts
check "the deletion is synced into the folder" exits 0
check "which no longer holds its file" test ! -e "$work/contacts/grace-hopper-1906.vcf"
sync_server "the handset's deletion"
check "the contact is gone from the server" absent_from_server test/contacts/grace.vcf
check "the others are still there" test "$(on_server test/contacts/ | grep -c '^BEGIN:VCARD')" -eq 3

# ---- Edited and deleted on the server, followed by the handset ---------------------------
check "the contact is edited on the server" stored "$(put_ada 0101112222)"
check "an event is deleted on the server" test "$(http DELETE test/calendar/standup-20261209.ics)" = 200
sync_server "the server's edit and deletion"
sync_folder phonebook contacts
check "the server's edit is synced onto the handset, again without ORG" exits 4
run phone list phonebook
check "the handset holds the server's number" contains "$out" "TEL_NUM_0: 0101112222"
check "and no longer the one it had" lacks "$out" "0109998888"
sync_folder calendar calendar
check "the server's deletion is synced onto the handset" exits 0
run phone list calendar
check "the event is gone from the handset" lacks "$out" "SUBJECT: Stand-up"
check "the other stays" contains "$out" "SUBJECT: Dentist (moved)"

# ---- Changed on both sides between two syncs ---------------------------------------------
check "the contact is edited on the server again" stored "$(put_ada 0103334444)"
run phone update phonebook "$(suid_of phonebook FIRST_NAME Ada)" TEL_NUM_0=0105556666
check "and on the handset" exits 0
sync_server "the server's side of the conflict"
sync_folder phonebook contacts
check "a contact changed on both sides is left as it is" exits 6
check "naming both" contains "$err" "ada-lovelace-1815.vcf both changed"
check "the file keeps the server's number" grep -q 0103334444 "$work/contacts/ada-lovelace-1815.vcf"
run phone list phonebook
check "the handset its own" contains "$out" "TEL_NUM_0: 0105556666"
run phone sync-folder --prefer handset phonebook "Z:$work/contacts"
check "the handset's side is taken when asked" exits 0
sync_server "the handset's side of the conflict"
card=$(on_server test/contacts/ada.vcf)
check "so the server has the handset's number" contains "$card" "0105556666"
check "and not its own" lacks "$card" "0103334444"
check "keeping its organization" contains "$card" "ORG:Analytical Engines Ltd"

# ---- A round with nothing changed --------------------------------------------------------
# Both sides as bytes: the folders' files and the handset's records.
both_sides() { (cd "$work" && find contacts calendar phone/handset.txt -type f -exec md5sum {} + | sort); }
before=$(both_sides)
sync_server "a quiet round"
sync_folder phonebook contacts
check "a quiet sync of the contacts changes nothing" exits 0
sync_folder calendar calendar
check "nor one of the events" exits 0
check "neither a file nor the handset is written" test "$(both_sides)" = "$before"
sync_server "a quiet round"
check "so vdirsyncer has nothing to copy" lacks "$(cat "$work/vdirsyncer.log")" "Copying"
check "or delete" lacks "$(cat "$work/vdirsyncer.log")" "Deleting"

finish
