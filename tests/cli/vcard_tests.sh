#!/usr/bin/env bash
# vCard export and import through kelvra-sync: files as other programs write them, what
# a small model cannot keep, duplicates, full group stores and the round trip of our own
# export. Needs the registered servers.
set -u
source "$(dirname "$0")/testlib.sh"
vcards=$here/vcards

run windows import-vcard "Z:$vcards/windows-2.1.vcf"
check "a vCard 2.1 file with code pages imports" contains "$out" "imported 2 of 2 contacts"
check "and changes nothing" exits 0
run windows list phonebook
check "quoted-printable EUC-KR names arrive" contains "$out" "FIRST_NAME: 민지"
check "with the family name" contains "$out" "DISPLAY_NAME: 김민지"
check "a soft line break inside a character joins it" contains "$out" "NOTES: 서울 친구"
check "ISO-8859-1 names arrive" contains "$out" "DISPLAY_NAME: MüllerJürgen"

printf '\xEF\xBB\xBFBEGIN:VCARD\r\nVERSION:3.0\r\nN:Doe;Jane;;;\r\nTEL;TYPE=CELL:555 0101\r\nBDAY:19910412\r\nEND:VCARD\r\n' >"$work/bom.vcf"
run others import-vcard "Z:$work/bom.vcf"
check "a file with a byte-order mark imports" contains "$out" "imported 1 of 1 contacts"
run others import-vcard "Z:$vcards/formatted-name-only.vcf"
check "a contact with only FN imports" contains "$out" "imported 1 of 1 contacts"
run others list phonebook
check "named from the first line" contains "$out" "FIRST_NAME: Jane"
check "a basic-format birthday is read" contains "$out" "BIRTHDAY: 1991-04-12"
check "FN is the name when N is missing" contains "$out" "FIRST_NAME: Grace Hopper"
check "a birthday with a time is read" contains "$out" "BIRTHDAY: 1906-12-09"

run others import-vcard "Z:$work/bom.vcf"
check "the same contact again is not duplicated" contains "$out" "imported 0 of 1 contacts; 1 already on the handset"
check "and said so" contains "$err" "Jane Doe: not imported: the handset already holds it as SUID 1"
check "which is no loss" exits 0
run others import-vcard --duplicates "Z:$work/bom.vcf"
check "--duplicates imports it anyway" contains "$out" "imported 1 of 1 contacts"

printf 'BEGIN:VCARD\nVERSION:3.0\nN:Null;Ne\0d;;;\nTEL:555\nEND:VCARD\n' >"$work/zero-byte.vcf"
run others import-vcard "Z:$work/zero-byte.vcf"
check "a NUL byte does not hide the file" contains "$out" "imported 1 of 1 contacts"
check "it is taken out and said" contains "$err" "Ned Null: N on line 3: a NUL character was removed"
check "which is a change" exits 4
head -c 3000 /dev/urandom >"$work/garbage.vcf"
printf '\x00\x01\xff\xfe' >>"$work/garbage.vcf"
run others import-vcard "Z:$work/garbage.vcf"
check "binary garbage is no vCard file" exits 3
check "said plainly" contains "$err" "is not a vCard file"
check "without echoing its bytes" bash -c '! LC_ALL=C grep -q "[^[:print:][:space:]]" <<<"$1"' _ "$err"
run untouched import-vcard "Z:$work/garbage.vcf"
check "a file that is no vCard leaves the handset unopened" test ! -e "$work/untouched"
run untouched import-vcard "Z:$work/no-such-file.vcf"
check "so does a file that is not there" test ! -e "$work/untouched"
check "which is a file error" exits 3

run small --model 218 import-vcard "Z:$vcards/too-much-for-a110.vcf"
check "a file the small model cannot hold exits 4" exits 4
check "every contact still arrives" contains "$out" "imported 2 of 2 contacts"
check "a property with no place is named" contains "$err" "Chiamaka Okonkwo: ORG has no place on the handset"
check "a birthday without a year is named" contains "$err" 'Chiamaka Okonkwo: birthday "--0412" is not a date the handset can store'
check "a fourth number is named" contains "$err" 'Chiamaka Okonkwo: TEL_NUM_3 "02-555-6666" has no place on this model'
check "a cut note is named" contains "$err" 'Chiamaka Okonkwo: NOTES cut to 64 characters: "This note is a good deal longer than the sixty-four characters a"'
check "a contact that fits is not named" lacks "$err" "Dentist"

for n in 1 2 3 4 5 6 7 8 9 10; do
    printf 'BEGIN:VCARD\r\nVERSION:3.0\r\nN:Member%s;Club;;;\r\nTEL:555%04d\r\nCATEGORIES:Club %s\r\nEND:VCARD\r\n' "$n" "$n" "$n"
done >"$work/clubs.vcf"
run clubs import-vcard "Z:$work/clubs.vcf"
check "a full group store does not stop the contacts" contains "$out" "imported 10 of 10 contacts"
check "the contact without room for its group is named" contains "$err" 'Club Member10: imported without its group "Club 10": the handset has no room for another group'
check "which is a change" exits 4

# Our own export, imported into a new handset and exported again, is the same file.
run demo seed-demo
run demo export-vcard "Z:$work/first.vcf"
check "the export is a vCard file" grep -q "BEGIN:VCARD" "$work/first.vcf"
check "a web address is written as it is" grep -q "^URL:http://www.example.com" "$work/first.vcf"
run fresh import-vcard "Z:$work/first.vcf"
check "the import takes every contact" contains "$out" "imported 5 of 5 contacts"
check "and changes nothing" exits 0
run fresh export-vcard "Z:$work/second.vcf"
check "exported again, it is the same file" cmp -s "$work/first.vcf" "$work/second.vcf"

finish
