#!/usr/bin/env bash
# `make demo`: a whole install by the program as built, under Wine, against the stand-in install
# service with the demo catalogue and fake installers. With a display the person there clicks
# through; without one it is driven on a private Xvfb, described step by step and screenshotted
# (build/screenshots/demo-*.png).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${PLMO_BUILD_DIR:-$root/build/win32}
demo=$build/bin/plmo_demo.exe
[ -x "$demo" ] || [ -f "$demo" ] || { echo "demo: $demo is missing; run make win32" >&2; exit 1; }

if [ -n "${DISPLAY:-}" ]; then
    echo "demo: showing PLMOInstApp on $DISPLAY"
    PLMO_USE_DISPLAY=1 "$root/tools/session.sh" wine "$demo"
else
    echo "demo: no DISPLAY; running a whole install on a private Xvfb"
    # Bounded: a demo that hangs must not hold the terminal for ever.
    timeout 240 "$root/tools/session.sh" wine "$demo" --auto
    echo "demo: screenshots in $root/build/screenshots/demo-*.png"
fi
