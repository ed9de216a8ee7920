#!/usr/bin/env bash
# The phonebook and the calendar kept in step with folders of vCard and iCalendar files
# through kelvra-sync sync-folder: a first sync pairs what both sides hold by content;
# edits, creations and deletions cross both ways; files of other programs keep what the
# handset does not hold; conflicts are listed and left until a side is preferred; an edit
# beats a deletion; a sync that would empty or halve a side is refused; a file that cannot
# be read and a record that is passed over delete nothing; a run cut short at any point and
# run again ends as one whole run. Needs the registered servers.
set -u
source "$(dirname "$0")/testlib.sh"
# KELVRA_WINE is the Wine loader of the exe's bitness, the process a kill must hit.
wine=${KELVRA_WINE:-wine}

crlf() { sed 's/$/\r/'; }
# unfolded FILE: its content lines whole, without CR.
unfolded() { tr -d '\r' <"$1" | sed -e ':a' -e '$!N;s/\n[ \t]//;ta' -e 'P;D'; }
# file_with TEXT DIR: the one file of DIR that holds TEXT on an unfolded line.
file_with() {
    local file
    for file in "$2"/*.vcf "$2"/*.ics; do
        [ -e "$file" ] && unfolded "$file" | grep -qF -- "$1" && echo "$file"
    done
}
# suid_of HANDSET TABLE COLUMN PREFIX: the SUID of the item whose column starts so.
suid_of() {
    run "$1" list --json "$2"
    jq -r --arg c "$3" --arg p "$4" '.[] | select((.[$c] // "") | startswith($p)) | .SUID' <<<"$out"
}
# column_of HANDSET TABLE SUID COLUMN
column_of() {
    run "$1" list --json "$2"
    jq -r --argjson s "$3" --arg c "$4" '.[] | select(.SUID == $s) | .[$c]' <<<"$out"
}
count_of() { run "$1" count "$2" && echo "$out"; }
files_in() { find "$1" -maxdepth 1 -name "*.$2" | wc -l; }
in_step() { # in_step HANDSET TABLE DIR: a dry run finds nothing to do and nothing out of step
    run "$1" sync-folder --dry-run "$2" "Z:$3"
    [ "$code" -eq 0 ] && contains "$out" "0 created, 0 updated, 0 deleted on the handset; 0 created, 0 updated, 0 deleted in the folder" &&
        lacks "$out" "out of step" && lacks "$err" "out of step"
}
state_of() { cat "$work/$1/handset.txt" "$work/$1/handset.journal" 2>/dev/null | md5sum; }
folder_state() { (cd "$1" && find . -type f | sort | xargs md5sum) | md5sum; }

# ---- A first sync pairs by content and copies the rest both ways ----------------------
run a --model 202 seed-demo
mkdir -p "$work/pa"
run a export-vcard "Z:$work/all.vcf"
# Another program's copies of two of the handset's contacts, and a contact of its own.
awk -v dir="$work/pa" '/^BEGIN:VCARD/ { n++ } n == 2 || n == 3 { print > (dir "/copy" n ".vcf") }' "$work/all.vcf"
crlf >"$work/pa/foreign.vcf" <<'EOF'
BEGIN:VCARD
VERSION:4.0
UID:urn:uuid:4fbe8971-0bc3-424c-9c26-36c3e1eff6b1
FN:Grace Hopper
N:Hopper;Grace;Brewster;Rear Admiral;
ORG:US Navy;Computing
TEL;TYPE=cell;VALUE=uri:tel:+1-555-0101
ADR;TYPE=work:;;1 Navy Way;Arlington;VA;22202;USA
ADR;TYPE=home:;;2 Home Street;Arlington;VA;22203;USA
ADR;TYPE=other:;;3 Lake Road;Wolfeboro;NH;03894;USA
PHOTO:data:image/png;base64,iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR42mP8
 z8BQDwAEhQGAhKmMIQAAAABJRU5ErkJggg==
CATEGORIES:Pioneers,Navy
X-OTHER-APP:keep me
END:VCARD
EOF
cp "$work/pa/foreign.vcf" "$work/foreign.orig"
run a sync-folder phonebook "Z:$work/pa"
check "first sync: done, said what the handset has no place for ($code)" exits 4
check "first sync: the foreign contact is created on the handset" contains "$out" "handset: created SUID 6 from foreign.vcf"
check "first sync: three files are written for the contacts no file held" [ "$(grep -c '^folder: wrote' <<<"$out")" -eq 3 ]
check "first sync: the two copies are paired, not copied" [ "$(count_of a phonebook)" -eq 6 -a "$(files_in "$work/pa" vcf)" -eq 6 ]
check "first sync: ORG is said to have no place on the handset" contains "$err" "foreign.vcf: ORG has no place on the handset"
check "first sync: the foreign file is left as it was" cmp -s "$work/foreign.orig" "$work/pa/foreign.vcf"
check "first sync: a dry run then finds both sides in step" in_step a phonebook "$work/pa"
run a sync-folder phonebook "Z:$work/pa"
check "a second sync changes nothing" contains "$out" "0 created, 0 updated, 0 deleted on the handset; 0 created, 0 updated, 0 deleted in the folder"

# ---- Edits both ways; a foreign file keeps all the handset does not hold ----------------
grace=$(suid_of a phonebook FIRST_NAME Grace)
run a update phonebook "$grace" TEL_NUM_0=0105550199 "ADDR_STREET_0=9 Pier" ADDR_TYPE_0=private NOTES=Admiral
ada=$(file_with "N:Lovelace;Ada" "$work/pa")
sed -i 's/^N:Lovelace;Ada;/N:Lovelace-King;Ada;/' "$ada"
run a sync-folder phonebook "Z:$work/pa"
check "edits: one updated each way ($code)" contains "$out" "1 updated, 0 deleted on the handset; 0 created, 1 updated, 0 deleted in the folder"
check "edits: the handset's last name follows the file" [ "$(column_of a phonebook "$(suid_of a phonebook FIRST_NAME Ada)" LAST_NAME)" = Lovelace-King ]
unfolded "$work/pa/foreign.vcf" >"$work/foreign.now"
check "edits: the file holds the handset's number, address and note" \
    grep -qx -e 'TEL;TYPE=CELL,HOME;X-KELVRA-TYPE=Mobile.Private:0105550199' "$work/foreign.now"
check "edits: the new address takes the first address's place" contains "$(cat "$work/foreign.now")" "ADR;TYPE=HOME:;;9 Pier;Arlington;VA;22202;USA"
check "edits: the note is added" grep -qx 'NOTE:Admiral' "$work/foreign.now"
for kept in 'UID:urn:uuid:4fbe8971-0bc3-424c-9c26-36c3e1eff6b1' 'FN:Grace Hopper' 'N:Hopper;Grace;Brewster;Rear Admiral;' \
    'ORG:US Navy;Computing' 'ADR;TYPE=home:;;2 Home Street;Arlington;VA;22203;USA' \
    'ADR;TYPE=other:;;3 Lake Road;Wolfeboro;NH;03894;USA' 'CATEGORIES:Pioneers,Navy' 'X-OTHER-APP:keep me' \
    'PHOTO:data:image/png;base64,iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR42mP8z8BQDwAEhQGAhKmMIQAAAABJRU5ErkJggg=='; do
    check "edits: the foreign file keeps $kept" grep -qxF -- "$kept" "$work/foreign.now"
done
check "edits: the photo keeps its folding byte for byte" grep -q $'^ z8BQDwAEhQGAhKmMIQAAAABJRU5ErkJggg==\r$' "$work/pa/foreign.vcf"
check "edits: then in step" in_step a phonebook "$work/pa"

# A vCard 3.0 of another program: an inline picture, ORG, two addresses, its own groups.
mkdir -p "$work/v3"
crlf >"$work/v3/turing.vcf" <<'EOF'
BEGIN:VCARD
VERSION:3.0
PRODID:-//Other Program//EN
UID:turing-1912@example.org
N:Turing;Alan;Mathison;;OBE
FN:Alan Turing
ORG:University of Manchester;Computing Machine Laboratory
TITLE:Reader
TEL;TYPE=WORK,VOICE:+44 161 555 0100
EMAIL;TYPE=INTERNET:alan@example.org
item1.ADR;TYPE=WORK:;;Oxford Road;Manchester;;M13 9PL;United Kingdom
item1.X-ABLabel:Lab
ADR;TYPE=HOME:;;43 Adlington Road;Wilmslow;;SK9 2BJ;United Kingdom
PHOTO;ENCODING=b;TYPE=PNG:iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR42mP8z8B
 QDwAEhQGAhKmMIQAAAABJRU5ErkJggg==
CATEGORIES:Mathematicians,Cambridge
NOTE:Bletchley Park
END:VCARD
EOF
run v3 --model 202 sync-folder phonebook "Z:$work/v3"
turing=$(suid_of v3 phonebook FIRST_NAME Alan)
check "vCard 3.0: the contact reaches the handset ($code)" [ -n "$turing" ]
run v3 update phonebook "$turing" TEL_NUM_0=01055501234 "NOTES=Bletchley Park, Hut 8"
run v3 sync-folder phonebook "Z:$work/v3"
unfolded "$work/v3/turing.vcf" >"$work/turing.now"
check "vCard 3.0: the handset's number reaches the file" grep -q '^TEL;.*:01055501234$' "$work/turing.now"
check "vCard 3.0: so does its note" grep -qx 'NOTE:Bletchley Park\\, Hut 8' "$work/turing.now"
for kept in 'UID:turing-1912@example.org' 'N:Turing;Alan;Mathison;;OBE' 'FN:Alan Turing' \
    'ORG:University of Manchester;Computing Machine Laboratory' 'TITLE:Reader' 'EMAIL;TYPE=INTERNET:alan@example.org' \
    'item1.ADR;TYPE=WORK:;;Oxford Road;Manchester;;M13 9PL;United Kingdom' 'item1.X-ABLabel:Lab' \
    'ADR;TYPE=HOME:;;43 Adlington Road;Wilmslow;;SK9 2BJ;United Kingdom' 'CATEGORIES:Mathematicians,Cambridge' \
    'PHOTO;ENCODING=b;TYPE=PNG:iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR42mP8z8BQDwAEhQGAhKmMIQAAAABJRU5ErkJggg=='; do
    check "vCard 3.0: the file keeps $kept" grep -qxF -- "$kept" "$work/turing.now"
done
check "vCard 3.0: then in step" in_step v3 phonebook "$work/v3"

# ---- Conflicts: listed and left, until a side is preferred ------------------------------
joon=$(suid_of a phonebook FIRST_NAME Joon)
joonfile=$(file_with "N:Park;Joon" "$work/pa")
run a update phonebook "$joon" NOTES=handset
sed -i 's/^END:VCARD/NOTE:folder\r\nEND:VCARD/' "$joonfile"
cp "$joonfile" "$work/joon.file"
run a sync-folder phonebook "Z:$work/pa"
check "conflict: exit 6 ($code)" exits 6
check "conflict: named on stderr" contains "$err" "conflict: SUID $joon (Joon Park) and ${joonfile##*/} both changed"
both_left() { [ "$(column_of a phonebook "$joon" NOTES)" = handset ] && cmp -s "$joonfile" "$work/joon.file"; }
check "conflict: both sides left" both_left
run a sync-folder phonebook "Z:$work/pa"
check "conflict: still there on the next run" exits 6
run a sync-folder --prefer folder phonebook "Z:$work/pa"
check "conflict: --prefer folder settles it" [ "$code" -eq 0 -a "$(column_of a phonebook "$joon" NOTES)" = folder ]
run a update phonebook "$joon" NOTES=same
sed -i 's/^NOTE:folder/NOTE:same/' "$joonfile"
run a sync-folder phonebook "Z:$work/pa"
check "both sides changed alike is no conflict" [ "$code" -eq 0 ]

