#!/usr/bin/env bash
# Fails when the program imports a DLL statically that the system does not protect from being
# planted beside it. KnownDLLs are always taken from the system folder; comctl32 comes from the
# side-by-side store that the manifest names. Everything else is loaded by hand from System32.
set -euo pipefail
exe=${1:?usage: check-imports.sh PROGRAM.exe}
allowed="advapi32.dll comctl32.dll gdi32.dll imm32.dll kernel32.dll msvcrt.dll shell32.dll shlwapi.dll user32.dll"

imports=$(i686-w64-mingw32-objdump -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u)
[ -n "$imports" ] || { echo "check-imports: no import table read from $exe" >&2; exit 1; }
bad=0
for dll in $imports; do
    if [[ " $allowed " == *" $dll "* ]]; then
        echo "ok        $dll"
    else
        echo "REFUSED   $dll (not protected by the system: load it from System32 by hand)"
        bad=1
    fi
done
exit $bad
