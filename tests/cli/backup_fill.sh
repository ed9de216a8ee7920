# The fill of a handset for the backup test: seed-demo plus every kind of item each model
# family keeps, made through create (put for files, import-vcard for a contact picture).
# Sourced by backup_tests.sh after testlib.sh; every item is one line "TABLE|COL=VAL|...".
#
# What each family gets, on top of seed-demo (3 groups, 5 contacts, 2 card entries, 3
# calendar entries, a task, 2 memos, SMS, an MMS and the demo's pictures and sounds):
#
#                 ordinary lead          extended alarm           compact repeat
#                 202 203 208 210 212    211                      218
#   groups        a fourth group         same                     same
#   contacts      5 numbers of 5 types   same, and a picture      3 numbers of its 3
#                 (A230: 3 over two      (import-vcard PHOTO)     types, 1 e-mail, address,
#                 contacts, no address), and a 22-character       URL, birthday, ring
#                 2 e-mails, address,    first name (A110: 20)    index and file, group
#                 URL, birthday, speed
#                 dial, ring index and
#                 file, group
#   calendar      alarm leads Minute,    alarm modes (at start,   alarm at its own time
#                 Hour, Day, Week, none; 30 min, hour, day,       (Target), none; daily,
#                 daily every 2 to an    week, a term of its      weekly, monthly, yearly;
#                 expiry, weekly on      own), holiday mark;      expiry; alarm melody
#                 Mon+Wed, monthly by    daily, weekly, monthly,
#                 date and 2nd Tuesday   yearly; expiry; alarm
#                 every 2nd month,       melody
#                 yearly by date and
#                 by weekday; alarm
#                 melody
#   kinds         every kind the         appointment,             appointment, anniversary,
#                 profile keeps          anniversary              event
#   tasks         -                      High/Normal/Low, done    -
#                                        and not, alarm at a time
#   memos         a second memo          same, and one of 78      same
#                                        characters (A110: 70)
#   card, card2   an entry on each card  same                     same
#   files         a folder with a file   same                     - (no file memory)
#                 in phone and card

# The calendar kinds each model's profile keeps, as TYPE codes: 5 appointment (0 on the
# KTM-A290), 1 anniversary, 4 holiday, 20 important, 25 private, 34 event.
calendar_kinds() {
    case $1 in
    202 | 208 | 210 | 212) echo "5 1 4 20 25" ;;
    203) echo "5 1 4 25" ;;
    211) echo "0 1" ;;
    218) echo "5 1 34" ;;
    esac
}
family_of() {
    case $1 in
    211) echo extended ;;
    218) echo compact ;;
    *) echo ordinary ;;
    esac
}
has_card2() { true; }  # every model's table offers the second card
has_files() { [ "$1" != 218 ]; }
has_pictures() { [ "$1" = 211 ]; }