# ---- An edit beats a deletion; a deletion crosses ---------------------------------------
seoyeon=$(suid_of a phonebook FIRST_NAME Seoyeon)
rm "$(file_with "N:Lee;Seoyeon" "$work/pa")"
run a update phonebook "$seoyeon" NOTES=edited
minjifile=$(file_with "N:Kim;Minji" "$work/pa")
run a delete phonebook "$(suid_of a phonebook FIRST_NAME Minji)"
sed -i 's/^N:Kim;Minji;/N:Kim;Minji-edited;/' "$minjifile"
run a sync-folder phonebook "Z:$work/pa"
check "edit beats deletion: the edited item gets a file again" [ -n "$(file_with "NOTE:edited" "$work/pa" | xargs grep -l Seoyeon)" ]
check "edit beats deletion: the edited file makes the item again" [ -n "$(suid_of a phonebook FIRST_NAME Minji-edited)" ]
run a delete phonebook "$(suid_of a phonebook FIRST_NAME Dentist)"
rm "$(file_with "N:Park;Joon" "$work/pa")"
run a sync-folder phonebook "Z:$work/pa"
check "deletions cross both ways" [ -z "$(suid_of a phonebook FIRST_NAME Joon)" -a -z "$(file_with Dentist "$work/pa")" ]
check "deletions: then in step" in_step a phonebook "$work/pa"

