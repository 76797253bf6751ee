#!/usr/bin/env bash
# The end-to-end tier on other platforms: a 32-bit prefix beside the default 64-bit one, and
# prefixes that report Windows 7 and Windows 10. Each variant has its own prefix under build/.
set -uo pipefail
cd "$(dirname "$0")/.."

variants=(
    "win32|win32|"
    "win64-win7|win64|win7"
    "win64-win10|win64|win10"
)
declare -a results
status=0
for v in "${variants[@]}"; do
    IFS='|' read -r name arch ver <<<"$v"
    echo "=== e2e on $name (WINEARCH=$arch${ver:+, Windows version $ver})"
    if PLMO_WINEPREFIX="$PWD/build/wineprefix-$name" PLMO_WINEARCH="$arch" PLMO_WINVER="$ver" \
        tools/session.sh ctest --preset win32 -R '^e2e_' --timeout 900; then
        results+=("$name|passed")
    else
        results+=("$name|FAILED")
        status=1
    fi
done
echo
printf '%-16s %s\n' variant e2e
for r in "${results[@]}"; do
    printf '%-16s %s\n' "${r%%|*}" "${r#*|}"
done
exit $status
