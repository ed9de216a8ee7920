#!/usr/bin/env bash
# SMS and MMS through kelvra-sync: the demo handset's messages listed and exported, an SMS
# sent from either card, and an MMS fetched and sent back byte for byte.
# Needs the registered servers.
set -u
source "$(dirname "$0")/testlib.sh"

run demo --model 202 seed-demo
check "the demo handset gets its messages" contains "$out" "5 SMS, 1 MMS"

# ---- SMS ------------------------------------------------------------------------------
run demo list sms
check "an inbox message shows its sender" contains "$out" "SENDER: 010-2345-6789"
check "with its text" contains "$out" "CONTENT: Dinner at 7? I'll book the place near the station."
check "and its time, as the handset's clock counts it" contains "$out" "CREATE_DATE: 2026-12-04 09:15"
check "Korean text arrives whole" contains "$out" "CONTENT: 회의 자료 보냈어요. 확인 부탁드립니다."
check "a sent message shows its receiver" contains "$out" "RECEIVER: 010-2345-6789"
check "the second card's inbox is listed too" contains "$out" "CONTENT: Your taxi is waiting outside."
check "each message has its own SUID" test "$(grep -c '^SUID' <<<"$out")" -eq "$(grep '^SUID' <<<"$out" | sort -u | wc -l)"
run demo count sms
check "five are counted" test "$out" = 5

run demo send-sms 010-5555-1234 "Running late, start without me"
check "a send is confirmed" contains "$out" "sent the SMS to 010-5555-1234 from card 1"
check "and succeeds" exits 0
run demo send-sms --card 2 010-7777-8888 "From the second card"
check "the second card sends" contains "$out" "from card 2"
run demo list sms
check "the sent message is in the sent box" contains "$out" "CONTENT: Running late, start without me"
check "so is the one from card 2" contains "$out" "RECEIVER: 010-7777-8888"
run demo count sms
check "and both are counted" test "$out" = 7
run demo send-sms "" "Nobody to send to"
check "a send without a receiver is refused" exits 1
check "saying the receiver is missing" contains "$err" "send-sms has no receiver"
long=$(printf 'x%.0s' {1..420})
run demo send-sms 010-5555-1234 "$long"
check "a text longer than one SMS is refused" exits 1
check "naming the model's limit" contains "$err" "the KTM-A280 sends at most 254"
check "and how to send it cut" contains "$err" "--cut"
korean=$(printf '회%.0s' {1..200})
run demo send-sms 010-5555-1234 "$korean"
check "so is a Korean text past the limit, which UTF-8 takes three bytes a character of" exits 1
run demo count sms
check "and nothing is sent" test "$out" = 7
run demo send-sms --cut 010-5555-1234 "$korean"
check "--cut sends what fits" contains "$out" "cut to its first 84 of 200 characters"
run demo send-sms --cut 010-5555-1234 "$long"
check "of a Latin text too" contains "$out" "cut to its first 254 of 420 characters"
run demo list sms
check "the cut text is stored as sent" grep -qx "  CONTENT: ${long:0:254}" <<<"$out"
run demo send-sms "$(printf '회%.0s' {1..84})" "$(printf '회%.0s' {1..84})"
check "a text that just fits is sent whole" exits 0
run demo --sim-fault timeout send-sms 010-5555-1234 "Did it go?"
check "a send whose confirmation is lost fails" exits 2
check "saying it may have been sent" contains "$err" "may have been sent all the same"
check "and where to look" contains "$err" "card 1's sent box"
check "not that it was not sent" lacks "$err" "did not send the message"
run demo --sim-fault wrong-code send-sms --card 2 010-5555-1234 "Did it go?"
check "so does a garbled confirmation" contains "$err" "card 2's sent box"
run demo count sms
check "the count knows what was sent" test "$out" = 12

run demo export-sms "Z:$work/sms.json"
check "the export says how many" contains "$out" "exported 12 SMS"
check "one object per message" test "$(grep -c '"folder"' "$work/sms.json")" -eq 12
check "with folder and party" grep -qF '{"folder": "Inbox", "party": "010-2345-6789", ' "$work/sms.json"
check "and its time with the offset" grep -qE '"time": "2026-12-04T09:15:00[+-][0-9]{2}:[0-9]{2}"' "$work/sms.json"

# ---- MMS ------------------------------------------------------------------------------
run demo list mms
check "the MMS lists with its subject" contains "$out" "SUBJECT: Cabin weekend"
check "and its folder" contains "$out" "FOLDER: Inbox"
check "and its time, which this model counts from 1970 without a lag" contains "$out" "CREATE_DATE: 2026-12-05 12:30"
suid=$(grep -m1 '^SUID' <<<"$out" | cut -d' ' -f2)
run demo fetch-mms "$suid" "Z:$work/cabin.mms"
check "the content is fetched" contains "$out" "(20000 bytes)"
check "into the file asked for" test "$(stat -c %s "$work/cabin.mms")" -eq 20000
check "as the handset keeps it" grep -qF "Photos from the cabin weekend" "$work/cabin.mms"
run demo count mms
check "one MMS is counted" test "$out" = 1
run demo send-mms "Z:$work/cabin.mms"
check "the file is sent as an MMS" contains "$out" "sent Z:$work/cabin.mms (20000 bytes) as an MMS"
run demo list mms
check "the sent MMS is listed in its folder" contains "$out" "FOLDER: Sent"
sent=$(grep '^SUID' <<<"$out" | cut -d' ' -f2 | grep -vx "$suid" | head -1)
run demo fetch-mms "$sent" "Z:$work/sent.mms"
check "and holds exactly the bytes sent" cmp -s "$work/cabin.mms" "$work/sent.mms"
run demo count mms
check "and counted" test "$out" = 2

# ---- What the host refuses before the handset is touched -----------------------------
run demo send-mms "Z:$work/missing.mms"
check "a missing file is said" contains "$err" "cannot read"
check "as a file failure" exits 3
run demo fetch-mms 99999 "Z:$work/none.mms"
check "an unknown MMS is said" contains "$err" "there is no MMS with SUID 99999"
mkdir "$work/taken"
run demo fetch-mms "$suid" "Z:$work/taken"
check "a file that cannot be written is said" contains "$err" "cannot write"
check "as a file failure" exits 3
check "and no part of it is left" test ! -e "$work/taken.part"
run demo list --card 2 sms
check "--card belongs to send-sms" exits 1
run demo send-sms --card 3 010 hi
check "a third card is refused" contains "$err" "--card takes 1 or 2"

finish
