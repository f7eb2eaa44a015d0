#!/usr/bin/env bash
# Builds the libFuzzer programs of fuzz/ with clang (AddressSanitizer and
# UndefinedBehaviorSanitizer on) in build-fuzz and runs each for SECONDS seconds, FUZZ_JOBS
# (default 2) at a time. The seed corpus in fuzz/corpus is only read: new inputs go to
# build-fuzz/corpus, crash inputs to build-fuzz/artifacts. Fails on any crash, sanitizer
# report, broken property, hang or memory blow-up.
#   scripts/fuzz.sh [SECONDS]     (default: $FUZZ_SECONDS, else 600)
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-${FUZZ_SECONDS:-600}}"
jobs="${FUZZ_JOBS:-2}"
build=build-fuzz
start=$SECONDS

launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DVASKEL_FUZZ=ON -DVASKEL_BENCH=OFF "${launcher[@]}" >/dev/null
targets=()
for src in fuzz/fuzz_*.cpp; do
  targets+=("$(basename "$src" .cpp)")
done
cmake --build "$build" -j"$(nproc)" --target "${targets[@]}"
built=$SECONDS

# Files the programs leave behind when a run is cut short stay inside the build folder.
mkdir -p "$build/tmp"
export TMPDIR="$PWD/$build/tmp"
export UBSAN_OPTIONS=print_stacktrace=1

run() {
  local t=$1
  mkdir -p "$build/corpus/$t" "$build/artifacts/$t"
  "$build/$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$build/artifacts/$t/" "$build/corpus/$t" "fuzz/corpus/$t" \
    >"$build/$t.log" 2>&1
}

failed=()
total=0
for ((i = 0; i < ${#targets[@]}; i += jobs)); do
  batch=("${targets[@]:i:jobs}")
  pids=()
  for t in "${batch[@]}"; do
    run "$t" &
    pids+=($!)
  done
  for k in "${!batch[@]}"; do
    t=${batch[$k]}
    rc=0
    wait "${pids[$k]}" || rc=$?
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$build/$t.log" | tail -1)
    runs=${runs:-0}
    total=$((total + runs))
    if [ "$rc" -ne 0 ] || grep -qE "runtime error:|ERROR: (Address|Leak|Undefined)" "$build/$t.log"; then
      failed+=("$t")
      echo "== $t: FAILED (exit $rc) after $runs executions; log $build/$t.log"
      grep -vE "^#[0-9]+ " "$build/$t.log" | tail -40
    else
      echo "== $t: $runs executions in ${seconds} s, no fault"
    fi
  done
done

echo "Fuzzing: $total executions in all; build $((built - start)) s, runs $((SECONDS - built)) s."
if [ ${#failed[@]} -ne 0 ]; then
  echo "Faults found by: ${failed[*]}"
  exit 1
fi
