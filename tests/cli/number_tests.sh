#!/usr/bin/env bash
# Numbers and card phonebooks through kelvra-sync: a number the handset would store as
# another number is refused before anything is written, an extension becomes a pause,
# vCard number types without an equivalent are said, and the cards take part in vCard
# export and import with their limits. Needs the registered servers.
set -u
source "$(dirname "$0")/testlib.sh"

# Numbers on create and update.
run pb create phonebook FIRST_NAME=Ann "TEL_NUM_0=+1 415 555 0100 ext. 12"
check "an extension is written" contains "$out" "created SUID 1"
check "after a pause, and said" contains "$err" 'SUID 1: TEL_NUM_0 "+1 415 555 0100 ext. 12" is stored as "+14155550100P12": the extension is dialled after the pause P'
check "which is a change" exits 4
run pb update phonebook 1 TEL_NUM_0=0800-FLOWERS
check "a number with letters is refused" exits 1
check "saying what the handset would have kept" contains "$err" 'kelvra-sync: TEL_NUM_0 "0800-FLOWERS" holds characters that are no part of a number: the handset dials digits, a leading "+", "*", "#" and the pauses P and T, and would store "0800"; nothing was written'
run pb create phonebook FIRST_NAME=Bo TEL_NUM_0=12345678901234567890123456789012345678901
check "a number longer than the field is refused" exits 1
check "and not cut" contains "$err" 'is longer than the handset keeps: it would store "1234567890123456789012345678901234567890"'
run pb list phonebook
check "the refused update left the number as it was" contains "$out" "TEL_NUM_0: +14155550100P12"
check "the refused create made nothing" lacks "$out" "FIRST_NAME: Bo"
run pb create card DISPLAY_NAME=Taxi "TEL_NUM_0=1588 0000 t 5"
check "the card keeps no timed pause" contains "$err" 'SUID 1: TEL_NUM_0 "1588 0000 t 5" is stored as "15880000P5": the handset keeps no pause T and waits at P instead'
run pb update card 1 TEL_NUM_0=1588-TAXI
check "a card number with letters is refused too" exits 1
run pb list card
check "and the card entry keeps its number" contains "$out" "TEL_NUM_0: 15880000P5"

# Numbers and their types on import: a refused contact is named, the others go on.
printf '%s\r\n' BEGIN:VCARD VERSION:3.0 'N:Ext;Eve;;;' 'TEL;TYPE=WORK:+1 (415) 555-0100 x 77' END:VCARD \
    BEGIN:VCARD VERSION:3.0 'N:Words;Will;;;' 'TEL;TYPE=HOME:1-800-FLOWERS' END:VCARD \
    BEGIN:VCARD VERSION:3.0 'N:Pager;Pat;;;' 'TEL;TYPE=PAGER:555 0102' 'TEL;TYPE=MAIN:555 0103' \
    'TEL;TYPE=x-assistant,work:555 0104' 'TEL;TYPE=CELL,PREF:555 0105' END:VCARD >"$work/numbers.vcf"
run imp import-vcard "Z:$work/numbers.vcf"
check "the contacts whose numbers can be kept arrive" contains "$out" "imported 2 of 3 contacts"
check "the one whose number cannot is named" contains "$err" 'Will Words: not imported: TEL_NUM_0 "1-800-FLOWERS" holds characters that are no part of a number'
check "an extension on import is said" contains "$err" 'Eve Ext: TEL_NUM_0 "+1 (415) 555-0100 x 77" is stored as "+14155550100P77": the extension is dialled after the pause P'
check "a pager is said" contains "$err" 'Pat Pager: TEL_TYPE_0 "PAGER" has no equivalent on the handset; stored as "Landline.Private"'
check "a main number is said" contains "$err" 'Pat Pager: TEL_TYPE_1 "MAIN" has no equivalent on the handset; stored as "Landline.Private"'
check "an X- type is said" contains "$err" 'Pat Pager: TEL_TYPE_2 "X-ASSISTANT" has no equivalent on the handset; stored as "Landline.Business"'
check "a preferred mobile is no change" lacks "$err" "TEL_TYPE_3"
check "which is a change" exits 4
run imp list phonebook
check "the extension is stored as a pause" contains "$out" "TEL_NUM_0: +14155550100P77"
check "the refused contact is not written" lacks "$out" "Will"
run imp import-vcard "Z:$work/numbers.vcf"
check "a number with an extension is found again as a duplicate" contains "$out" "imported 0 of 3 contacts; 2 already on the handset"