# ---- The items, per family -------------------------------------------------------------
contacts_full=(
    "groups|NAME=Climbing club"
    "phonebook|FIRST_NAME=Hana|LAST_NAME=Yoon|TEL_NUM_0=010-4444-5555|TEL_TYPE_0=Mobile.Private|TEL_NUM_1=010-6666-7777|TEL_TYPE_1=Mobile.Business|TEL_NUM_2=02-123-4567|TEL_TYPE_2=Landline.Private|TEL_NUM_3=02-765-4321|TEL_TYPE_3=Landline.Business|TEL_NUM_4=02-999-8888|TEL_TYPE_4=Fax|TEL_DIAL_0=3|EMAIL_ADDR_0=hana@example.kr|EMAIL_TYPE_0=private|EMAIL_ADDR_1=h.yoon@example.com|EMAIL_TYPE_1=business|URL_ADDR_0=www.hana.example|ADDR_STREET_0=5 Sejong-daero|ADDR_LOCALITY_0=Seoul|ADDR_REGION_0=Jung-gu|ADDR_POSTALCODE_0=04524|ADDR_COUNTRY_0=Korea|ADDR_TYPE_0=private|BIRTHDAY=1988-02-29|RINGTON=7|GROUP_ID_0=4|NOTES=Belay partner"
    "phonebook|FIRST_NAME=Bora|LAST_NAME=Han|TEL_NUM_0=010-8888-1212|TEL_TYPE_0=Mobile.Private|RINGTON=Doorbell.wav|GROUP_ID_0=1"
)
# The KTM-A230 keeps three numbers and no address: the other two types on a second contact.
contacts_three=(
    "groups|NAME=Climbing club"
    "phonebook|FIRST_NAME=Hana|LAST_NAME=Yoon|TEL_NUM_0=010-4444-5555|TEL_TYPE_0=Mobile.Private|TEL_NUM_1=02-765-4321|TEL_TYPE_1=Landline.Business|TEL_NUM_2=02-999-8888|TEL_TYPE_2=Fax|TEL_DIAL_0=3|EMAIL_ADDR_0=hana@example.kr|EMAIL_TYPE_0=private|EMAIL_ADDR_1=h.yoon@example.com|EMAIL_TYPE_1=business|URL_ADDR_0=www.hana.example|BIRTHDAY=1988-02-29|RINGTON=7|GROUP_ID_0=4|NOTES=Belay partner"
    "phonebook|FIRST_NAME=Bora|LAST_NAME=Han|TEL_NUM_0=010-8888-1212|TEL_TYPE_0=Mobile.Business|TEL_NUM_1=031-222-0101|TEL_TYPE_1=Landline.Private|RINGTON=Doorbell.wav|GROUP_ID_0=1"
)
contacts_short=(
    "groups|NAME=Climbing club"
    "phonebook|FIRST_NAME=Hana|LAST_NAME=Yoon|TEL_NUM_0=010-4444-5555|TEL_TYPE_0=Mobile|TEL_NUM_1=02-123-4567|TEL_TYPE_1=Landline.Private|TEL_NUM_2=02-999-8888|TEL_TYPE_2=NONE|EMAIL_ADDR_0=hana@example.kr|EMAIL_TYPE_0=private|URL_ADDR_0=www.hana.example|ADDR_STREET_0=5 Sejong-daero|ADDR_LOCALITY_0=Seoul|ADDR_POSTALCODE_0=04524|ADDR_COUNTRY_0=Korea|ADDR_TYPE_0=private|BIRTHDAY=1988-02-29|RINGTON=7|GROUP_ID_0=4|NOTES=Belay partner"
    "phonebook|FIRST_NAME=Bora|LAST_NAME=Han|TEL_NUM_0=010-8888-1212|TEL_TYPE_0=Mobile|RINGTON=Doorbell.wav|GROUP_ID_0=1"
)
calendar_ordinary=(
    "calendar|SUBJECT=Lead minutes|START_DATE=2026-12-10 08:00|END_DATE=2026-12-10 09:00|ALARM_TYPE=Minute|ALARM_VALUE=10|ALARM_MELODY_TYPE=bell|ALARM_MELODY_INDEX=3"
    "calendar|SUBJECT=Lead hours|START_DATE=2026-12-11 08:00|ALARM_TYPE=Hour|ALARM_VALUE=2|RECURRENCE_TYPE=1|RECURRENCE_EVERY=2|RECURRENCE_EXPIRE_TYPE=0|RECURRENCE_EXPIRE_DATE=2027-01-31"
    "calendar|SUBJECT=Lead days|START_DATE=2026-12-14 18:00|ALARM_TYPE=Day|ALARM_VALUE=1|RECURRENCE_TYPE=2|RECURRENCE_EVERY=1|RECURRENCE_FLAG=10|RECURRENCE_EXPIRE_TYPE=2"
    "calendar|SUBJECT=Lead weeks|START_DATE=2026-12-15 07:30|ALARM_TYPE=Week|ALARM_VALUE=1|RECURRENCE_TYPE=3|RECURRENCE_EVERY=1|RECURRENCE_EXPIRE_TYPE=0|RECURRENCE_EXPIRE_DATE=2027-12-15"
    "calendar|SUBJECT=Second Tuesday|START_DATE=2026-12-08 19:00|RECURRENCE_TYPE=4|RECURRENCE_EVERY=2|RECURRENCE_FLAG=260|RECURRENCE_EXPIRE_TYPE=2"
    "calendar|SUBJECT=Yearly by date|START_DATE=2027-01-20 12:00|RECURRENCE_TYPE=5|RECURRENCE_EVERY=1|RECURRENCE_EXPIRE_TYPE=2"
    "calendar|SUBJECT=Yearly by weekday|START_DATE=2027-05-09 10:00|RECURRENCE_TYPE=6|RECURRENCE_EVERY=1|RECURRENCE_FLAG=257|RECURRENCE_EXPIRE_TYPE=2"
)
calendar_extended=(
    "calendar|SUBJECT=At the start|START_DATE=2026-12-10 08:00|END_DATE=2026-12-10 09:00|ALARM_TYPE=Minute|ALARM_VALUE=0|ALARM_MELODY_TYPE=bell|ALARM_MELODY_INDEX=3"
    "calendar|SUBJECT=An hour ahead|START_DATE=2026-12-11 08:00|ALARM_TYPE=Hour|ALARM_VALUE=1|RECURRENCE_TYPE=1|RECURRENCE_EVERY=1|RECURRENCE_EXPIRE_TYPE=0|RECURRENCE_EXPIRE_DATE=2027-01-31"
    "calendar|SUBJECT=A day ahead|START_DATE=2026-12-14 18:00|ALARM_TYPE=Day|ALARM_VALUE=1|RECURRENCE_TYPE=2|RECURRENCE_EVERY=1|RECURRENCE_EXPIRE_TYPE=2|ISHOLIDAY=SET"
    "calendar|SUBJECT=A week ahead|START_DATE=2026-12-15 07:30|ALARM_TYPE=Week|ALARM_VALUE=1|RECURRENCE_TYPE=3|RECURRENCE_EVERY=1|RECURRENCE_EXPIRE_TYPE=0|RECURRENCE_EXPIRE_DATE=2027-12-15"
    "calendar|SUBJECT=A term of its own|START_DATE=2026-12-16 07:30|ALARM_TYPE=Hour|ALARM_VALUE=3|RECURRENCE_TYPE=5|RECURRENCE_EVERY=1|RECURRENCE_EXPIRE_TYPE=2"
)
calendar_compact=(
    "calendar|SUBJECT=At its own time|START_DATE=2026-12-10 08:00|END_DATE=2026-12-10 09:00|ALARM_TYPE=Target|ALARM_TARGET_DATE=2026-12-10 07:45|ALARM_MELODY_TYPE=bell|ALARM_MELODY_INDEX=3"
    "calendar|SUBJECT=Daily to an end|START_DATE=2026-12-11 08:00|RECURRENCE_TYPE=1|RECURRENCE_EVERY=1|RECURRENCE_EXPIRE_TYPE=0|RECURRENCE_EXPIRE_DATE=2027-01-31"
    "calendar|SUBJECT=Weekly|START_DATE=2026-12-14 18:00|RECURRENCE_TYPE=2|RECURRENCE_EVERY=1|RECURRENCE_EXPIRE_TYPE=2"
    "calendar|SUBJECT=Monthly|START_DATE=2026-12-15 07:30|RECURRENCE_TYPE=3|RECURRENCE_EVERY=1|RECURRENCE_EXPIRE_TYPE=2"
    "calendar|SUBJECT=Yearly|START_DATE=2027-01-20 12:00|RECURRENCE_TYPE=5|RECURRENCE_EVERY=1|RECURRENCE_EXPIRE_TYPE=2"
)
# One entry of each further kind the model keeps (the appointment and anniversary come
# with the demo too); a kind's own columns only.
kind_entry() {  # kind_entry TYPE
    case $1 in
    0 | 5) echo "calendar|TYPE=$1|SUBJECT=Plain appointment|START_DATE=2026-12-20 14:00|END_DATE=2026-12-20 15:00|LOCATION=Room 4" ;;
    1) echo "calendar|TYPE=1|SUBJECT=Wedding day|START_DATE=2027-06-05" ;;
    4) echo "calendar|TYPE=4|SUBJECT=Founding day|START_DATE=2027-10-03" ;;
    20) echo "calendar|TYPE=20|SUBJECT=Visa interview|START_DATE=2027-02-02 10:00|END_DATE=2027-02-02 11:00|ALARM_TYPE=Minute|ALARM_VALUE=45" ;;
    25) echo "calendar|TYPE=25|SUBJECT=Doctor, private|START_DATE=2027-02-03 16:00|END_DATE=2027-02-03 16:30" ;;
    34) echo "calendar|TYPE=34|SUBJECT=Book fair|START_DATE=2027-03-01|END_DATE=2027-03-04" ;;
    esac
}
tasks_all=(
    "tasks|SUBJECT=File the taxes|END_DATE=2027-03-31 18:00|PRIORITY=High|DONE_STATE=Undone|ALARM_TYPE=Time|ALARM_TIME=2027-03-30 09:00"
    "tasks|SUBJECT=Buy a helmet|END_DATE=2027-01-10 12:00|PRIORITY=Normal|DONE_STATE=Done"
    "tasks|SUBJECT=Sort the photos|PRIORITY=Low|DONE_STATE=Undone"
)
# Fields the KTM-A290 keeps longer than the KTM-A110 does: a 22-character first name (20
# there) and a memo of 78 characters (70 there).
longer_fields=(
    "phonebook|FIRST_NAME=Konstantina Evangeline|LAST_NAME=Baek|TEL_NUM_0=010-3131-4141|TEL_TYPE_0=Mobile.Private"
    "memos|DETAIL=Winter tyres: Hankook W452 205/55 R16, stored at the Gwanak garage until March"
)
others=(
    "memos|DETAIL=Bike lock 2468"
    "card|DISPLAY_NAME=Office|TEL_NUM_0=02-700-1000"
)
card2_entry="card2|DISPLAY_NAME=Roaming|TEL_NUM_0=+82-10-5555-0000"