# ---- A dry run changes nothing ---------------------------------------------------------
run a update phonebook "$(suid_of a phonebook FIRST_NAME Ada)" NOTES=dry
before=$(state_of a)$(folder_state "$work/pa")
run a sync-folder --dry-run phonebook "Z:$work/pa"
check "dry run: says what it would do" contains "$out" "folder: would update"
check "dry run: changes neither side" [ "$before" = "$(state_of a)$(folder_state "$work/pa")" ]
run a sync-folder phonebook "Z:$work/pa"
check "dry run: the real run then does it" contains "$out" "0 created, 1 updated, 0 deleted in the folder"

# ---- Safety: an emptied or halved side needs --force-delete ----------------------------
mkdir -p "$work/aside"
mv "$work/pa"/*.vcf "$work/aside/"
before=$(state_of a)
run a sync-folder phonebook "Z:$work/pa"
check "empty folder: refused ($code)" exits 1
check "empty folder: says --force-delete" contains "$err" "needs --force-delete"
check "empty folder: the handset is untouched" [ "$before" = "$(state_of a)" ]
mv "$work/aside"/*.vcf "$work/pa/"
for name in Grace Ada Seoyeon; do run a delete phonebook "$(suid_of a phonebook FIRST_NAME $name)"; done
before=$(folder_state "$work/pa")
run a sync-folder phonebook "Z:$work/pa"
check "more than half of the folder: refused" [ "$code" -eq 1 -a "$before" = "$(folder_state "$work/pa")" ]
run a sync-folder --force-delete phonebook "Z:$work/pa"
check "--force-delete does it" [ "$code" -eq 0 -a "$(files_in "$work/pa" vcf)" -eq "$(count_of a phonebook)" ]
check "foreign.vcf went with its contact" [ ! -e "$work/pa/foreign.vcf" ]

# ---- A file that cannot be read, a record passed over, a damaged status ----------------
echo "no vCard at all" >"$work/pa/garbage.vcf"
run a sync-folder phonebook "Z:$work/pa"
check "unreadable file: said, nothing done ($code)" contains "$err" "garbage.vcf: not synced"
check "unreadable file: left as it is" grep -q "no vCard at all" "$work/pa/garbage.vcf"
rm "$work/pa/garbage.vcf"
for name in P1 P2 P3; do run a create phonebook FIRST_NAME=$name TEL_NUM_0=0101112233; done
run a sync-folder phonebook "Z:$work/pa"
p2=$(suid_of a phonebook FIRST_NAME P2)
p2file=$(file_with "N:;P2" "$work/pa")
put_record a 1 "$p2" 0101  # cut short
run a sync-folder phonebook "Z:$work/pa"
check "passed over: exit 5 ($code)" exits 5
check "passed over: its file is not taken for deleted" [ -e "$p2file" ]
status=$(ls -t "$WINEPREFIX"/drive_c/users/*/AppData/Roaming/Orvane/Tarn/FolderSync/phonebook-*.json | head -1)
echo '{"format":1,' >"$status"
run a sync-folder phonebook "Z:$work/pa"
refused_with_advice() { [ "$code" -eq 3 ] && contains "$err" "remove it to sync anew"; }
check "damaged status: refused with what to do ($code)" refused_with_advice
rm "$status"

