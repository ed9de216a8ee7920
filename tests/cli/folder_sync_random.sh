#!/usr/bin/env bash
# Random rounds of changes on both sides of sync-folder, on the KTM-A280 and the KTM-A110,
# for the phonebook and the calendar: creations, edits with values longer than the
# handset's fields, deletions, edits against deletions and conflicting edits. After each
# sync a dry run finds nothing to do and every file in step with its item, each item is
# on both sides once, nothing is gone that was not deleted, and conflicts are named.
# KELVRA_SYNC_SEED repeats a run. Needs the registered servers.
set -u
source "$(dirname "$0")/testlib.sh"
seed=${KELVRA_SYNC_SEED:-20261207}
RANDOM=$seed
echo "seed $seed (KELVRA_SYNC_SEED=$seed repeats this run)"
rounds=${KELVRA_SYNC_ROUNDS:-7}

unfolded() { tr -d '\r' <"$1" | sed -e ':a' -e '$!N;s/\n[ \t]//;ta' -e 'P;D'; }
# letters N: N random letters, some with a blank, from the run's seed.
letters() { awk -v n="$1" -v s="$RANDOM" 'BEGIN { srand(s); for (i = 0; i < n; i++) printf "%c", (rand() < 0.1) ? 32 : 97 + int(rand() * 26) }'; }
digits() { printf '010%04d%04d' $((RANDOM % 10000)) $((RANDOM % 10000)); }
pick() { local all=("$@"); echo "${all[RANDOM % ${#all[@]}]}"; }

