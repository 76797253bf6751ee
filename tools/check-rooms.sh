#!/usr/bin/env bash
# Fails when a room includes a header of a room above it. The rooms stand on each other in one
# direction: framework < util < http < service < worker < install < ui < app.
set -euo pipefail
cd "$(dirname "$0")/.."
rooms=(framework util http service worker install ui app)
rank() { local i; for i in "${!rooms[@]}"; do [ "${rooms[$i]}" = "$1" ] && { echo "$i"; return; }; done; echo -1; }
bad=0
for room in "${rooms[@]}"; do
    own=$(rank "$room")
    while IFS=: read -r file line include; do
        target=$(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([a-z]*\)\/.*/\1/p' <<<"$include")
        [ -n "$target" ] || continue
        if [ "$(rank "$target")" -gt "$own" ]; then
            echo "check-rooms: $file:$line: $room includes $target, a room above it: $include" >&2
            bad=1
        fi
    done < <(grep -rn --include='*.h' --include='*.cpp' --include='*.rc' '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$room" || true)
done
[ "$bad" = 0 ] && echo "check-rooms: every include points down or sideways"
exit $bad