# ---- A run cut short at any point, run again, ends as one whole run --------------------
# Each cut lands at another request: in the listing, between creations on the handset, or
# after files were written.
make_files() {
    mkdir -p "$1"
    for n in 1 2 3 4; do
        printf 'BEGIN:VCARD\r\nVERSION:3.0\r\nN:Cut;F%s-%s;;;\r\nTEL:0107000%s\r\nNOTE:%s\r\nEND:VCARD\r\n' "$n" \
            "a name longer than any field of the handset keeps" "$n" "$(printf 'n%.0s' {1..120})" >"$1/f$n.vcf"
    done
}
tokens() { # tokens HANDSET DIR: the sorted first-name tokens of both sides, one line each side
    run "$1" list --json phonebook
    jq -r '.[].FIRST_NAME' <<<"$out" | cut -c1-3 | sort | tr '\n' ' '
    echo
    cat "$2"/*.vcf | tr -d '\r' | sed -n 's/^N:[^;]*;\([^;]\{3\}\).*/\1/p' | sort | tr '\n' ' '
}
run whole --model 218 seed-demo
make_files "$work/whole"
run whole sync-folder phonebook "Z:$work/whole"
expected=$(tokens whole "$work/whole")
for at in 6 9 12 15 18 21; do
    run "cut$at" --model 218 seed-demo
    make_files "$work/cut$at"
    run "cut$at" --sim-fault "timeout@$at" sync-folder phonebook "Z:$work/cut$at"
    first=$code
    run "cut$at" sync-folder phonebook "Z:$work/cut$at"
    check "cut after $at requests ($first, then $code): the same items and files as one whole run" \
        [ "$(tokens "cut$at" "$work/cut$at")" = "$expected" ]
    check "cut after $at requests: then in step" in_step "cut$at" phonebook "$work/cut$at"
