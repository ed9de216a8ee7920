#!/usr/bin/env bash
# A whole handset backed up, checked and restored through kelvra-sync: on every built-in
# model a handset filled with every kind of item it keeps comes back alike on a new one; a
# restore killed in the middle and run again with --merge ends with each item once; a
# changed byte fails the check and the restore; a restore onto a handset that holds items
# needs --merge or --replace; onto a smaller model it says what it leaves out; --dry-run
# changes nothing and --only keeps to its tables. Needs the registered servers.
set -u
source "$(dirname "$0")/testlib.sh"
source "$here/backup_fill.sh"
source "$here/backup_compare.sh"
# KELVRA_WINE is the Wine loader of the exe's bitness, the process a kill must hit (see
# handset_state_tests.sh).
wine=${KELVRA_WINE:-wine}

# state_of HANDSET: its whole state, with the changes a killed run left in the journal.
state_of() { cat "$work/$1/handset.txt" "$work/$1/handset.journal" 2>/dev/null | md5sum; }
differ() { ! "$@"; }
# showing FILE CONDITION...: the condition, and on failure the start of FILE (a diff).
showing() {
    local file=$1
    shift
    "$@" && return 0
    cut -c1-160 "$file" | head -12 | sed 's/^/    /'
    return 1
}
# left_out_only_messages FILE: the restore's table lines leave out nothing but messages.
left_out_only_messages() { ! grep -v '^sms:\|^mms:' "$1" | grep -q '[1-9][0-9]* left out$'; }
# spoil FILE: its 21st byte with its lowest bit turned over.
spoil() {
    local byte
    byte=$(od -An -tu1 -j20 -N1 "$1")
    printf "\\$(printf %03o $((byte ^ 1)))" | dd of="$1" bs=1 seek=20 conv=notrunc 2>/dev/null
}
lines() { if [ -e "$1" ]; then grep -c . "$1"; else echo 0; fi; }
# item_counts DIR: "TABLE COUNT" of the backup's tables but messages, those with items.
item_counts() {
    local file
    for file in "$1"/items/*.jsonl; do
        case ${file##*/} in sms.jsonl | mms.jsonl) continue ;; esac
        [ "$(lines "$file")" -gt 0 ] && echo "$(basename "$file" .jsonl) $(lines "$file")"
    done
}
made_counts() { sort "$work/fill-$1.tables" | uniq -c | awk '{ print $2, $1 }'; }
# The items of a table in a backup, one JSON object a line.
table_items() { cat "$1/items/$2.jsonl" 2>/dev/null; }
# column_of DIR TABLE COLUMN VALUE WANTED: WANTED (a column's name, or suid) of the items
# whose COLUMN holds VALUE.
column_of() {
    table_items "$1" "$2" | jq -r --arg c "$3" --arg v "$4" --arg w "$5" \
        'select(any(.columns[]; .name == $c and .value == $v)) |
         if $w == "suid" then .suid else (.columns[] | select(.name == $w) | .value) end'
}