# The token each item carries at the start of its name or title, on each side.
handset_tokens() {
    run "$h" list --json "$table"
    jq -r --arg c "$title" '.[][$c]' <<<"$out" | grep -o '^R[0-9]*-' | sort | tr '\n' ' '
}
folder_tokens() {
    local file
    for file in "$dir"/*."$ext"; do
        [ -e "$file" ] || continue
        unfolded "$file" | sed -n "s/^$line_pattern/\\1/p"
    done | sort | tr '\n' ' '
}
expected_tokens() { for t in "${!alive[@]}"; do echo "$t"; done | sort | tr '\n' ' '; }
suid_of() {
    run "$h" list --json "$table"
    jq -r --arg c "$title" --arg p "$1" '.[] | select((.[$c] // "") | startswith($p)) | .SUID' <<<"$out"
}
file_of() {
    local file
    for file in "$dir"/*."$ext"; do
        unfolded "$file" | grep -q "^$line_prefix$1" && echo "$file"
    done
}

# in_step: the dry run's output names no pair out of step; those it names are shown.
in_step() {
    lacks "$out$err" "out of step" && return 0
    grep -F "out of step with" <<<"$err" | head -3 | sed 's/^/    /'
    return 1
}

# Items of each side, as its people make them.
# took: the handset took the last change (said changes of the model's fields allowed).
took() { [ "$code" -eq 0 -o "$code" -eq 4 ] || { echo "FAILED: the handset refused: $err"; failed=$((failed + 1)); return 1; }; }
new_on_handset() {
    if [ "$table" = phonebook ]; then
        run "$h" create phonebook "FIRST_NAME=$1$(letters $((RANDOM % 40)))" "LAST_NAME=$(letters $((RANDOM % 30)))" \
            "TEL_NUM_0=$(digits)" "TEL_NUM_1=$(digits)"
    else
        local day=$((RANDOM % 28 + 1)) hour=$((RANDOM % 10 + 8))
        run "$h" create calendar "SUBJECT=$1$(letters $((RANDOM % 60)))" "START_DATE=2027-03-$day $hour:00" \
            "END_DATE=2027-03-$day $hour:45" "LOCATION=$(letters $((RANDOM % 40)))"
    fi
    took
}
new_file() {
    local file=$dir/new-$1.$ext
    if [ "$table" = phonebook ]; then
        {
            printf 'BEGIN:VCARD\nVERSION:3.0\nUID:%s\nFN:whoever\nN:%s;%s;;;\n' "$1" "$(letters 12)" "$1$(letters $((RANDOM % 50)))"
            for n in $(seq $((RANDOM % 5 + 1))); do printf 'TEL;TYPE=%s:%s\n' "$(pick CELL HOME WORK FAX)" "$(digits)"; done
            printf 'NOTE:%s\nORG:Other program\nX-RANDOM:%s\nEND:VCARD\n' "$(letters $((RANDOM % 300)))" "$1"
        } | sed 's/$/\r/' >"$file"
    else
        local day=$((RANDOM % 28 + 1)) hour=$((RANDOM % 10 + 10)) alarm=""
        [ $((RANDOM % 2)) -eq 0 ] && alarm='BEGIN:VALARM\nACTION:DISPLAY\nDESCRIPTION:x\nTRIGGER:-PT15M\nEND:VALARM\n'
        printf "BEGIN:VCALENDAR\nVERSION:2.0\nPRODID:-//Other//EN\nBEGIN:VEVENT\nUID:%s\nDTSTAMP:20270101T000000Z\nDTSTART:202704%02dT%02d0000\nDTEND:202704%02dT%02d3000\nSUMMARY:%s\nLOCATION:%s\nX-RANDOM:%s\n${alarm}END:VEVENT\nEND:VCALENDAR\n" \
            "$1" "$day" "$hour" "$day" "$hour" "$1$(letters $((RANDOM % 70)))" "$(letters $((RANDOM % 30)))" "$1" |
            sed 's/$/\r/' >"$file"
    fi
}
edit_on_handset() {
    local suid
    suid=$(suid_of "$1")
    if [ "$table" = phonebook ]; then
        run "$h" update phonebook "$suid" "$(pick "TEL_NUM_0=$(digits)" "LAST_NAME=$(letters $((RANDOM % 30)))" \
            "FIRST_NAME=$1$(letters $((RANDOM % 40)))")"
    else
        run "$h" update calendar "$suid" "$(pick "SUBJECT=$1$(letters $((RANDOM % 60)))" \
            "LOCATION=$(letters $((RANDOM % 40)))" "DETAIL=$(letters $((RANDOM % 80)))")"
    fi
    took
}
edit_file() {
    local file
    file=$(file_of "$1")
    if [ "$table" = phonebook ]; then
        # A changed first number, or a changed last name.
        if [ $((RANDOM % 2)) -eq 0 ]; then
            sed -i "0,/^TEL/s/^\(TEL[^:]*\):.*/\1:$(digits)\r/" "$file"
        else
            sed -i "s/^N:[^;]*;/N:$(letters 9);/" "$file"
        fi
    else
        sed -i "s/^SUMMARY:.*/SUMMARY:$1$(letters $((RANDOM % 60)))\r/" "$file"
    fi
}