done
# A process killed while it writes files.
run killed --model 218 seed-demo
make_files "$work/killed"
"$wine" "$exe" --handset "Z:$work/killed" sync-folder phonebook "Z:$work/killed" >"$work/killed.out" 2>/dev/null &
pid=$!
while kill -0 "$pid" 2>/dev/null && [ "$(cat "$work/killed.out" 2>/dev/null | grep -c '^folder: wrote')" -lt 1 ]; do sleep 0.01; done
{ kill -9 "$pid" && wait "$pid"; } 2>/dev/null
run killed sync-folder phonebook "Z:$work/killed"
check "killed while writing files: the same items and files as one whole run" [ "$(tokens killed "$work/killed")" = "$expected" ]

# ---- The calendar: a foreign event with its zone and rule survives a handset edit -------
mkdir -p "$work/ca"
crlf >"$work/ca/review.ics" <<'EOF'
BEGIN:VCALENDAR
VERSION:2.0
PRODID:-//Example Corp.//CalApp 3.1//EN
BEGIN:VTIMEZONE
TZID:Europe/Berlin
BEGIN:DAYLIGHT
TZOFFSETFROM:+0100
TZOFFSETTO:+0200
DTSTART:19700329T020000
RRULE:FREQ=YEARLY;BYMONTH=3;BYDAY=-1SU
END:DAYLIGHT
BEGIN:STANDARD
TZOFFSETFROM:+0200
TZOFFSETTO:+0100
DTSTART:19701025T030000
RRULE:FREQ=YEARLY;BYMONTH=10;BYDAY=-1SU
END:STANDARD
END:VTIMEZONE
BEGIN:VEVENT
UID:weekly-review-42@example.com
DTSTAMP:20261201T120000Z
SEQUENCE:3
DTSTART;TZID=Europe/Berlin:20261209T150000
DTEND;TZID=Europe/Berlin:20261209T160000
RRULE:FREQ=WEEKLY;BYDAY=WE
SUMMARY:Weekly review with the whole product team and our guests from sales
LOCATION:Room 4
ATTENDEE;CN=Me;PARTSTAT=ACCEPTED:mailto:me@example.com
BEGIN:VALARM
ACTION:AUDIO
TRIGGER:-PT15M
END:VALARM
END:VEVENT
END:VCALENDAR
EOF
for model in 202 218; do
    rm -rf "$work/c$model" && cp -r "$work/ca" "$work/c$model"
    run "cal$model" --model "$model" seed-demo
    run "cal$model" sync-folder calendar "Z:$work/c$model"
    check "calendar $model: the foreign event reaches the handset ($code)" [ -n "$(suid_of "cal$model" calendar SUBJECT Weekly)" ]
    check "calendar $model: the handset's entries get files" [ "$(files_in "$work/c$model" ics)" -eq "$(count_of "cal$model" calendar)" ]
    check "calendar $model: in step, the cut title and the alarm as the handset keeps it" in_step "cal$model" calendar "$work/c$model"
    review=$(suid_of "cal$model" calendar SUBJECT Weekly)
    run "cal$model" update calendar "$review" "SUBJECT=Review moved" "START_DATE=2026-12-09 15:30" "END_DATE=2026-12-09 16:30"
    run "cal$model" sync-folder calendar "Z:$work/c$model"
    unfolded "$work/c$model/review.ics" >"$work/review.now"
    check "calendar $model: the edit reaches the file" grep -qx 'SUMMARY:Review moved' "$work/review.now"
    check "calendar $model: the new start replaces the zoned one" grep -qx 'DTSTART:20261209T153000' "$work/review.now"
    for kept in 'UID:weekly-review-42@example.com' 'SEQUENCE:3' 'TZID:Europe/Berlin' 'RRULE:FREQ=WEEKLY;BYDAY=WE' \
        'LOCATION:Room 4' 'ATTENDEE;CN=Me;PARTSTAT=ACCEPTED:mailto:me@example.com' 'RRULE:FREQ=YEARLY;BYMONTH=10;BYDAY=-1SU'; do
        check "calendar $model: the file keeps $kept" grep -qxF -- "$kept" "$work/review.now"
    done
    check "calendar $model: then in step" in_step "cal$model" calendar "$work/c$model"
