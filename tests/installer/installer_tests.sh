#!/usr/bin/env bash
# The installer package, in a Wine prefix of its own that nothing else registers in:
# it writes the registration that regsvr32 writes, both script hosts list a demo handset
# through what it installed, a repair puts back what was lost, and an uninstall leaves no
# file and no registry entry of ours, so that creating the component fails as unregistered.
#   installer_tests.sh PACKAGE BUILD64 BUILD32 WINE64
set -u
package=$1
build64=$2
build32=$3
wine64=$4
source "$(dirname "${BASH_SOURCE[0]}")/../cli/testlib.sh"
script=Z:$here/../scripts/handset_contacts.js

export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEARCH=win64 WINEDLLOVERRIDES="mscoree,mshtml="
trap 'wineserver -k >/dev/null 2>&1; rm -rf "$work"' EXIT
wine cmd /c exit 0 >/dev/null 2>&1
drive_c=$WINEPREFIX/drive_c
folder64='C:\Program Files\Orvane\KELVRA'
folder32='C:\Program Files (x86)\Orvane\KELVRA'
unix64="$drive_c/Program Files/Orvane/KELVRA"
unix32="$drive_c/Program Files (x86)/Orvane/KELVRA"

# The machine's and the user's registry in both views, one line per key and one per value
# (with its key), sorted. The package's help folder ends in a backslash, the one
# registration writes does not.
registry() {
    local hive view
    for hive in HKLM HKCU; do
        for view in 32 64; do
            rm -f "$work/export.reg"
            wine reg export "$hive" "Z:$work/export.reg" "/reg:$view" /y >/dev/null 2>&1
            iconv -f UTF-16 -t UTF-8 "$work/export.reg" | tr -d '\r' | awk -v view="$hive$view" '
                /^\[/ { key = $0; print view " " key; next }
                /^$/ || /^Windows Registry Editor/ { next }
                { line = line $0; if (line ~ /\\$/) next; print view " " key " " line; line = "" }'
        done
    done | sed 's/^\(.*\\HELPDIR\] @=".*\)\\\\"$/\1"/' | LC_ALL=C sort
}
# What a registry snapshot holds beyond the first one, but for Windows Installer's own books.
added() { LC_ALL=C comm -13 "$work/clean" "$1" | grep -v '\\Installer[]\\]\|CurrentVersion\\Uninstall\\'; }
# The same, but for the empty keys Windows Installer keeps once it has installed anything:
# a value, even of its own books, must not outlive the product.
left_behind() { LC_ALL=C comm -13 "$work/clean" "$1" | grep -v '^HK[A-Z]*[0-9]* \[[^]]*\\Installer\(\\[^]]*\)\?\]$'; }
contacts() {  # contacts 32|64: what that bitness's cscript lists of the demo handset
    local loader=wine
    [ "$1" = 64 ] && loader=$wine64
    "$loader" "C:/windows/$([ "$1" = 64 ] && echo system32 || echo syswow64)/cscript.exe" //nologo "$script" \
        'C:\users\Public\Demo Handset' 2>&1 | tr -d '\r'
}
create() {  # create 32|64: creating the component by its class in that bitness's view
    local folder=$build32 loader=wine
    [ "$1" = 64 ] && { folder=$build64; loader=$wine64; }
    "$loader" "$folder/tests/create_component.exe" 2>&1 | tr -d '\r'
}
nothing_added() { [ -z "$(added "$1")" ]; }
nothing_left_behind() { [ -z "$(left_behind "$1")" ]; }
rows() { msiinfo export "$package" "$1" 2>/dev/null | tail -n +4; }  # rows TABLE: its rows, if any
msiexec() { wine msiexec "$@" /qn; }

check "the package is a Windows Installer database" msiinfo tables "$package"
check "it runs no program of its own, regsvr32 included" test -z "$(rows CustomAction)$(rows SelfReg)"
check "it holds the registration of both bitnesses as registry entries" \
    test "$(rows Registry | grep -c 'CLSID\\{4A77337A-0774-4916-A285-357D631C7F65}\\InprocServer32\s\s\[#Component')" = 2

# The script hosts register their own libraries when they first run: before the snapshot
# that the package's entries are told from.
check "before the install the 32-bit cscript cannot create the component" lacks "$(contacts 32)" "contact:"
check "before the install the 64-bit cscript cannot create the component" lacks "$(contacts 64)" "contact:"
registry >"$work/clean"

# What the servers' own registration writes for files in the installed places.
mkdir -p "$unix64" "$unix32"
cp "$build64/LUMOQELKELVRA.dll" "$build64/KelvraSim.dll" "$unix64/"
cp "$build32/LUMOQELKELVRA.dll" "$build32/KelvraSim.dll" "$unix32/"
"$wine64" C:/windows/system32/regsvr32.exe /s "$folder64\\LUMOQELKELVRA.dll" "$folder64\\KelvraSim.dll"
wine C:/windows/syswow64/regsvr32.exe /s "$folder32\\LUMOQELKELVRA.dll" "$folder32\\KelvraSim.dll"
registry >"$work/self-registered"
"$wine64" C:/windows/system32/regsvr32.exe /s /u "$folder64\\LUMOQELKELVRA.dll" "$folder64\\KelvraSim.dll"
wine C:/windows/syswow64/regsvr32.exe /s /u "$folder32\\LUMOQELKELVRA.dll" "$folder32\\KelvraSim.dll"
registry >"$work/self-unregistered"
rm -rf "$drive_c/Program Files/Orvane" "$drive_c/Program Files (x86)/Orvane"
check "the servers' own registration wrote something" test -n "$(added "$work/self-registered")"
check "the servers' own unregistration takes it all away again" nothing_added "$work/self-unregistered"
added "$work/self-unregistered" | head -10

msiexec /i "Z:$package"
code=$?
check "the package installs" exits 0
registry >"$work/installed"
check "the package writes what the servers' own registration writes, in both views" \
    test "$(added "$work/installed")" = "$(added "$work/self-registered")"
if [ "$(added "$work/installed")" != "$(added "$work/self-registered")" ]; then
    diff <(added "$work/self-registered") <(added "$work/installed") | head -20
fi
check "the 64-bit files are installed" test -f "$unix64/LUMOQELKELVRA.dll" -a -f "$unix64/KelvraSim.dll" \
    -a -f "$unix64/kelvra-sync.exe" -a -f "$unix64/kelvra-handset.exe" -a -f "$unix64/README.md"
check "the 32-bit files are installed" test -f "$unix32/LUMOQELKELVRA.dll" -a -f "$unix32/KelvraSim.dll"
check "the 64-bit component is created by its class" test "$(create 64)" = created
check "the 32-bit component is created by its class" test "$(create 32)" = created

"$wine64" "$folder64\\kelvra-sync.exe" --handset 'C:\users\Public\Demo Handset' seed-demo >/dev/null 2>&1
code=$?
check "the installed kelvra-sync seeds a demo handset" exits 0
from32=$(contacts 32)
from64=$(contacts 64)
check "the 32-bit cscript lists the demo contacts through the installed servers" \
    contains "$from32" "contact: Ada Lovelace +442079460000"
check "the 32-bit cscript runs as a 32-bit process" contains "$from32" "host: 32-bit"
check "the 64-bit cscript lists the demo contacts through the installed servers" \
    contains "$from64" "contact: Minji Kim 01023456789"
check "the 64-bit cscript runs as a 64-bit process" contains "$from64" "host: 64-bit"

# A repair puts back a lost file and a lost registry key. (Wine's msiexec does not repair
# with /f; the properties are what /fvamus stands for.)
rm "$unix32/LUMOQELKELVRA.dll"
"$wine64" reg delete 'HKLM\Software\Classes\CLSID\{4A77337A-0774-4916-A285-357D631C7F65}\InprocServer32' \
    /f /reg:64 >/dev/null 2>&1
check "the damage shows" test "$(create 64)" != created
msiexec /i "Z:$package" REINSTALL=ALL REINSTALLMODE=vamus
code=$?
check "the package repairs" exits 0
check "the repair puts back the lost file" test -f "$unix32/LUMOQELKELVRA.dll"
check "the repair puts back the lost registration" test "$(create 64)" = created
check "after the repair the 32-bit cscript lists the demo contacts" \
    contains "$(contacts 32)" "contact: Ada Lovelace +442079460000"

msiexec /x "Z:$package"
code=$?
check "the package uninstalls" exits 0
registry >"$work/uninstalled"
check "no registry entry of ours remains" nothing_left_behind "$work/uninstalled"
left_behind "$work/uninstalled" | head -10
check "no installed file or folder remains" test ! -e "$drive_c/Program Files/Orvane" \
    -a ! -e "$drive_c/Program Files (x86)/Orvane"
check "the 64-bit component is no longer registered" test "$(create 64)" = 0x80040154
check "the 32-bit component is no longer registered" test "$(create 32)" = 0x80040154
check "the 32-bit cscript can no longer create it" lacks "$(contacts 32)" "contact:"
check "the 64-bit cscript can no longer create it" lacks "$(contacts 64)" "contact:"
finish