# ---- Every model: filled, backed up, restored onto a new handset, backed up again -------
round_trip() {  # round_trip MODEL
    local model=$1
    fill "m$model" "$model"
    check "$model: every item of the fill is made as given" test $? -eq 0
    run "m$model" backup "Z:$work/b$model"
    check "$model: the handset is backed up" exits 0
    check "$model: with its manifest" test -s "$work/b$model/manifest.json" -a -s "$work/b$model/manifest.json.sha256"
    check "$model: leaving no part folder" test -z "$(ls -d "$work/b$model".partial-* 2>/dev/null)"
    check "$model: the backup holds every item made" diff <(made_counts "m$model") <(item_counts "$work/b$model")
    run "r$model" --model "$model" restore "Z:$work/b$model"
    echo "$out" >"$work/restore-$model.out"
    check "$model: it is restored onto a new handset, saying it sends no message" exits 4
    check "$model: saying so" contains "$err" "sms: 5 SMS left out"
    check "$model: and leaving nothing else out" left_out_only_messages "$work/restore-$model.out"
    check "$model: saying each item it creates" test "$(grep -c '^created SUID' "$work/restore-$model.out")" -eq \
        "$(lines "$work/fill-m$model.tables")"
    run "r$model" backup "Z:$work/c$model"
    check "$model: the restored handset holds the same items" \
        showing "$scratch/items.diff" same_items "$work/b$model" "$work/c$model"
    check "$model: the same records, places aside" \
        showing "$scratch/records.diff" same_records "$work/m$model" "$work/r$model"
    if has_files "$model"; then
        check "$model: and the same files" showing "$scratch/files.diff" same_files "$work/b$model" "$work/c$model"
        check "$model: also on the handset" showing "$scratch/files.diff" same_files "$work/m$model" "$work/r$model"
    fi
}
# The models' round trips run in two lanes at once, as most of a command's time is the
# handset link's pauses. Each lane works in a folder of its own (testlib's run keeps its
# stderr in $work), whose handsets and backups then join the others.
lane() {  # lane NAME MODEL...: the models' round trips one after the other, in the background
    local name=$1
    shift
    (
        work=$work/lane-$name passed=0 failed=0
        scratch=$work
        mkdir -p "$work"
        for model in "$@"; do round_trip "$model"; done >"$work/log"
        echo "$passed $failed" >"$work/counts"
    ) &
}
lane a 211 202 208
lane b 218 203 210 212
wait
for name in a b; do
    cat "$work/lane-$name/log"
    if ! read -r lane_passed lane_failed 2>/dev/null <"$work/lane-$name/counts"; then
        echo "FAILED: lane $name did not finish"
        lane_passed=0 lane_failed=1
    fi
    passed=$((passed + lane_passed)) failed=$((failed + lane_failed))
    rm -f "$work/lane-$name/"{log,counts,stderr}
    mv "$work/lane-$name/"* "$work"
done

# The backups carry what the fill set (create checked that the handset kept it).
check "an n-th weekday every second month" \
    test "$(column_of "$work/b202" calendar SUBJECT "Second Tuesday" RECURRENCE_FLAG) $(column_of "$work/b202" \
        calendar SUBJECT "Second Tuesday" RECURRENCE_EVERY)" = "260 2"
check "an alarm term of its own" test "$(column_of "$work/b211" calendar SUBJECT "A term of its own" ALARM_VALUE)" = 3
check "an alarm at its own time" \
    test "$(column_of "$work/b218" calendar SUBJECT "At its own time" ALARM_TYPE)" = Target
check "a task done" test "$(column_of "$work/b211" tasks SUBJECT "Buy a helmet" DONE_STATE)" = Done
check "the fill has pictures and sounds to back up" test -s "$work/b211/files/card/Music/tune.mp3"
check "and a contact picture" grep -q '"picture"' "$work/b211/items/phonebook.jsonl"

# The comparisons see a change: one changed byte of a kept record, a changed column.
cp -r "$work/r211" "$work/changed"
sed -i '/^record 4 1 /s/\(record 4 1 .\{12\}\)./\1F/' "$work/changed/handset.txt"
check "a changed record differs" differ same_records "$work/r211" "$work/changed"
mkdir -p "$work/changed-backup"
cp -r "$work/c211/." "$work/changed-backup"
sed -i '1s/"Kim"/"Kin"/' "$work/changed-backup/items/phonebook.jsonl"
check "a changed column differs" differ same_items "$work/c211" "$work/changed-backup"

# ---- A restore killed after some items, run again with --merge --------------------------
# The KTM-A110's backup, which holds no files, restores fastest. A table's items are made
# in a burst after the handset's pause for listing it, where the kill lands.
made=$(lines "$work/fill-m218.tables")
"$wine" "$exe" --handset "Z:$work/killed" --model 218 restore "Z:$work/b218" >"$work/killed.out" 2>/dev/null &
pid=$!
while kill -0 "$pid" 2>/dev/null && [ "$(grep -c '^created SUID' "$work/killed.out")" -lt 1 ]; do sleep 0.01; done
{ kill -9 "$pid" && wait "$pid"; } 2>/dev/null  # without the shell's word on the killed job
told=$(grep -c '^created SUID' "$work/killed.out")
check "the restore was killed in the middle ($told of $made items reported)" test "$told" -ge 1 -a "$told" -lt "$made"
before=$(state_of killed)
run killed restore "Z:$work/b218"
check "run again, the restore refuses a handset that holds items" exits 1
check "saying what it holds" contains "$err" "restore --merge adds what it does not hold"
check "changing nothing" test "$(state_of killed)" = "$before"
run killed restore --merge "Z:$work/b218"
check "with --merge it restores the rest" exits 4
held=$(awk '$3 == "created," && $5 == "held" { sum += $4 } END { print sum + 0 }' <<<"$out")
check "the killed run had made each item it reported, at most one more ($held held)" \
    test "$held" -ge "$told" -a "$held" -le $((told + 1))