done
check "calendar: the alarm the A280 keeps as a lead stays as the file wrote it" grep -q 'ACTION:AUDIO' "$work/c202/review.ics"

# ---- Renames, reused places, kinds that move, files that hold more than one item -------
run mv --model 202 seed-demo
mkdir -p "$work/mvp" "$work/mvc"
run mv sync-folder phonebook "Z:$work/mvp"
run mv sync-folder calendar "Z:$work/mvc"
dentist=$(file_with "N:;Dentist" "$work/mvp")
sed -i 's/^END:VCARD/ORG:Gangnam Clinic\r\nEND:VCARD/' "$dentist"
run mv sync-folder phonebook "Z:$work/mvp"
# A contact renamed and renumbered on the handset is still the contact: its note stays.
run mv update phonebook "$(suid_of mv phonebook FIRST_NAME Dentist)" "FIRST_NAME=Dr. Choi" TEL_NUM_0=0233334444
run mv sync-folder phonebook "Z:$work/mvp"
check "renamed on the handset: its own file is edited ($code)" grep -q '^FN:Dr. Choi' "$dentist"
check "renamed on the handset: the file keeps its ORG" grep -q '^ORG:Gangnam Clinic' "$dentist"
# A contact deleted and another made in its place (its SUID) gets a file of its own.
choi=$(suid_of mv phonebook FIRST_NAME "Dr. Choi")
run mv delete phonebook "$choi"
run mv create phonebook FIRST_NAME=Plumber TEL_NUM_0=0109998888
check "a deleted contact's place is taken by the new one" [ "$(suid_of mv phonebook FIRST_NAME Plumber)" = "$choi" ]
run mv sync-folder phonebook "Z:$work/mvp"
plumber=$(file_with "N:;Plumber" "$work/mvp")
check "reused place: the old contact's file is deleted ($code)" [ ! -e "$dentist" ]
own_file() { [ -n "$plumber" ] && ! grep -q ORG "$plumber"; }
check "reused place: the new contact has a file without the old one's ORG" own_file
# A file renamed is the same file: the contact is not deleted and made again.
ada=$(suid_of mv phonebook FIRST_NAME Ada)
mv "$(file_with "N:Lovelace;Ada" "$work/mvp")" "$work/mvp/ada-renamed.vcf"
run mv sync-folder phonebook "Z:$work/mvp"
check "renamed file: nothing created or deleted ($code)" contains "$out" "0 created, 0 updated, 0 deleted on the handset; 0 created, 0 updated, 0 deleted in the folder"
check "renamed file: the contact keeps its SUID" [ "$(suid_of mv phonebook FIRST_NAME Ada)" = "$ada" ]
check "renamed file: then in step" in_step mv phonebook "$work/mvp"
# A file with two contacts is not synced, and never deleted.
cat "$work/mvp/ada-renamed.vcf" "$plumber" >"$work/mvp/two.vcf"
run mv sync-folder phonebook "Z:$work/mvp"
said_with() { [ "$code" -eq "$1" ] && contains "$err" "$2"; }
check "two contacts in a file: said, exit 3 ($code)" said_with 3 "two.vcf: not synced: it holds 2 vCards"
check "two contacts in a file: nothing made of it" [ "$(count_of mv phonebook)" -eq "$(($(files_in "$work/mvp" vcf) - 1))" ]
rm "$work/mvp/two.vcf"
# An emptied folder while the handset made new contacts: still refused.
run mv create phonebook FIRST_NAME=New1 TEL_NUM_0=0101
run mv create phonebook FIRST_NAME=New2 TEL_NUM_0=0102
run mv create phonebook FIRST_NAME=New3 TEL_NUM_0=0103
mkdir -p "$work/aside2"
mv "$work/mvp"/*.vcf "$work/aside2/"
run mv sync-folder phonebook "Z:$work/mvp"
check "emptied folder beside new contacts: refused ($code)" said_with 1 "--force-delete"
mv "$work/aside2"/*.vcf "$work/mvp/"
# An entry that changes its kind on the handset moves to another SUID, not another file.
dentistevent=$(file_with "SUMMARY:Dentist" "$work/mvc")
sed -i 's/^END:VEVENT/X-OTHER:keep\r\nEND:VEVENT/' "$dentistevent"
run mv sync-folder calendar "Z:$work/mvc"
run mv update calendar "$(suid_of mv calendar SUBJECT Dentist)" TYPE=20
run mv sync-folder calendar "Z:$work/mvc"
check "kind changed on the handset: the entry's own file is edited ($code)" grep -q '^CATEGORIES:IMPORTANT' "$dentistevent"
check "kind changed on the handset: the file keeps its lines" grep -q '^X-OTHER:keep' "$dentistevent"
check "kind changed on the handset: one file for it" [ "$(grep -l 'SUMMARY:Dentist' "$work/mvc"/*.ics | wc -l)" -eq 1 ]
check "kind changed on the handset: then in step" in_step mv calendar "$work/mvc"
# A series whose moved occurrence comes first in its file: the series is what is synced,
# and an end given anew takes the place of the duration.
crlf >"$work/mvc/series.ics" <<'EOF'
BEGIN:VCALENDAR
VERSION:2.0
PRODID:-//Other//EN
BEGIN:VEVENT
UID:series-1@other
RECURRENCE-ID:20261216T100000
DTSTART:20261216T150000
DURATION:PT1H
SUMMARY:Moved occurrence
END:VEVENT
BEGIN:VEVENT
UID:series-1@other
DTSTART:20261209T100000
DURATION:PT1H
RRULE:FREQ=WEEKLY
SUMMARY:Weekly sync
END:VEVENT
END:VCALENDAR
EOF
run mv sync-folder calendar "Z:$work/mvc"
check "series: the handset gets the series, not the moved occurrence ($code)" [ -n "$(suid_of mv calendar SUBJECT "Weekly sync")" ]
run mv update calendar "$(suid_of mv calendar SUBJECT "Weekly sync")" "END_DATE=2026-12-09 11:30"
run mv sync-folder calendar "Z:$work/mvc"
unfolded "$work/mvc/series.ics" >"$work/series.now"
check "series: the new end is written into the series" grep -qx "DTEND:20261209T113000" "$work/series.now"
check "series: the series' duration goes with its new end" [ "$(grep -c '^DURATION' "$work/series.now")" -eq 1 ]
check "series: the moved occurrence is left as it was" grep -qx 'SUMMARY:Moved occurrence' "$work/series.now"
check "series: then in step" in_step mv calendar "$work/mvc"

# ---- Tasks on a KTM-A290 and memos: both ways, a foreign to-do keeps what it holds ------
run tm --model 211 seed-demo
mkdir -p "$work/tasks" "$work/memos"
crlf >"$work/tasks/milk.ics" <<'EOF'
BEGIN:VCALENDAR
VERSION:2.0
PRODID:-//Other//EN
BEGIN:VTODO
UID:todo-1@other
DTSTAMP:20270101T000000Z
SUMMARY:Buy milk
DUE:20270110T120000
PRIORITY:2
STATUS:NEEDS-ACTION
CATEGORIES:Home
X-OTHER:keep
END:VTODO
END:VCALENDAR
EOF
printf 'BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Other//EN\r\nBEGIN:VJOURNAL\r\nUID:memo-1@other\r\nDESCRIPTION:Locker 12\r\nX-OTHER:keep\r\nEND:VJOURNAL\r\nEND:VCALENDAR\r\n' >"$work/memos/locker.ics"
for table in tasks memos; do
    run tm sync-folder "$table" "Z:$work/$table"
    check "$table: the foreign item reaches the handset and the handset's get files ($code)" \
        [ "$(count_of tm "$table")" -eq "$(files_in "$work/$table" ics)" -a "$(count_of tm "$table")" -ge 2 ]
    check "$table: then in step" in_step tm "$table" "$work/$table"
done
run tm update tasks "$(suid_of tm tasks SUBJECT Buy)" "SUBJECT=Buy oat milk" DONE_STATE=Done
run tm update memos "$(suid_of tm memos DETAIL Locker)" "DETAIL=Locker 14"
for table in tasks memos; do run tm sync-folder "$table" "Z:$work/$table"; done
unfolded "$work/tasks/milk.ics" >"$work/milk.now"
check "tasks: the handset's edit reaches the file" grep -qx 'SUMMARY:Buy oat milk' "$work/milk.now"
check "tasks: the state crosses" grep -qx 'STATUS:COMPLETED' "$work/milk.now"
for kept in 'UID:todo-1@other' 'CATEGORIES:Home' 'X-OTHER:keep' 'PRIORITY:2'; do
    check "tasks: the file keeps $kept" grep -qxF -- "$kept" "$work/milk.now"
done
unfolded "$work/memos/locker.ics" >"$work/locker.now"
check "memos: the handset's edit reaches the file" grep -qx 'DESCRIPTION:Locker 14' "$work/locker.now"
check "memos: the file keeps its own lines" grep -qx 'X-OTHER:keep' "$work/locker.now"
for table in tasks memos; do check "$table: in step after the edits" in_step tm "$table" "$work/$table"; done

finish
