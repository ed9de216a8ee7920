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
check "a fourth number is named" contains "$err" 'Chiamaka Okonkwo: TEL_NUM_3 "025556666" has no place on this model'
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

# ---- Names in the person's order, pictures, hostile files ----

# KTM-A280 makes its full name last name first with no blank; the file gets the name as
# the person writes it, given name first for Latin names, family name first for Hangul.
printf 'BEGIN:VCARD\r\nVERSION:3.0\r\nN:M\xc3\xbcller;Zo\xc3\xab;;Dr.;\r\nFN:Dr. Zo\xc3\xab M\xc3\xbcller\r\nEND:VCARD\r\n' >"$work/names.vcf"
printf 'BEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=UTF-8:\xea\xb9\x80;\xeb\xaf\xbc\xec\xa7\x80\r\nEND:VCARD\r\n' >>"$work/names.vcf"
run names import-vcard "Z:$work/names.vcf"
check "the prefix the model has no field for is said" contains "$err" 'Dr. Zoë Müller: the name'\''s "Dr." (middle name, prefix or suffix) has no place on the handset'
run names create phonebook FIRST_NAME=Grace LAST_NAME=Hopper
run names export-vcard "Z:$work/names-out.vcf"
check "a Latin name comes back given name first" grep -q $'^N:Müller;Zoë;;;\r$' "$work/names-out.vcf"
check "with a blank" grep -q $'^FN:Zoë Müller\r$' "$work/names-out.vcf"
check "so does a name made on the handset" grep -q $'^FN:Grace Hopper\r$' "$work/names-out.vcf"
check "a Hangul name comes back family name first, no blank" grep -q $'^FN:김민지\r$' "$work/names-out.vcf"

# A 1x1 bitmap, byte by byte: file header, info header, one pixel and its padding.
printf 'BM\x3a\0\0\0\0\0\0\0\x36\0\0\0\x28\0\0\0\1\0\0\0\1\0\0\0\1\0\x18\0\0\0\0\0\4\0\0\0\x13\x0b\0\0\x13\x0b\0\0\0\0\0\0\0\0\0\0\0\0\xff\0' >"$work/face.bmp"
printf 'BEGIN:VCARD\r\nVERSION:3.0\r\nN:Face;Ann;;;\r\nPHOTO;ENCODING=b;TYPE=BMP:%s\r\nEND:VCARD\r\n' "$(base64 -w0 "$work/face.bmp")" >"$work/photo.vcf"
run pictures --model 211 import-vcard "Z:$work/photo.vcf"
check "a picture imports into a model that keeps pictures" exits 0
run pictures export-vcard "Z:$work/photo-out.vcf"
check "and is exported inline" grep -q '^PHOTO;ENCODING=b;TYPE=BMP:' "$work/photo-out.vcf"
sed -n '/^PHOTO/,/^[A-Z]/p' "$work/photo-out.vcf" | tr -d '\r' | sed '$d' | sed 's/^PHOTO[^:]*://; s/^ //' | tr -d '\n' | base64 -d >"$work/photo-out.bmp"
check "with the same bytes" cmp -s "$work/face.bmp" "$work/photo-out.bmp"
run nopictures import-vcard "Z:$work/photo.vcf"
check "a model without pictures says it per contact" contains "$err" "Ann Face: its picture has no place on this model"
check "which is a change" exits 4
printf 'BEGIN:VCARD\r\nVERSION:4.0\r\nN:Broken;Bea;;;\r\nPHOTO:data:image/bmp;base64,%s\r\nEND:VCARD\r\n' "$(printf 'BM and no picture at all' | base64 -w0)" >"$work/broken-photo.vcf"
run pictures import-vcard "Z:$work/broken-photo.vcf"
check "a picture the handset cannot show is said" contains "$err" "Bea Broken: its picture was not kept: the handset cannot show it"
check "and is a change" exits 4

# A stray soft break before END:VCARD, a vCard inside a vCard, 2.1 folding.
printf 'BEGIN:VCARD\r\nVERSION:2.1\r\nFN:Jane Doe\r\nNOTE;ENCODING=QUOTED-PRINTABLE:caf=C3=A9=\r\nEND:VCARD\r\n' >"$work/hostile.vcf"
printf 'BEGIN:VCARD\r\nVERSION:2.1\r\nN:Outer;Olga\r\nAGENT:\r\nBEGIN:VCARD\r\nN:Agent;Al\r\nEND:VCARD\r\nTEL:5550199\r\nNOTE:two\r\n words\r\nEND:VCARD\r\n' >>"$work/hostile.vcf"
run hostile import-vcard "Z:$work/hostile.vcf"
check "two contacts, neither lost" contains "$out" "imported 2 of 2 contacts"
run hostile list phonebook
check "a stray soft break leaves the name" contains "$out" "FIRST_NAME: Jane Doe"
check "and does not take in the end of the vCard" lacks "$out" "END:VCARD"
check "the outer contact keeps what follows an inner vCard" contains "$out" "TEL_NUM_0: 5550199"
check "a 2.1 folded line keeps its blank" contains "$out" "NOTES: two words"
check "an agent's vCard is no contact" lacks "$out" "Agent"

printf 'BEGIN:VCARD\r\nVERSION:3.0\r\nN:Esc\x1b[2Jape;Bel\x07l;;;\r\nORG:x\r\nEND:VCARD\r\n' >"$work/controls.vcf"
run controls import-vcard "Z:$work/controls.vcf"
check "control characters from the file are shown escaped" contains "$err" 'Bel\x07l Esc\x1B[2Jape: ORG has no place on the handset'
check "never raw on stderr" bash -c '! LC_ALL=C grep -q "[[:cntrl:]]" <<<"$1"' _ "$err"
check "nor on stdout" bash -c '! LC_ALL=C grep -q "[[:cntrl:]]" <<<"$1"' _ "$out"

printf 'BEGIN:VCALENDAR\r\nVERSION:2.0\r\nBEGIN:VEVENT\r\nSUMMARY:Ring\x07ing\r\nDTSTART:20261208T093000\r\nATTENDEE:x\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n' >"$work/controls.ics"
run controls import-ics "Z:$work/controls.ics"
check "so are those of an iCalendar file" contains "$err" 'Ring\x07ing'
check "never raw there either" bash -c '! LC_ALL=C grep -q "[[:cntrl:]]" <<<"$1$2"' _ "$err" "$out"

truncate -s 65M "$work/huge.vcf"
run untouched import-vcard "Z:$work/huge.vcf"
check "a file above the size limit is refused" contains "$err" "is larger than the 64 MB this command reads"
check "as a file error" exits 3
check "before the handset opens" test ! -e "$work/untouched"

# "Al Smith 0101" fills none of its fields, so it is not a cut "Alice Smithson".
printf 'BEGIN:VCARD\r\nVERSION:3.0\r\nN:Smith;Al;;;\r\nTEL:0101\r\nEND:VCARD\r\n' >"$work/al.vcf"
printf 'BEGIN:VCARD\r\nVERSION:3.0\r\nN:Smithson;Alice;;;\r\nTEL:01012345678\r\nEND:VCARD\r\n' >"$work/alice.vcf"
run prefixes import-vcard "Z:$work/al.vcf"
run prefixes import-vcard "Z:$work/alice.vcf"
check "a longer name and number starting the same is another contact" contains "$out" "imported 1 of 1 contacts"

finish