for model in ${KELVRA_SYNC_MODELS:-202 218}; do
    for table in ${KELVRA_SYNC_TABLES:-phonebook calendar}; do
        h=r$model$table
        dir=$work/$h
        mkdir -p "$dir"
        if [ "$table" = phonebook ]; then
            ext=vcf title=FIRST_NAME line_pattern='N:[^;]*;\(R[0-9]*-\).*' line_prefix='N:[^;]*;'
        else
            ext=ics title=SUBJECT line_pattern='SUMMARY:\(R[0-9]*-\).*' line_prefix='SUMMARY:'
        fi
        run "$h" --model "$model" count "$table"  # the handset's model, kept in its folder
        unset alive
        declare -A alive=()
        next=1
        # Both sides start with items of their own.
        for n in 1 2 3 4; do
            new_on_handset "R$next-" && alive[R$next-]=1
            next=$((next + 1))
            new_file "R$next-" && alive[R$next-]=1
            next=$((next + 1))
        done
        run "$h" sync-folder "$table" "Z:$dir"
        check "$model $table: the first sync ($code)" test "$code" -eq 0 -o "$code" -eq 4
        for round in $(seq "$rounds"); do
            say="$model $table round $round"
            tokens=("${!alive[@]}")
            touched=()
            conflict=""
            deletions=0  # a few a round and of more than six, so that no sync deletes half a side
            # Deletions on the handset come last, so that no item made in the same round takes
            # a deleted one's place (and SUID): the scripted test covers that.
            deleted=()
            # Each token is touched once a round, but for the edit against a deletion and
            # the conflict, which touch both sides of one.
            take() {
                local t
                for t in $(printf '%s\n' "${tokens[@]}" | shuf --random-source=<(yes "$RANDOM")); do
                    if [[ " ${touched[*]} " != *" $t "* ]]; then
                        touched+=("$t")
                        echo "$t"
                        return
                    fi
                done
            }
            for op in $(seq $((RANDOM % 4 + 3))); do
                case $((RANDOM % 8)) in
                    0) new_on_handset "R$next-" && alive[R$next-]=1 && next=$((next + 1)) ;;
                    1) new_file "R$next-" && alive[R$next-]=1 && next=$((next + 1)) ;;
                    2) t=$(take) && [ -n "$t" ] && touched+=("$t") && edit_on_handset "$t" ;;
                    3) t=$(take) && [ -n "$t" ] && touched+=("$t") && edit_file "$t" ;;
                    4) [ $((deletions++)) -lt 2 -a ${#alive[@]} -gt 6 ] && t=$(take) && [ -n "$t" ] && touched+=("$t") && deleted+=("$t") && unset "alive[$t]" ;;
                    5) [ $((deletions++)) -lt 2 -a ${#alive[@]} -gt 6 ] && t=$(take) && [ -n "$t" ] && touched+=("$t") && rm "$(file_of "$t")" && unset "alive[$t]" ;;
                    6) # deleted on the handset, edited in the folder: the edit stays
                        t=$(take) && [ -n "$t" ] && touched+=("$t") && edit_file "$t" && deleted+=("$t") ;;
                    7) # edited on both sides: a conflict, named and left
                        if [ -z "$conflict" ]; then
                            t=$(take) && [ -n "$t" ] && touched+=("$t") && conflict=$t && edit_on_handset "$t" && edit_file "$t"
                        fi ;;
                esac
            done
            for t in "${deleted[@]}"; do run "$h" delete "$table" "$(suid_of "$t")" && took; done
            run "$h" sync-folder "$table" "Z:$dir"
            [ -n "${KELVRA_SYNC_TRACE:-}" ] && echo "== $say: ${touched[*]} conflict=$conflict alive=$(expected_tokens)" && echo "$out" && echo "$err"
            if [ -n "$conflict" ]; then
                check "$say: the conflicting edit of $conflict is named ($code)" contains "$err" "conflict: "
                check "$say: exit 6 with a conflict" exits 6
                run "$h" sync-folder --prefer "$(pick handset folder)" "$table" "Z:$dir"
            fi
            check "$say: synced ($code)" test "$code" -eq 0 -o "$code" -eq 4
            run "$h" sync-folder --dry-run "$table" "Z:$dir"
            check "$say: a second sync would change nothing" contains "$out" \
                "0 created, 0 updated, 0 deleted on the handset; 0 created, 0 updated, 0 deleted in the folder"
            check "$say: every file in step with its item" in_step
            want=$(expected_tokens)
            check "$say: the handset holds each item once, none lost" test "$(handset_tokens)" = "$want"
            check "$say: the folder holds each item once, none lost" test "$(folder_tokens)" = "$want"
            check "$say: files of the other program keep what the handset does not hold" \
                test "$(grep -l "^X-RANDOM:" "$dir"/new-*."$ext" 2>/dev/null | wc -l)" -eq "$(ls "$dir"/new-*."$ext" 2>/dev/null | wc -l)"
        done
    done
done
finish
