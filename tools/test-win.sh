#!/usr/bin/env bash
# The Windows and end-to-end tiers (inside tools/session.sh). The fault matrix and the soak run
# print tables that people read, so their output is shown even when they pass.
set -uo pipefail
cd "$(dirname "$0")/.."
status=0
ctest --preset win32 --timeout 900 -E '^e2e_(matrix|soak)' || status=1
log=build/win32/e2e-tables.log
ctest --preset win32 --timeout 900 -R '^e2e_(matrix|soak)' -V >"$log" 2>&1 || status=1
# The tables and figures, then ctest's own summary.
sed -n -e 's/^[0-9]*: //' -e '/^Fault matrix/,/^$/p' -e '/^soak\|handles\|private bytes/Ip' "$log"
grep -E 'Test +#|tests passed|FAILED|Failure' "$log"
exit $status