check "the merge makes the others" test "$(grep -c '^created SUID' <<<"$out")" -eq $((made - held))
run killed backup "Z:$work/killed-backup"
check "then the handset holds each backed-up item once" \
    showing "$scratch/items.diff" same_items "$work/b218" "$work/killed-backup"
check "with the same records" showing "$scratch/records.diff" same_records "$work/m218" "$work/killed"

# A restore of the KTM-A290 killed once it has copied a file back, then merged. A copy the
# kill cut short leaves nothing among the handset's files.
copied() { find "$work/$1/files" -type f -path '*/users/*' 2>/dev/null | wc -l; }
"$wine" "$exe" --handset "Z:$work/killed-files" --model 211 restore "Z:$work/b211" >/dev/null 2>&1 &
pid=$!
while kill -0 "$pid" 2>/dev/null && [ "$(copied killed-files)" -lt 1 ]; do sleep 0.01; done
{ kill -9 "$pid" && wait "$pid"; } 2>/dev/null  # without the shell's word on the killed job
check "a restore was killed among the files ($(copied killed-files) of $(copied m211))" \
    test "$(copied killed-files)" -lt "$(copied m211)"
run killed-files restore --merge "Z:$work/b211"
check "merged, it makes no item twice" test "$(grep -c '^created SUID' <<<"$out")" -eq 0
check "and copies the files the killed run had not" \
    diff -r "$work/m211/files" "$work/killed-files/files"

# ---- A changed backup fails verify and restore -------------------------------------------
run m211 verify "Z:$work/b211"
check "a whole backup verifies" exits 0
before=$(state_of r211)
for changed in items/memos.jsonl files/card/Music/tune.mp3 manifest.json; do
    rm -rf "$work/spoilt"
    cp -r "$work/b211" "$work/spoilt"
    spoil "$work/spoilt/$changed"
    run m211 verify "Z:$work/spoilt"
    check "$changed changed: verify fails" exits 3
    said=$(grep -v 'is no whole backup' <<<"$err")
    check "$changed changed: naming it, and only it" test "$(grep -c . <<<"$said")" -eq 1 -a \
        "${said%% (*}" = "kelvra-sync: $changed has changed"
    run r211 restore --replace "Z:$work/spoilt"
    check "$changed changed: restore refuses it" exits 3
    check "$changed changed: changing nothing" test "$(state_of r211)" = "$before"
    check "$changed changed: no file either" same_files "$work/m211" "$work/r211"
done
rm -rf "$work/spoilt"
cp -r "$work/b211" "$work/spoilt"
rm "$work/spoilt/contacts.vcf"
run m211 verify "Z:$work/spoilt"
check "a file gone: verify fails" exits 3
check "naming it" contains "$err" "kelvra-sync: contacts.vcf is missing"
# A picture a hand-edited line names outside the backup, with the manifest made to agree,
# is refused before anything reaches the handset.
rm -rf "$work/spoilt"
cp -r "$work/b211" "$work/spoilt"
printf 'not in the backup' >"$work/outside.bmp"
sed -i 's#"picture": "pictures/[^"]*"#"picture": "../../outside.bmp"#' "$work/spoilt/items/phonebook.jsonl"
size=$(stat -c %s "$work/spoilt/items/phonebook.jsonl")
digest=$(sha256sum "$work/spoilt/items/phonebook.jsonl" | cut -c1-64)
jq --argjson s "$size" --arg d "$digest" \
    '(.files[] | select(.path == "items/phonebook.jsonl")) |= (.size = $s | .sha256 = $d)' \
    "$work/b211/manifest.json" >"$work/spoilt/manifest.json"
(cd "$work/spoilt" && sha256sum manifest.json >manifest.json.sha256)
run r211 restore --replace "Z:$work/spoilt"
check "a picture from outside the backup is refused" exits 3
check "naming the line's file" contains "$err" "items/phonebook.jsonl: the picture of SUID"
check "changing nothing" test "$(state_of r211)" = "$before"
run r211 restore --replace --only groups "Z:$work/b211"
check "groups replaced without their contacts are refused" exits 1
check "changing nothing either" test "$(state_of r211)" = "$before"

