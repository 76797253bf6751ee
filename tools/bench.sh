#!/usr/bin/env bash
# Benchmarks under Wine (make bench builds build/win32 first): one table of every figure with its
# goal beside it and a verdict, also written as build/bench/bench.csv, next to each program's own
# samples and log under build/bench/. Timings never fail the run; a benchmark that could not take
# its figure shows as missed with the reason. PLMO_BENCH_BUILD picks another build directory;
# PLMO_BENCH_ONLY="net_bench ..." runs only those programs. PLMO_BENCH_BIG=1 adds the big bodies
# (600 MiB and the largest that fits) to http_bench: paced as they are, they take up to an hour.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${PLMO_BENCH_BUILD:-$root/build/win32}
out=$root/build/bench
table=$out/bench.tsv
read -r -a programs <<<"${PLMO_BENCH_ONLY:-http_bench net_bench ui_bench startup_bench}"

winpath() { printf 'Z:%s' "${1//\//\\}"; }

# Runs curl for net_bench: it writes request-N.txt (curl's arguments, one a line) and waits for
# answer-N.txt ("ok" and curl's output, or "error" and why). Waits without starting a process, so
# the agent adds no load while the figures are taken.
curl_agent() {
    local dir=$1 n=0 status args
    local nap
    exec {nap}<> <(:)
    while :; do
        if [ -f "$dir/request-$n.txt" ]; then
            mapfile -t args <"$dir/request-$n.txt"
            if curl "${args[@]}" >"$dir/curl.out" 2>"$dir/curl.err"; then
                { echo ok; cat "$dir/curl.out"; } >"$dir/answer-$n.part"
            else
                status=$?
                { echo error; echo "exit $status: $(tr '\n' ' ' <"$dir/curl.err")"; } >"$dir/answer-$n.part"
            fi
            mv "$dir/answer-$n.part" "$dir/answer-$n.txt"
            n=$((n + 1))
        else
            read -r -t 0.01 -u "$nap" || true
        fi
    done
}

# Inside the Wine session: each program appends its rows to the table.
if [ "${PLMO_BENCH_IN_SESSION:-}" = 1 ]; then
    for p in "${programs[@]}"; do
        echo "bench: $p ..." >&2
        extra=()
        agent=
        if [ "$p" = net_bench ]; then
            rm -rf "$out/curl-agent"
            mkdir -p "$out/curl-agent"
            curl_agent "$out/curl-agent" &
            agent=$!
            extra=("$(winpath "$out/curl-agent")")
        fi
        status=0
        limit=900
        [ "$p" = http_bench ] && [ "${PLMO_BENCH_BIG:-}" = 1 ] && limit=5400
        timeout "$limit" wine "$build/bin/$p.exe" "$(winpath "$table")" "$(winpath "$out")" "${extra[@]}" \
            >"$out/$p.log" 2>&1 </dev/null || status=$?
        [ -n "$agent" ] && { kill "$agent" 2>/dev/null || true; wait "$agent" 2>/dev/null || true; }
        if [ "$status" != 0 ]; then
            printf '%s\t%s\t%s\t\tmissed\n' "$p" "program" "ended with status $status, see build/bench/$p.log" >>"$table"
        fi
    done
    exit 0
fi

for p in "${programs[@]}"; do
    if [ ! -f "$build/bin/$p.exe" ]; then
        echo "bench: $build/bin/$p.exe is missing; build the win32 tree first (make bench does)" >&2
        exit 1
    fi
done
command -v curl >/dev/null || { echo "bench: curl is missing (tools/setup.sh installs it)" >&2; exit 1; }
started=$SECONDS
mkdir -p "$out"
rm -f "$table"
: >"$table"
PLMO_BENCH_IN_SESSION=1 PLMO_BENCH_BUILD="$build" "$root/tools/session.sh" "$0"

# The one table, columns as wide as their widest entry.
echo
awk -F'\t' '
    function dashes(n, s) { s = ""; while (n-- > 0) s = s "-"; return s }
    { for (i = 1; i <= 5; i++) { cell[NR, i] = $i; if (length($i) > w[i]) w[i] = length($i) } }
    END {
        split("benchmark|measure|figure|goal|verdict", head, "|")
        for (i = 1; i <= 5; i++) if (length(head[i]) > w[i]) w[i] = length(head[i])
        fmt = "%-" w[1] "s  %-" w[2] "s  %-" w[3] "s  %-" w[4] "s  %s\n"
        printf fmt, head[1], head[2], head[3], head[4], head[5]
        printf fmt, dashes(w[1]), dashes(w[2]), dashes(w[3]), dashes(w[4]), dashes(w[5])
        for (r = 1; r <= NR; r++) printf fmt, cell[r, 1], cell[r, 2], cell[r, 3], cell[r, 4], cell[r, 5]
    }' "$table" | sed 's/ *$//'
awk -F'\t' '
    function q(s) { if (s ~ /[",]/) { gsub(/"/, "\"\"", s); s = "\"" s "\"" } return s }
    BEGIN { print "benchmark,measure,figure,goal,verdict" }
    { print q($1) "," q($2) "," q($3) "," q($4) "," q($5) }' "$table" >"$out/bench.csv"
met=$(awk -F'\t' '$5 == "met"' "$table" | wc -l)
missed=$(awk -F'\t' '$5 == "missed"' "$table" | wc -l)
echo
echo "bench: $met goals met, $missed missed; CSV $out/bench.csv, samples and logs in $out/"
# Where the kernel runs no 32-bit code itself, binfmt_misc may hand it to an emulator: every figure
# of our (32-bit) code is then far slower than on the machines it is meant for.
for f in /proc/sys/fs/binfmt_misc/*i386*; do
    if [ -f "$f" ] && grep -q '^enabled' "$f" && grep -q qemu "$f"; then
        echo "bench: note: 32-bit programs run under $(sed -n 's/^interpreter //p' "$f") here; the Wine side is emulated, curl is not"
    fi
done
elapsed="figures taken in $((SECONDS - started)) s"
# Under make, the whole run counts: set-up and build included.
if [ "$(ps -o comm= -p "$PPID" 2>/dev/null)" = make ]; then
    elapsed="$elapsed; make bench $(ps -o etimes= -p "$PPID" | tr -d ' ') s in all"
fi
echo "bench: $elapsed"