# fill_items MODEL: the item lines for a model, one a line.
fill_items() {
    local model=$1 kind
    case $(family_of "$model") in
    ordinary)
        if [ "$model" = 208 ]; then printf '%s\n' "${contacts_three[@]}"; else printf '%s\n' "${contacts_full[@]}"; fi
        printf '%s\n' "${calendar_ordinary[@]}"
        ;;
    extended) printf '%s\n' "${contacts_full[@]}" "${calendar_extended[@]}" "${tasks_all[@]}" "${longer_fields[@]}" ;;
    compact) printf '%s\n' "${contacts_short[@]}" "${calendar_compact[@]}" ;;
    esac
    for kind in $(calendar_kinds "$model"); do kind_entry "$kind"; done
    printf '%s\n' "${others[@]}"
    has_card2 "$model" && echo "$card2_entry"
    return 0
}

# Files whose bytes are the same on every fill, so that two fills compare equal.
fill_file() {  # fill_file PATH SIZE SEED
    LC_ALL=C awk -v n="$2" -v s="$3" 'BEGIN { for (i = 0; i < n; i++) printf "%c", (i * 31 + s) % 251 + 1 }' >"$1"
}

# The tables seed-demo says it seeded, one line per item.
seeded_tables() {
    sed -n 's/^seeded the demo handset: //p' | tr ',' '\n' | while read -r count what; do
        case $what in
        group*) table=groups ;; contact*) table=phonebook ;; card*) table=card ;;
        calendar*) table=calendar ;; task*) table=tasks ;; memo*) table=memos ;; *) continue ;;
        esac
        for ((i = 0; i < count; i++)); do echo "$table"; done
    done
}

