#!/usr/bin/env bash
# kelvra-bench at small sizes: a figure for every table and operation, in its printed
# lines and in its JSON file, with wire times that follow from the bytes; stores smaller
# than the size asked for stop at their limit.
#   bench_tests.sh KELVRA-BENCH.EXE
source "$(dirname "${BASH_SOURCE[0]}")/testlib.sh"

out=$(wine "$exe" --quick --json "Z:$work/figures.json" 2>"$work/stderr" | tr -d '\r')
code=$?
check "the quick run succeeds" exits 0
check "the quick run says nothing on stderr" [ ! -s "$work/stderr" ]
json=$(tr -d '\r' <"$work/figures.json" 2>/dev/null)

pairs=()
for table in contacts groups card card2 appointments anniversaries holidays important private events tasks memos; do
    for operation in create list update delete; do pairs+=("$table/$operation"); done
done
pairs+=(sms/list sms/send mms/fetch mms/send files/to-handset files/to-pc "bare exchange/read")

for pair in "${pairs[@]}"; do
    table=${pair%/*}
    operation=${pair#*/}
    check "JSON figures of $pair" contains "$json" "{\"table\": \"$table\", \"operation\": \"$operation\", \"model\": \"KTM-A"
    check "a printed line of $pair" grep -qE "^$table +$operation +n=3 .* @115200, .* @USB" <<<"$out"
done
check "nothing but those pairs" [ "$(grep -c '"table"' <<<"$json")" -eq "${#pairs[@]}" ]

# Every object holds every figure, and the wire times are the bytes at 10 bits a byte
# over 115,200 baud and at a byte a microsecond.
wire_ok=$(awk -F'[:,}]' '/"table"/ {
    for (i = 1; i < NF; ++i) { gsub(/[ "]/, "", $i); v[$i] = $(i + 1) + 0 }
    if (v["n"] != 3 || v["packetsPerRecord"] < 0 || v["microsecondsPerRecord"] <= 0) bad++
    if ((v["wireSeconds115200"] - v["bytesPerRecord"] * 10 / 115200) ^ 2 > 1e-10) bad++
    if ((v["wireSecondsUsb"] - v["bytesPerRecord"] / 1e6) ^ 2 > 1e-14) bad++
    seen++
} END { print (seen > 0 && bad == 0) ? "yes" : "no" }' <<<"$json")
check "every object's figures and wire times" [ "$wire_ok" = yes ]

# A contact create writes the record and reads it back: never less than twice a record.
create_bytes=$(grep -o '"table": "contacts", "operation": "create"[^}]*' <<<"$json" | grep -o '"bytesPerRecord": [0-9.]*' | grep -o '[0-9.]*$')
check "a contact create moves its record both ways" awk -v b="${create_bytes:-0}" 'BEGIN { exit !(b >= 2 * 2924) }'
# ... and, whatever the store holds, a count, a write and a read-back: 68 bytes more.
check "the create's bytes said against the record twice plus 68" contains "$out" "the record twice plus 68 B is 5,916 B"
check "and within it" contains "$out" "5,916 B (2,924-byte records): within it"

wine "$exe" --jsn "Z:$work/other.json" >/dev/null 2>"$work/stderr"
code=$?
check "an option it does not know is refused with the usage" exits 1
check "and the usage said" grep -q "usage: kelvra-bench" "$work/stderr"

# At 30 records the smaller stores stop at what they hold, and the lines say so.
out=$(wine "$exe" --quick 30 2>"$work/stderr" | tr -d '\r')
code=$?
check "a run at 30 records succeeds" exits 0
check "groups stop at the nine the handset lets a create take" grep -qE "^groups +create +n=9 .*\(the store holds 9\)$" <<<"$out"
check "events stop at their store's 20" grep -qE "^events +delete +n=20 .*\(the store holds 20\)$" <<<"$out"
check "contacts go to 30, with nothing said" grep -qE "^contacts +list +n=30 .*\[KTM-A290\]$" <<<"$out"

finish
