#!/usr/bin/env bash
# Runs one Windows program under Wine in the project's prefix (ctest's cross-compiling emulator).
source "$(dirname "$0")/wine-env.sh"
plmo_make_prefix
exec wine "$@"
