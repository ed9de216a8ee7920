#!/usr/bin/env bash
# Drives kelvra-sync as a person would: help, models, list, count, create, update,
# delete, and the failures a person can run into. Needs the registered servers.
set -u
source "$(dirname "$0")/testlib.sh"

# Help needs nothing: not even a handset that answers.
for help in --help -h help; do
    run unused --sim-fault timeout "$help"
    check "$help exits 0" exits 0
    check "$help prints the usage" contains "$out" "usage: kelvra-sync"
    check "$help says the exit codes" contains "$out" "4 done, but the"
    check "$help says the one for records passed over" contains "$out" "5 done with every"
done
check "help opens no handset" test ! -e "$work/unused"

run unused models
check "models lists the built-in models" contains "$out" "202  KTM-A280"
check "models lists the small one" contains "$out" "218  KTM-A110"
check "models lists seven" test "$(wc -l <<<"$out")" -eq 7
run unused --model 999 list phonebook
check "an unknown model is refused" exits 1
check "naming the models there are" contains "$err" "there is no built-in model 999; the models are 202 (KTM-A280)"
run unused --model 2O2 list phonebook
check "a model that is no number is refused" exits 1
run unused lsit phonebook
check "a mistyped command is a usage error" exits 1
check "that says so" contains "$err" 'unknown command "lsit"'
check "and shows the usage" contains "$err" "usage: kelvra-sync"
check "nothing is created on disk for it" test ! -e "$work/unused"

run phone seed-demo
check "seeding reports what it made" contains "$out" "3 groups, 5 contacts, 2 card entries"
run phone seed-demo
check "a second run finds the handset as it was" contains "$out" "already holds 8 phonebook items"

run phone count phonebook
check "count phonebook counts the contacts only" test "$out" = 5
run phone count groups
check "count groups counts the groups only" test "$out" = 3
run phone list groups
check "the group listing holds the groups" contains "$out" "NAME: Friends"
check "and no contact" lacks "$out" "FIRST_NAME"

run phone list phonebook
check "contacts are listed" contains "$out" "FIRST_NAME: Ada"
check "numbers are listed cleaned" contains "$out" "TEL_NUM_0: +442079460000"
check "the number count is the numbers present" contains "$(grep -A4 'SUID 1$' <<<"$out")" "TEL_COUNT: 2"
check "no progress bar when stderr is no terminal" test -z "$err"
run phone --json list card
check "card entries as JSON" contains "$out" '"DISPLAY_NAME": "Mum"'

# The crash of old: the metadata table makes no items.
run phone create metadata FIRST_NAME=x
check "create on a table without items fails cleanly" exits 1
check "and says why" contains "$err" "the metadata table makes no new items"

run phone create phonebook FIRST_NAME=Grace TEL_NUM_0=555-0101 TEL_TYPE_0=Mobile.Business
check "create prints the new SUID" contains "$out" "created SUID 6"
check "a create the handset keeps as given exits 0" exits 0
check "and says nothing more" test -z "$err"
run phone update phonebook 6 NOTES=Admiral
check "update by SUID" contains "$out" "updated SUID 6"
run phone list phonebook
check "the change is stored" contains "$out" "NOTES: Admiral"
run phone update phonebook 6 "NOTES=Rear Admiral of the United States Navy, computing pioneer"
check "an update the handset cuts exits 4" exits 4
check "saying what was cut" contains "$err" 'SUID 6: NOTES cut to 50 characters: "Rear Admiral of the United States Navy, computing "'
run phone delete phonebook 6
check "delete by SUID" contains "$out" "deleted SUID 6"
run phone count phonebook
check "the contact is gone" test "$out" = 5
run phone create card DISPLAY_NAME=Office TEL_NUM_0=02-000-1111
check "a card entry is created" contains "$out" "created SUID 3"

# A deleted group's number comes back with the next new group; its contacts must not.
run phone delete groups 2
check "deleting a group says how many contacts left it" contains "$out" "deleted SUID 2; 2 contacts are no longer in it"
run phone create groups NAME=Neighbours
check "the next group takes the number again" contains "$out" "created SUID 2"
run phone list phonebook
check "its former contacts are in no group" lacks "$out" "GROUP_ID_0: 2"
check "the others keep theirs" contains "$out" "GROUP_ID_0: 3"
check "a contact keeps the rest of its data" contains "$out" "NOTES: Met at the analytical engine talk"

run phone list nosuchtable
check "an unknown table fails with exit code 1" exits 1
check "and says so" contains "$err" 'unknown table "nosuchtable"'
run phone create phonebook NOT_A_COLUMN=1
check "a bad column fails with exit code 1" exits 1
check "without the usage, which is not the problem" lacks "$err" "usage:"
run phone update phonebook twelve NOTES=x
check "a bad SUID fails with exit code 1" exits 1
run phone --sim-fault timeout list phonebook
check "a handset that times out fails with exit code 2" exits 2
check "with the HRESULT and the reason" contains "$err" "0x800705B4"
check "the reason in words" contains "$err" "The handset did not answer within"
check "no source file in what a person reads" lacks "$err" ".cpp"

