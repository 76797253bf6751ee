#!/usr/bin/env bash
# Builds the libFuzzer targets of tests/fuzz with clang (ASan, UBSan) into build/fuzz and runs each
# for FUZZ_SECONDS (default 60), starting from its committed seed corpus. New inputs go to
# build/fuzz/work/<target>, findings to build/fuzz/findings/<target>/; the seed folders are
# never written. Prints each target's executions and coverage; fails when a target found a crash.
#   tools/fuzz.sh [target...]      FUZZ_SECONDS=30 tools/fuzz.sh body_reader
set -uo pipefail
cd "$(dirname "$0")/.."

seconds=${FUZZ_SECONDS:-60}
build=build/fuzz
cxx=${FUZZ_CXX:-clang++}

if ! command -v "$cxx" >/dev/null; then
  echo "fuzz: $cxx not found (Debian: apt-get install clang libclang-rt-14-dev)" >&2
  exit 1
fi
probe=$(mktemp -d)
trap 'rm -rf "$probe"' EXIT
echo 'extern "C" int LLVMFuzzerTestOneInput(const unsigned char*, unsigned long) { return 0; }' >"$probe/p.cpp"
if ! "$cxx" -fsanitize=fuzzer,address,undefined "$probe/p.cpp" -o "$probe/p" 2>"$probe/err"; then
  echo "fuzz: $cxx cannot link libFuzzer (Debian: apt-get install libclang-rt-14-dev)" >&2
  cat "$probe/err" >&2
  exit 1
fi

cmake -S tests/fuzz -B "$build" -DCMAKE_CXX_COMPILER="$cxx" >/dev/null || exit 1
cmake --build "$build" -j2 >/dev/null || { cmake --build "$build" -j1; exit 1; }

if [ $# -gt 0 ]; then
  targets=("$@")
else
  targets=($(sed -n '/^set(PLMO_FUZZ_TARGETS/,/)/p' tests/fuzz/Targets.cmake | tr -d '()' | tail -n +2))
fi

failed=()
summary=()
for t in "${targets[@]}"; do
  exe="$build/fuzz_$t"
  [ -x "$exe" ] || { echo "fuzz: no target $t" >&2; failed+=("$t"); continue; }
  work="$build/work/$t"
  findings="$build/findings/$t"
  mkdir -p "$work" "$findings"
  log="$build/$t.log"
  echo "fuzz: $t for ${seconds}s"
  "$exe" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=1024 -max_len=8192 -print_final_stats=1 \
    -artifact_prefix="$findings/" "$work" "tests/fuzz/corpus/$t" >"$log" 2>&1
  rc=$?
  runs=$(grep -o 'Done [0-9]* runs in [0-9]* second(s)' "$log" | tail -1)
  cov=$(grep -E '^#[0-9]+[[:space:]]+DONE' "$log" | tail -1 | grep -o 'cov: [0-9]* ft: [0-9]* corp: [0-9]*/[0-9a-zA-Z]*')
  if [ $rc -ne 0 ]; then
    failed+=("$t")
    summary+=("$(printf '%-18s FOUND A FAILURE (rc %d), see %s and %s' "$t" $rc "$log" "$findings")")
    grep -E 'property violated|ERROR: |runtime error' "$log" | head -3 | sed 's/^/    /'
  else
    summary+=("$(printf '%-18s %-34s %s' "$t" "${runs:-?}" "${cov:-?}")")
  fi
done

echo
echo "fuzz: ${seconds}s per target"
printf '%s\n' "${summary[@]}"
if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzz: failures in ${failed[*]}; replay one with build/fuzz/fuzz_<target> <file>" >&2
  exit 1
fi
