#!/usr/bin/env bash
# Drives kelvra-sync as a person would: list, create, update, delete, vCard export and
# import, and the failures a person can run into. Needs the registered servers.
set -u
exe=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
passed=0
failed=0

sync() { wine "$exe" --handset "Z:$work/handset" "$@" 2>"$work/stderr"; }
check() {  # check NAME CONDITION...
    local name=$1
    shift
    if "$@"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAILED: $name"; fi
}
contains() { grep -qF -- "$2" <<<"$1"; }

out=$(sync seed-demo)
check "seeding reports what it made" contains "$out" "3 groups, 5 contacts, 2 card entries"
out=$(sync seed-demo)
check "a second run finds the handset as it was" contains "$out" "already holds 8 phonebook items"

out=$(sync list phonebook)
check "contacts are listed" contains "$out" "FIRST_NAME: Ada"
check "numbers are listed cleaned" contains "$out" "TEL_NUM_0: +442079460000"
out=$(sync --json list card)
check "card entries as JSON" contains "$out" '"DISPLAY_NAME": "Mum"'
check "the handset has groups" contains "$(sync list groups)" "NAME: Friends"

out=$(sync create phonebook FIRST_NAME=Grace TEL_NUM_0=555-0101 TEL_TYPE_0=Mobile.Business)
check "create prints the new SUID" contains "$out" "created SUID 6"
check "count sees it" contains "$(sync count phonebook)" "9"
out=$(sync update phonebook 6 NOTES=Admiral)
check "update by SUID" contains "$out" "updated SUID 6"
check "the change is stored" contains "$(sync list phonebook)" "NOTES: Admiral"
check "delete by SUID" contains "$(sync delete phonebook 6)" "deleted SUID 6"
check "the contact is gone" test "$(sync count phonebook | tr -d '\r')" = "8"
check "a card entry is created" contains "$(sync create card DISPLAY_NAME=Office TEL_NUM_0=02-000-1111)" "created SUID 3"

sync export-vcard "Z:$work/first.vcf" >/dev/null
check "the export is a vCard file" grep -q "BEGIN:VCARD" "$work/first.vcf"
wine "$exe" --handset "Z:$work/other" import-vcard "Z:$work/first.vcf" >"$work/import.txt" 2>&1
check "import creates every contact" grep -q "imported 5 contacts" "$work/import.txt"
wine "$exe" --handset "Z:$work/other" export-vcard "Z:$work/second.vcf" >/dev/null 2>&1
check "the imported file recreates the same entries" cmp -s "$work/first.vcf" "$work/second.vcf"

sync list nosuchtable >/dev/null
code=$?
check "an unknown table fails with exit code 1" test "$code" -eq 1
check "and says so" grep -q 'unknown table "nosuchtable"' "$work/stderr"
sync create phonebook NOT_A_COLUMN=1 >/dev/null
code=$?
check "a bad column fails with exit code 1" test "$code" -eq 1
sync update phonebook twelve NOTES=x >/dev/null
code=$?
check "a bad SUID fails with exit code 1" test "$code" -eq 1
sync --sim-fault timeout list phonebook >/dev/null
code=$?
check "a handset that times out fails with exit code 2" test "$code" -eq 2
check "with the HRESULT and the reason" grep -q "0x800705B4.*did not answer" <(tr -d '\r\n' <"$work/stderr")

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