# ---- One command's help, and the columns a table takes ----------------------------------
run unused help import-vcard
check "help COMMAND shows that command" contains "$out" "import-vcard [--duplicates] [--card 1|2] FILE"
check "with its description" contains "$out" "unless --duplicates is given"
check "and no other" lacks "$out" "export-ics"
run unused rmdir --help
check "COMMAND --help too, for a command that shares its line" contains "$out" "mkdir PATH | rmdir PATH | rm PATH"
check "and no other" lacks "$out" "ls [PATH]"
check "neither opens a handset" test ! -e "$work/unused"
run unused help nosuchcommand
check "help for an unknown command is a usage error" exits 1
run columns --model KTM-A290 help create tasks
check "help create TABLE lists a new item's columns" grep -qE "^  SUBJECT +text" <<<"$out"
check "with what each takes" grep -qE "^  START_DATE +date" <<<"$out"
check "but not the SUID the handset gives" lacks "$out" "  SUID"
run unused help create nosuchtable
check "an unknown table is refused" exits 1
check "in one line" test "$(wc -l <<<"$err")" -eq 1
run phone list nosuchtable
check "also for a command" test "$(wc -l <<<"$err")" -eq 1

# ---- Models by name, what they keep, and JSON -------------------------------------------
run small --model KTM-A110 seed-demo
check "--model takes a model's name" exits 0
check "seed-demo seeds what a model without file memory keeps" contains "$out" "2 memos, 5 SMS"
check "and says what it left out" contains "$out" "left out, as the KTM-A110 keeps none: tasks, MMS, pictures and sounds"
run small --model 218 tables
check "tables says which tables the model does not keep" contains "$out" "files      not kept by the KTM-A110"
check "tasks among them" contains "$out" "tasks      not kept by the KTM-A110"
check "and which it keeps" contains "$out" "memos      available"
run small --model ktm-a280 count phonebook
check "a name names the same model as its number" contains "$err" "made as model 218"
run phone create tasks SUBJECT=x
check "a table the model does not keep is said in words" contains "$err" "the KTM-A280 keeps no tasks"
check "as a bad value" exits 1
run phone create sms CONTENT=x
check "an operation a table does not offer is said in words" contains "$err" "the sms table does not create items; "
check "without a code" lacks "$err" "0x8"
run columns devinf --summary
check "the summary has the task store the DevInf document lacks" contains "$out" "TASK: up to 100 items"
check "and the memo store" contains "$out" "MEMO: up to 100 items"
run phone --json count phonebook
check "count --json" test "$out" = '{"table": "phonebook", "count": 5}'
run unused --json models
check "models --json" contains "$out" '{"id": 218, "name": "KTM-A110"}'
run phone --json devinf --summary
check "devinf --summary --json" contains "$out" '{"store": "PHONEBOOK", "maxItems": 1000, "properties": [{"name": "FIRST_NAME", "maxSize": 24}'
run phone --json devinf
check "devinf --json holds the document as a string" contains "$out" '{"devinf": "<?xml version=\"1.0\"'

# ---- Duplicates --------------------------------------------------------------------------
printf 'BEGIN:VCARD\r\nVERSION:3.0\r\nN:Hopper;Grace;;;\r\nFN:Grace Hopper\r\nTEL;TYPE=CELL:555-0199\r\nTITLE:Rear Admiral\r\nEND:VCARD\r\n' >"$work/grace.vcf"
run dup import-vcard "Z:$work/grace.vcf"
check "a property with no place on the model is said" contains "$err" "TITLE has no place on the handset"
run dup import-vcard "Z:$work/grace.vcf"
check "a contact skipped as a duplicate says only that" test "$err" = "Grace Hopper: not imported: the handset already holds it as SUID 1"
check "and changes nothing" exits 0

# ---- What crossed the link ---------------------------------------------------------------
exchanged() { sed -n 's/^kelvra-sync: \([0-9]*\) requests, \([0-9]*\) bytes exchanged with the handset$/\2/p' <<<"$err"; }
run phone --stats count phonebook
check "--stats leaves the output as it was" test "$out" = 5
check "--stats says the requests and bytes on stderr" test -n "$(exchanged)"
run phone --stats list phonebook
listed=$(exchanged)
run no-contacts --stats list phonebook
# A KTM-A280 contact record is well over a thousand bytes, and a listing reads each one.
check "a listing of five contacts moves their records" test "${listed:-0}" -gt "$(($(exchanged) + 5 * 1000))"

finish
