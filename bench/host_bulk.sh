#!/usr/bin/env bash
# Times kelvra-sync's bulk operations on a fresh simulated KTM-A290: the import and export of 1,000 contacts and of 500 calendar entries
# (200 appointments and 100 anniversaries, tasks and memos each, what the model's
# stores hold) and a 5 MB file copied to the handset and back. Each line gives the wall
# time of the whole run of kelvra-sync, the requests and bytes of the packet stream
# (from --stats), the bytes a file copy moves besides, and the time all of them take on
# the wire at 115,200 baud and at USB full speed.
#   bench/host_bulk.sh          (after ./kelvra build)
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$root/build
# Builds what is missing, prepares Wine and registers both servers.
"$root/kelvra" sync models >/dev/null
export WINEPREFIX=$build/wineprefix WINEDEBUG=-all WINEARCH=win64 WINEDLLOVERRIDES="mscoree,mshtml="
wine64=/usr/lib/wine/wine64
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

contacts=1000
appointments=200 anniversaries=100 tasks=100 memos=100
file_bytes=$((5 * 1024 * 1024))

awk -v n=$contacts 'BEGIN {
    for (i = 0; i < n; ++i) {
        printf "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Family%d;Given%d;;;\r\nFN:Given%d Family%d\r\n", i, i, i, i
        printf "TEL;TYPE=CELL:010-%04d-%04d\r\nEMAIL;TYPE=INTERNET:person%d@example.org\r\nEND:VCARD\r\n", 1000 + i, i, i
    }
}' >"$work/contacts.vcf"

# Titles of one width, so that none is the start of another, on days of their own.
awk -v a=$appointments -v b=$anniversaries -v t=$tasks -v m=$memos '
function day(i) { return sprintf("2027%02d%02d", int(i / 28) % 12 + 1, i % 28 + 1) }
BEGIN {
    printf "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//kelvra bench//EN\r\n"
    for (i = 0; i < a; ++i)
        printf "BEGIN:VEVENT\r\nUID:a%d\r\nDTSTART:%sT093000\r\nDTEND:%sT103000\r\nSUMMARY:Meeting %03d\r\nCATEGORIES:APPOINTMENT\r\nEND:VEVENT\r\n", i, day(i), day(i), i
    for (i = 0; i < b; ++i)
        printf "BEGIN:VEVENT\r\nUID:b%d\r\nDTSTART;VALUE=DATE:%s\r\nSUMMARY:Birthday %03d\r\nCATEGORIES:ANNIVERSARY\r\nEND:VEVENT\r\n", i, day(i), i
    for (i = 0; i < t; ++i)
        printf "BEGIN:VTODO\r\nUID:t%d\r\nSUMMARY:Task %03d\r\nDUE:%sT170000\r\nPRIORITY:5\r\nEND:VTODO\r\n", i, i, day(i)
    for (i = 0; i < m; ++i)
        printf "BEGIN:VJOURNAL\r\nUID:m%d\r\nDESCRIPTION:Memo %03d: buy eggs\\, call Ada\r\nEND:VJOURNAL\r\n", i, i
    printf "END:VCALENDAR\r\n"
}' >"$work/calendar.ics"

head -c "$file_bytes" /dev/urandom >"$work/bulk.bin"
mkdir "$work/back"

# step LABEL FILE-BYTES ARGS...: one timed run of kelvra-sync on the bench's handset.
step() {
    local label=$1 copied=$2
    shift 2
    local start end code=0
    start=$(date +%s.%N)
    "$wine64" "$build/kelvra-sync.exe" --handset "Z:$work/handset" --model 211 --stats "$@" \
        >"$work/out" 2>"$work/err" || code=$?
    end=$(date +%s.%N)
    if [ "$code" -ne 0 ]; then
        echo "kelvra-sync $* failed with exit code $code:" >&2
        tr -d '\r' <"$work/err" >&2
        exit 1
    fi
    local requests bytes
    requests=$(tr -d '\r' <"$work/err" | sed -n 's/^kelvra-sync: \([0-9]*\) requests, .*/\1/p')
    bytes=$(tr -d '\r' <"$work/err" | sed -n 's/^kelvra-sync: [0-9]* requests, \([0-9]*\) bytes .*/\1/p')
    awk -v label="$label" -v s="$start" -v e="$end" -v r="${requests:-0}" -v b="${bytes:-0}" -v f="$copied" 'BEGIN {
        printf "%-32s %7.2f s  %6d requests  %11d packet bytes  %9d file bytes   wire %7.1f s @115200, %5.2f s @USB\n",
            label, e - s, r, b, f, (b + f) * 10 / 115200, (b + f) / 1e6
    }'
}

step "import-vcard $contacts contacts" 0 import-vcard "Z:$work/contacts.vcf"
step "export-vcard $contacts contacts" 0 export-vcard "Z:$work/contacts-back.vcf"
step "import-ics $((appointments + anniversaries + tasks + memos)) entries" 0 import-ics "Z:$work/calendar.ics"
step "export-ics $((appointments + anniversaries + tasks + memos)) entries" 0 export-ics "Z:$work/calendar-back.ics"
step "put a 5 MB file" "$file_bytes" put "Z:$work/bulk.bin" "/Other files"
step "get the 5 MB file" "$file_bytes" get "/Other files/bulk.bin" "Z:$work/back/bulk.bin"
cmp -s "$work/bulk.bin" "$work/back/bulk.bin" || { echo "the file came back changed" >&2; exit 1; }
exported=$(grep -c '^BEGIN:VCARD' "$work/contacts-back.vcf")
entries=$(grep -cE '^BEGIN:(VEVENT|VTODO|VJOURNAL)' "$work/calendar-back.ics")
echo "exported $exported contacts and $entries calendar entries, tasks and memos; the file came back whole"
[ "$exported" -eq "$contacts" ] && [ "$entries" -eq $((appointments + anniversaries + tasks + memos)) ]