# Card phonebooks.
run cards list --card 1 card
check "--card goes with the vCard commands and send-sms only" exits 1
check "said" contains "$err" "--card goes with send-sms, export-vcard and import-vcard only"
printf '%s\r\n' BEGIN:VCARD VERSION:3.0 'N:Doe;Jane;;;' 'FN:Jane Doe' 'TEL;TYPE=CELL:555-0101' \
    'TEL;TYPE=HOME:555-0102' 'EMAIL:jane@example.com' 'NOTE:Neighbour' END:VCARD \
    BEGIN:VCARD VERSION:3.0 'FN:Bartholomew Fitzgerald' 'TEL:+44 20 7946 0000' END:VCARD \
    BEGIN:VCARD VERSION:3.0 'FN:Nobody Numberless' 'EMAIL:n@example.com' END:VCARD \
    BEGIN:VCARD VERSION:3.0 'FN:Letter Box' 'TEL:555-MAIL' END:VCARD >"$work/card.vcf"
run cards import-vcard --card 2 "Z:$work/card.vcf"
check "contacts with a number go to the card" contains "$out" "imported 2 of 4 contacts"
check "the card's limits are said" contains "$out" "card 2 holds 2 of 250 entries; an entry keeps a name of 16 characters and one number of 32 digits"
check "a second number is said" contains "$err" 'Jane Doe: TEL_NUM_1 "555-0102" has no place on the card'
check "an e-mail is said" contains "$err" 'Jane Doe: EMAIL_ADDR_0 "jane@example.com" has no place on the card'
check "a note is said" contains "$err" 'Jane Doe: NOTES "Neighbour" has no place on the card'
check "a name cut to the card is said" contains "$err" 'Bartholomew Fitzgerald: DISPLAY_NAME cut to 16 characters: "Bartholomew Fitz"'
check "a contact without a number is named" contains "$err" "Nobody Numberless: not imported: a card entry needs a number"
check "a number with letters is refused on the card" contains "$err" 'Letter Box: not imported: TEL_NUM_0 "555-MAIL" holds characters that are no part of a number: the handset dials digits, a leading "+", "*", "#" and the pause P, and would store "555"'
check "which is a change" exits 4
run cards list card
check "the first card is left alone" lacks "$out" "Jane"
run cards list card2
check "the entry holds the contact's name" contains "$out" "DISPLAY_NAME: Jane Doe"
check "and its first number" contains "$out" "TEL_NUM_0: 5550101"
run cards import-vcard --card 2 "Z:$work/card.vcf"
check "the card's entries count as duplicates" contains "$out" "imported 0 of 4 contacts; 2 already on the handset"
check "named by their SUID" contains "$err" "Bartholomew Fitzgerald: not imported: the handset already holds it as SUID 2"
run cards export-vcard --card 2 "Z:$work/card2.vcf"
check "the export names the card" contains "$out" "exported 2 entries of card 2 to"
check "with its limits" contains "$out" "card 2 holds 2 of 250 entries"
printf '%s\r\n' BEGIN:VCARD VERSION:3.0 'N:;Jane Doe;;;' 'FN:Jane Doe' 'TEL;TYPE=VOICE:5550101' END:VCARD \
    BEGIN:VCARD VERSION:3.0 'N:;Bartholomew Fitz;;;' 'FN:Bartholomew Fitz' 'TEL;TYPE=VOICE:+442079460000' \
    END:VCARD >"$work/card2-expected.vcf"
check "each entry is a name and a number" cmp -s "$work/card2-expected.vcf" "$work/card2.vcf"
run cards import-vcard --card 1 "Z:$work/card2.vcf"
check "a card's export fills the other card unchanged" contains "$out" "imported 2 of 2 contacts"
check "with nothing to say" exits 0

finish
