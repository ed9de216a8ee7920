# Comparisons of handsets and backups for the backup test, sourced after testlib.sh. What
# a comparison found is written into $scratch, the folder of the runs of one test lane.
scratch=$work
#
# A restored item may land at another place than the one it was backed up from, so
# records are compared per store as a sorted list of their bytes, without their index.
# Records that hold their own place in their bytes have those bytes masked, and only
# those: the contact's table address (a 16-bit word whose offset follows the model's
# contact layout), the 32-bit index word that opens every calendar record (stores 3
# appointments, 6 events, 7 anniversaries, 40 important, 41 private, 42 holidays), and
# the 16-bit index word that opens tasks (5), memos (4) and card entries (13, 14).
# Groups (2) hold no index. Messages are no part of it: a restore never sends them.
kept_stores="1 2 3 4 5 6 7 13 14 40 41 42"

# The byte at which the model's contact record keeps its own index (TblAddr).
contact_index_offset() {
    case $1 in
    202 | 203) echo 371 ;;
    208) echo 527 ;;
    210 | 211 | 212) echo 399 ;;
    218) echo 403 ;;
    esac
}

# stored_records FOLDER: "STORE HEX" lines of the kept stores, index bytes masked, sorted.
stored_records() {
    local state=$1/handset.txt model
    model=$(sed -n 's/^model //p' "$state")
    awk -v contact="$(contact_index_offset "$model")" -v kept=" $kept_stores " '
        function mask(hex, at, width,    dashes) {
            dashes = substr("--------", 1, width * 2)
            return substr(hex, 1, at * 2) dashes substr(hex, at * 2 + width * 2 + 1)
        }
        $1 == "record" && index(kept, " " $2 " ") {
            hex = $4
            if ($2 == 1) hex = mask(hex, contact, 2)
            else if ($2 == 4 || $2 == 5 || $2 == 13 || $2 == 14) hex = mask(hex, 0, 2)
            else if ($2 != 2) hex = mask(hex, 0, 4)
            print $2, hex
        }' "$state" | sort
}

# same_records FOLDER FOLDER: both handsets keep the same records, places aside. On a
# difference $scratch/records.diff says per store how many records differ and where the
# first pair of them parts.
same_records() {
    diff <(stored_records "$1") <(stored_records "$2") >"$scratch/records.full-diff" && return 0
    awk '$1 == "<" { first[$2] = first[$2] ? first[$2] : $3; gone[$2]++ }
         $1 == ">" { second[$2] = second[$2] ? second[$2] : $3; came[$2]++ }
         END {
             for (store in gone) {
                 a = first[store]; b = second[store]
                 for (at = 1; at <= length(a) && substr(a, at, 2) == substr(b, at, 2); at += 2) {}
                 printf "store %s: %d records differ, the first at byte %d (%s against %s)\n", store,
                     gone[store], (at - 1) / 2, substr(a, at, 16), substr(b, at, 16)
             }
             for (store in came) if (!(store in gone)) printf "store %s: %d records only in the second\n", store, came[store]
         }' "$scratch/records.full-diff" >"$scratch/records.diff"
    return 1
}

# backed_up_items DIR: every items/*.jsonl line but those of messages, without its SUID,
# its columns in one order, sorted.
backed_up_items() {
    local file
    for file in "$1"/items/*.jsonl; do
        case ${file##*/} in sms.jsonl | mms.jsonl) continue ;; esac
        jq -cS --arg table "${file##*/}" \
            '{table: $table} + del(.suid) | .columns |= (map(select(.name != "SUID")) | sort_by(.name))' "$file"
    done | sort
}

# same_items DIR DIR: two backups hold the same items, SUIDs aside.
same_items() {
    diff <(backed_up_items "$1") <(backed_up_items "$2") >"$scratch/items.diff"
}

# same_files DIR DIR: the two trees (of backups or of handset folders) hold the same files.
same_files() {
    diff -r "$1/files" "$2/files" >"$scratch/files.diff"
}