# fill HANDSET MODEL: a new handset folder of MODEL filled as the table above says; fails
# when a create fails or the handset keeps an item otherwise than given. Every command's
# output goes to $work/fill-HANDSET.log, and the table of every item made, one a line, to
# $work/fill-HANDSET.tables; the PC files it copies are made in $scratch.
fill() {
    local handset=$1 model=$2 line table failed=0
    local log=$work/fill-$handset.log tables=$work/fill-$handset.tables
    : >"$log"
    run "$handset" --model "$model" seed-demo
    echo "$out$err" >>"$log"
    exits 0 || failed=1
    seeded_tables <<<"$out" >"$tables"
    while IFS= read -r line; do
        table=${line%%|*}
        IFS='|' read -r -a columns <<<"${line#*|}"
        run "$handset" create "$table" "${columns[@]}"
        echo "create $table: $out $err" >>"$log"
        echo "$table" >>"$tables"
        exits 0 || { failed=1; echo "fill $model: create $table failed ($code): $err"; }
    done < <(fill_items "$model")
    if has_pictures "$model"; then
        # A 1x1 bitmap: file header, info header, one pixel and its padding.
        printf 'BM\x3a\0\0\0\0\0\0\0\x36\0\0\0\x28\0\0\0\1\0\0\0\1\0\0\0\1\0\x18\0\0\0\0\0\4\0\0\0\x13\x0b\0\0\x13\x0b\0\0\0\0\0\0\0\0\0\0\0\0\xff\0' >"${scratch:-$work}/face.bmp"
        printf 'BEGIN:VCARD\r\nVERSION:3.0\r\nN:Face;Ann;;;\r\nTEL;TYPE=CELL:010-2020-3030\r\nPHOTO;ENCODING=b;TYPE=BMP:%s\r\nEND:VCARD\r\n' \
            "$(base64 -w0 "${scratch:-$work}/face.bmp")" >"${scratch:-$work}/photo.vcf"
        run "$handset" import-vcard "Z:${scratch:-$work}/photo.vcf"
        echo "import-vcard: $out $err" >>"$log"
        echo phonebook >>"$tables"
        exits 0 || { failed=1; echo "fill $model: the picture contact failed ($code): $err"; }
    fi
    if has_files "$model"; then
        fill_file "${scratch:-$work}/notes.txt" 3000 7
        fill_file "${scratch:-$work}/tune.mp3" 40000 11
        run "$handset" mkdir /Backup
        run "$handset" put "Z:${scratch:-$work}/notes.txt" /Backup
        exits 0 || { failed=1; echo "fill $model: put into /Backup failed ($code): $err"; }
        run "$handset" mkdir card:/Music
        run "$handset" put "Z:${scratch:-$work}/tune.mp3" card:/Music
        exits 0 || { failed=1; echo "fill $model: put into card:/Music failed ($code): $err"; }
    fi
    return $failed
}
