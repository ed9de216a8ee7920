#!/usr/bin/env bash
# Both builds registered side by side in one 64-bit prefix: the 32-bit servers in the
# 32-bit registry view, the 64-bit ones in the 64-bit view. The 32-bit and the 64-bit
# cscript each create the component and list the same demo handset.
#   side_by_side_tests.sh SYNC32_EXE DLL32 SIM32 DLL64 SIM64 WINE64
# WINE64, the 64-bit loader, starts the 64-bit Windows programs: `wine` starts the 32-bit
# build of any program named by its system path.
set -u
sync32=$1
dlls32=("$2" "$3")
dlls64=("$4" "$5")
wine64=$6
source "$(dirname "${BASH_SOURCE[0]}")/testlib.sh"
script=Z:$here/../scripts/handset_contacts.js
names_file() { grep -qiF -- "Z:${2//\//\\}" <<<"$1"; }  # names_file TEXT UNIX-PATH
server_in_view() {  # server_in_view 32|64: the component's InprocServer32 in that registry view
    wine reg query 'HKLM\Software\Classes\CLSID\{4A77337A-0774-4916-A285-357D631C7F65}\InprocServer32' \
        /ve "/reg:$1" 2>/dev/null | tr -d '\r'
}

"$wine64" C:/windows/system32/regsvr32.exe /s "${dlls64[@]/#/Z:}"
wine C:/windows/syswow64/regsvr32.exe /s "${dlls32[@]/#/Z:}"
in32=$(server_in_view 32)
in64=$(server_in_view 64)
check "the 32-bit view names the 32-bit component" names_file "$in32" "${dlls32[0]}"
check "the 64-bit view names the 64-bit component" names_file "$in64" "${dlls64[0]}"

wine "$sync32" --handset "Z:$work/handset" seed-demo >/dev/null 2>&1
check "the 32-bit kelvra-sync seeds a demo handset" test -s "$work/handset/handset.txt"
from32=$(wine C:/windows/syswow64/cscript.exe //nologo "$script" "Z:$work/handset" 2>&1 | tr -d '\r')
from64=$("$wine64" C:/windows/system32/cscript.exe //nologo "$script" "Z:$work/handset" 2>&1 | tr -d '\r')
check "the 32-bit cscript runs as a 32-bit process" contains "$from32" "host: 32-bit"
check "the 64-bit cscript runs as a 64-bit process" contains "$from64" "host: 64-bit"
check "the 32-bit cscript lists the demo contacts" contains "$from32" "contact: Ada Lovelace +442079460000"
check "the 64-bit cscript lists the demo contacts" contains "$from64" "contact: Minji Kim 01023456789"
check "both list the same contacts" test "$(grep '^contact:' <<<"$from32")" = "$(grep '^contact:' <<<"$from64")"

if [ "$failed" -ne 0 ]; then
    printf '32-bit cscript:\n%s\n64-bit cscript:\n%s\n' "$from32" "$from64"
fi
finish
