#!/usr/bin/env bash
# The handset's files through kelvra-sync: the tree and one folder, copies both ways byte
# for byte, folders made, renamed and removed, and the memory figures.
# Needs the registered servers.
set -u
source "$(dirname "$0")/testlib.sh"

head -c 5000 /dev/urandom >"$work/photo.jpg"
head -c 70000 /dev/urandom >"$work/song.mp3"

run a290 --model 211 seed-demo
check "the demo handset gets its pictures and sounds" contains "$out" "3 pictures and sounds"
run a290 ls
check "the tree shows the phone root" grep -qx "/" <<<"$out"
check "the model's system folders" contains "$out" "/Images/Donwloaded images/"
check "the pictures with their sizes" contains "$out" "/Images/Lake at dawn.bmp  822 bytes"
check "and the card" grep -qx "card:/" <<<"$out"
run a290 ls /Images
check "one folder shows what it holds" contains "$out" "/Images/Cabin.bmp  822 bytes"
check "and no more" lacks "$out" "Doorbell.wav"

# ---- Copies both ways ------------------------------------------------------------------
run a290 put "Z:$work/photo.jpg" /Images
check "a PC file is copied to the handset" contains "$out" "copied Z:$work/photo.jpg (5000 bytes) into /Images"
run a290 get /Images/photo.jpg "Z:$work/back.jpg"
check "and back" contains "$out" "(5000 bytes)"
check "byte for byte" cmp -s "$work/photo.jpg" "$work/back.jpg"
check "leaving no part file" test ! -e "$work/back.jpg.part"
run a290 mkdir card:/Music
check "a card folder is made" contains "$out" "made card:/Music"
run a290 put "Z:$work/song.mp3" card:/Music
mkdir "$work/pc"
run a290 get card:/Music/song.mp3 "Z:$work/pc"
check "a copy into a PC folder keeps the name" cmp -s "$work/song.mp3" "$work/pc/song.mp3"
run a290 ls card:/Music
check "the card folder lists its file" contains "$out" "card:/Music/song.mp3  70000 bytes"

# ---- Renames and removals --------------------------------------------------------------
run a290 mv /Images/photo.jpg holiday.jpg
check "a file is renamed" contains "$out" "renamed /Images/photo.jpg to holiday.jpg"
run a290 ls /Images
check "under its new name" contains "$out" "/Images/holiday.jpg  5000 bytes"
check "and not the old" lacks "$out" "/Images/photo.jpg"
run a290 mkdir /Trips
run a290 mv /Trips Travel
run a290 ls
check "a folder is renamed" contains "$out" "/Travel/"
check "in place" lacks "$out" "/Trips/"
run a290 rmdir /Travel
run a290 rm /Images/holiday.jpg
run a290 ls
check "a folder is removed" lacks "$out" "/Travel/"
check "and a file" lacks "$out" "holiday.jpg"

# ---- A model that renames a folder by making a new one ----------------------------------
run a230 --model 208 mkdir /Box
run a230 put "Z:$work/photo.jpg" /Box
run a230 mv /Box Crate
check "a folder that holds files is not renamed there" exits 2
run a230 ls /Box
check "and keeps its file" contains "$out" "/Box/photo.jpg  5000 bytes"
run a230 mkdir /Empty
run a230 mv /Empty Full
run a230 ls
check "an empty one is" contains "$out" "/Full/"

# ---- Memory figures --------------------------------------------------------------------
run a290 df
check "the phone memory's use" grep -qE "^phone memory  .* used of 64.0 MB, .* free$" <<<"$out"
check "and the card's" grep -qE "^memory card   .* used of 256.0 MB, .* free$" <<<"$out"

# ---- What the host refuses ---------------------------------------------------------------
run a290 mkdir /Images
check "a failure names the place as the person wrote it" contains "$err" "Making the folder /Images failed"
check "not as the handset keeps it" lacks "$err" "tfs4"
run a290 mkdir card:/Music/a/b
check "on the card too" contains "$err" "Making the folder card:/Music/a/b failed"
run a290 ls card:/Nowhere
check "a folder that is not there" contains "$err" "Listing card:/Nowhere failed"
check "with no handset path in it" lacks "$err" "mvfs"
run a290 get /Images/missing.jpg "Z:$work/missing.jpg"
check "a missing handset file is said" contains "$err" "the handset has nothing at /Images/missing.jpg"
check "and no PC file is made" test ! -e "$work/missing.jpg"
run a290 ls Images
check "a path must start at a root" exits 1
run a290 get /Images/../../x "Z:$work/x"
check "and cannot climb out of it" contains "$err" "no folder or file name"
run a290 put "Z:$work/nothing.jpg" /Images
check "a missing PC file is said" contains "$err" "cannot read"
run a290 mv /Images/Cabin.bmp "a/b.bmp"
check "a new name is one name" exits 1

finish