before=$(find "$work/b218" -type f -exec md5sum {} + | sort)
run m218 backup "Z:$work/b218"
check "a backup into a folder that exists is refused" exits 1
check "leaving the folder as it was" test "$(find "$work/b218" -type f -exec md5sum {} + | sort)" = "$before"

# ---- Onto a smaller model ----------------------------------------------------------------
run small --model 218 restore "Z:$work/b211"
check "a KTM-A290 backup onto a KTM-A110 is restored, with what it cannot hold said" exits 4
check "each task" contains "$err" "task 1 (File the taxes): left out: the KTM-A110 keeps no tasks"
check "a fourth and a fifth number" contains "$err" 'TEL_NUM_4 "029998888" has no place on this model'
check "a name longer than its field" contains "$err" 'FIRST_NAME cut to 20 characters: "Konstantina Evangeli"'
check "a memo longer than its field" contains "$err" "DETAIL cut to 70 characters"
check "the picture" contains "$err" "FaceAnn): its picture was not kept"
check "and the files" contains "$err" "files left out: the KTM-A110 keeps no files"
run small restore --dry-run --merge "Z:$work/b211"
echo "$out" >"$work/again.out"
check "run again with --merge, it would make no item twice" \
    showing "$work/again.out" test -z "$(grep -E '^[a-z0-9]+: [1-9][0-9]* to create' "$work/again.out")"
run small backup "Z:$work/small-backup"
for table in groups phonebook card calendar memos; do
    check "the rest is restored: $table" test "$(table_items "$work/small-backup" $table | grep -c .)" -eq \
        "$(table_items "$work/b211" $table | grep -c .)"
done

# ---- --dry-run and --only ----------------------------------------------------------------
before=$(state_of r211)
run r211 restore --dry-run --replace "Z:$work/b211"
check "--dry-run says per table what it would do" contains "$out" "calendar: 10 to create, 0 held already, 10 to delete, 0 left out"
check "and that it changed nothing" contains "$out" "nothing was changed"
check "--dry-run changes nothing" test "$(state_of r211)" = "$before"
run only --model 218 restore --only memos,calendar "Z:$work/b218"
check "--only restores" exits 0
run only backup "Z:$work/only-backup"
check "--only restores the tables named, and only those" diff <(item_counts "$work/only-backup") \
    <(item_counts "$work/b218" | grep -E '^(calendar|memos) ')
run only create memos "DETAIL=Not in the backup"
run only restore --replace "Z:$work/b218"
check "--replace restores onto a handset that holds items" exits 4
run only backup "Z:$work/replaced-backup"
check "leaving the backed-up items only, each once" \
    showing "$scratch/items.diff" same_items "$work/b218" "$work/replaced-backup"

# Groups merged onto a handset that numbers its own first: the contacts follow them.
run regroup --model 218 create groups NAME=Neighbours
run regroup restore --merge --only groups,phonebook "Z:$work/b218"
check "a merge onto a handset with a group of its own restores" exits 0
run regroup backup "Z:$work/regroup-backup"
family=$(column_of "$work/regroup-backup" groups NAME Family suid)
check "a merged group gets a new number" test -n "$family" -a "$family" != "$(column_of "$work/b218" groups NAME Family suid)"
check "and its contacts name it by that number" \
    test "$(column_of "$work/regroup-backup" phonebook FIRST_NAME Minji GROUP_ID_0)" = "$family"
check "the handset's own group is kept" test -n "$(column_of "$work/regroup-backup" groups NAME Neighbours suid)"

# ---- A record the handset cannot give, and a handset that stops answering --------------
run damaged seed-demo
put_record damaged 1 2 0101  # contact 2 cut short
run damaged backup "Z:$work/damaged-backup"
check "a backup past a damaged contact exits 5" exits 5
check "naming it" contains "$err" "passed over contact 2, which could not be read"
check "and its manifest lists it" test "$(jq -c .passedOver "$work/damaged-backup/manifest.json")" = '["contact 2"]'
check "with every other contact" test "$(lines "$work/damaged-backup/items/phonebook.jsonl")" -eq 4
run damaged --sim-fault timeout@30 backup "Z:$work/timed-out"
check "a handset that stops answering fails the backup" exits 2
check "and leaves no folder, whole or partial" test -z "$(ls -d "$work"/timed-out* 2>/dev/null)"

finish
