#!/usr/bin/env bash
# Runs a command inside a test session: a private Xvfb display (unless PLMO_USE_DISPLAY=1 and a
# display exists), a persistent wineserver for the prefix (saves ~2.5 s per Wine process), and
# everything torn down afterwards.
set -euo pipefail
source "$(dirname "$0")/wine-env.sh"

xvfb_pid=
cleanup() {
    wineserver -k 2>/dev/null || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT

if [ "${PLMO_USE_DISPLAY:-0}" != 1 ] || [ -z "${DISPLAY:-}" ]; then
    for n in $(seq 91 140); do
        [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
        Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
        xvfb_pid=$!
        export DISPLAY=":$n"
        break
    done
    for _ in $(seq 50); do
        [ -e "/tmp/.X11-unix/X${DISPLAY#:}" ] && break
        sleep 0.1
    done
fi

plmo_make_prefix
wineserver -p
# Start the prefix's background services now, detached from our output: a service that
# inherits a test runner's pipe keeps it open and the runner waits for ever.
wine cmd /c exit </dev/null >/dev/null 2>&1 || true
"$@"
