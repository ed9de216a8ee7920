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
models="202 203 208 210 211 212 218"

state_of() { md5sum <"$work/$1/handset.txt"; }  # state_of HANDSET: its whole state
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
for model in $models; do
    fill "m$model" "$model"
    check "$model: every item of the fill is made as given" test $? -eq 0
    run "m$model" backup "Z:$work/b$model"
    check "$model: the handset is backed up" exits 0
    check "$model: with its manifest" test -s "$work/b$model/manifest.json" -a -s "$work/b$model/manifest.json.sha256"
    check "$model: leaving no part folder" test -z "$(ls -d "$work/b$model".partial-* 2>/dev/null)"
    check "$model: the backup holds every item made" diff <(made_counts "m$model") <(item_counts "$work/b$model")
    run "r$model" --model "$model" restore "Z:$work/b$model"
    echo "$out" >"$work/restore-$model.out"
    echo "$err" >"$work/restore-$model.err"
    check "$model: it is restored onto a new handset" exits 0
    check "$model: saying each item it creates" test "$(grep -c '^created SUID' "$work/restore-$model.out")" -eq \
        "$(lines "$work/fill-m$model.tables")"
    check "$model: and that messages are not sent" grep -qi "sms" "$work/restore-$model.err"
    run "r$model" backup "Z:$work/c$model"
    check "$model: the restored handset holds the same items" same_items "$work/b$model" "$work/c$model" ||
        head -20 "$work/items.diff"
    check "$model: the same records, places aside" same_records "$work/m$model" "$work/r$model" ||
        cut -c1-120 "$work/records.diff" | head -20
    check "$model: and the same files" same_files "$work/b$model" "$work/c$model"
    check "$model: also on the handset" same_files "$work/m$model" "$work/r$model" || head "$work/files.diff"
done
check "the fill has pictures and sounds to back up" test -s "$work/b211/files/card/Music/tune.mp3"
check "and a contact picture" grep -q '"picture"' "$work/b211/items/phonebook.jsonl"

# The comparisons see a change: one changed byte of a kept record, a changed column.
cp -r "$work/r211" "$work/changed"
sed -i '/^record 4 1 /s/\(record 4 1 .\{12\}\)./\1F/' "$work/changed/handset.txt"
check "a changed record differs" ! same_records "$work/r211" "$work/changed"
mkdir -p "$work/changed-backup"
cp -r "$work/c211/." "$work/changed-backup"
sed -i '1s/"Kim"/"Kin"/' "$work/changed-backup/items/phonebook.jsonl"
check "a changed column differs" ! same_items "$work/c211" "$work/changed-backup"

# ---- A restore killed after some items, run again with --merge --------------------------
"$wine" "$exe" --handset "Z:$work/killed" --model 211 restore "Z:$work/b211" >"$work/killed.out" 2>/dev/null &
pid=$!
while kill -0 "$pid" 2>/dev/null && [ "$(grep -c '^created SUID' "$work/killed.out")" -lt 12 ]; do sleep 0.02; done
kill -9 "$pid" 2>/dev/null
wait "$pid" 2>/dev/null
told=$(grep -c '^created SUID' "$work/killed.out")
check "the restore was killed in the middle ($told items)" test "$told" -ge 12 -a "$told" -lt "$(lines "$work/fill-m211.tables")"
run killed restore "Z:$work/b211"
check "run again, the restore refuses a handset that holds items" exits 1
run killed restore --merge "Z:$work/b211"
check "with --merge it restores the rest" exits 0
check "creating only what the killed run had not" test "$(grep -c '^created SUID' <<<"$out")" -le \
    $(($(lines "$work/fill-m211.tables") - told))
run killed backup "Z:$work/killed-backup"
check "then the handset holds each backed-up item once" same_items "$work/b211" "$work/killed-backup" ||
    head -20 "$work/items.diff"
check "with the same records" same_records "$work/m211" "$work/killed" || cut -c1-120 "$work/records.diff" | head
check "and files" same_files "$work/b211" "$work/killed-backup"

# ---- A changed backup fails verify and restore; a handset that holds items ---------------
run m211 verify "Z:$work/b211"
check "a whole backup verifies" exits 0
for changed in items/memos.jsonl files/card/Music/tune.mp3 manifest.json; do
    rm -rf "$work/spoilt"
    cp -r "$work/b211" "$work/spoilt"
    printf 'x' | dd of="$work/spoilt/$changed" bs=1 seek=20 conv=notrunc 2>/dev/null
    run m211 verify "Z:$work/spoilt"
    check "$changed changed: verify fails" exits 3
    check "$changed changed: naming it" contains "$out$err" "$changed"
    before=$(state_of r211)
    run r211 restore --replace "Z:$work/spoilt"
    check "$changed changed: restore refuses it" exits 3
    check "$changed changed: changing nothing" test "$(state_of r211)" = "$before"
done
before=$(state_of r211)
run r211 restore "Z:$work/b211"
check "a restore onto a handset that holds items needs --merge or --replace" exits 1
check "and says so" contains "$err" "--merge"
check "changing nothing" test "$(state_of r211)" = "$before"

# ---- Onto a smaller model ----------------------------------------------------------------
run small --model 218 restore "Z:$work/b211"
check "a KTM-A290 backup onto a KTM-A110: what it cannot hold is said" exits 4
check "the tasks" contains "$err" "File the taxes"
check "a number beyond its three" contains "$err" "TEL_NUM_3"
check "a name longer than its field" contains "$err" "Konstantina"
check "a memo longer than its field" contains "$err" "Winter tyres"
check "the picture" contains "$err" "Face"
run small backup "Z:$work/small-backup"
check "the rest is restored" test "$(table_items "$work/small-backup" calendar | grep -c .)" -eq \
    "$(table_items "$work/b211" calendar | grep -c .)"
check "contacts too" test "$(table_items "$work/small-backup" phonebook | grep -c .)" -eq \
    "$(table_items "$work/b211" phonebook | grep -c .)"

# ---- --dry-run and --only ----------------------------------------------------------------
before=$(state_of r211)
run r211 restore --dry-run --replace "Z:$work/b211"
check "--dry-run says per table what it would do" contains "$out" "calendar:"
check "and that it changed nothing" contains "$out" "nothing was changed"
check "--dry-run changes nothing" test "$(state_of r211)" = "$before"
run only --model 211 restore --only memos,tasks "Z:$work/b211"
check "--only restores" exits 0
run only backup "Z:$work/only-backup"
check "--only restores the tables named" diff <(item_counts "$work/only-backup") \
    <(item_counts "$work/b211" | grep -E '^(memos|tasks) ')

# Groups merged onto a handset that numbers its own first: the contacts follow them.
run regroup --model 211 create groups NAME=Neighbours
run regroup restore --merge --only groups,phonebook "Z:$work/b211"
check "a merge onto a handset with a group of its own restores" exits 0
run regroup backup "Z:$work/regroup-backup"
family=$(column_of "$work/regroup-backup" groups NAME Family suid)
check "the group gets a new number" test -n "$family" -a "$family" != "$(column_of "$work/b211" groups NAME Family suid)"
check "and its contacts name it by that number" test "$(column_of "$work/regroup-backup" phonebook FIRST_NAME Minji GROUP_ID_0)" = "$family"
check "and the handset's own group is kept" test -n "$(column_of "$work/regroup-backup" groups NAME Neighbours suid)"

finish
