#!/usr/bin/env bash
# Benchmarks under Wine (make bench builds build/win32 first). Prints the figures and keeps them
# as CSV under build/bench/. PLMO_BENCH_BUILD picks another build directory.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${PLMO_BENCH_BUILD:-$root/build/win32}
out=$root/build/bench
mkdir -p "$out"

exe=$build/bin/http_bench.exe
if [ ! -f "$exe" ]; then
    echo "bench: $exe is missing; build the win32 tree first (make bench does)" >&2
    exit 1
fi
csv=$out/http_download.csv
echo "HttpGetBinary from the loopback server, read block 16384 bytes (pacing floor = reads x 10 ms)"
"$root/tools/session.sh" wine "$exe" "Z:${csv//\//\\}"
echo "CSV: $csv"
