#!/usr/bin/env bash
# `make demo`: the program as built, under Wine. With a display the person there sees and closes
# it; without one it runs on a private Xvfb, is screenshotted, described and closed again.
# Either way the screenshot lands in build/screenshots/demo-idle.png.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${PLMO_BUILD_DIR:-$root/build/win32}
demo=$build/bin/plmo_demo.exe
[ -x "$demo" ] || [ -f "$demo" ] || { echo "demo: $demo is missing; run make win32" >&2; exit 1; }

if [ -n "${DISPLAY:-}" ]; then
    echo "demo: showing PLMOInstApp on $DISPLAY"
    PLMO_USE_DISPLAY=1 "$root/tools/session.sh" wine "$demo"
else
    echo "demo: no DISPLAY; running PLMOInstApp on a private Xvfb"
    # Bounded: a demo that hangs must not hold the terminal for ever.
    timeout 120 "$root/tools/session.sh" wine "$demo" --close
fi
echo "demo: screenshot in $root/build/screenshots/demo-idle.png"
