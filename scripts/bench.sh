#!/usr/bin/env bash
# Runs every benchmark of the build folder headless and prints its figures, then measures the
# start-up of the main window under a virtual X display at both database sizes.
#
#   scripts/bench.sh [build folder] [start-up runs, default 9]
set -euo pipefail

# Start-up: from the launch of the process to its first drawn month, on one X server (xcb).
# The first run of each size builds its database (and the log's indexes) and is not counted.
startup() {
  local build=$1 runs=$2 size
  for size in standard load; do
    local folder flag=""
    folder=$(mktemp -d)
    [ "$size" = load ] && flag=--load
    "$build/bench_month" --startup "$folder" $flag >/dev/null 2>&1
    local times=()
    for ((i = 0; i < runs; i++)); do
      local out
      out=$(BENCH_LAUNCH_US=${EPOCHREALTIME/./} "$build/bench_month" --startup "$folder" $flag \
        2>/dev/null)
      echo "  $size: $out"
      times+=("$(sed -n 's/^startup_ms=\([0-9.]*\).*/\1/p' <<<"$out")")
    done
    printf '%s\n' "${times[@]}" | sort -n |
      awk -v size="$size" '{ t[NR] = $1 } END {
        printf "startup %s: median %.1f ms, min %.1f, max %.1f (%d runs)\n",
               size, (NR % 2 ? t[(NR + 1) / 2] : (t[NR / 2] + t[NR / 2 + 1]) / 2), t[1], t[NR], NR }'
    rm -rf "$folder"
  done
}
# Run on the X server that the last lines below start.
if [ "${1:-}" = --startup-runs ]; then
  startup "$2" "$3"
  exit 0
fi

build=${1:-build}
runs=${2:-9}
echo "== load average: $(cut -d' ' -f1-3 /proc/loadavg)"
for b in "$build"/bench_*; do
  # Programs only: the build folder also holds bench_*_autogen folders.
  [ -f "$b" ] && [ -x "$b" ] || continue
  echo "== $(basename "$b")"
  QT_QPA_PLATFORM=offscreen "$b" --benchmark_counters_tabular=true
done
[ -x "$build/bench_month" ] || exit 0
echo "== start-up to the first drawn month (xcb under Xvfb), $runs runs per size"
xvfb-run -a -s "-screen 0 1024x768x24" env -u QT_QPA_PLATFORM \
  bash "$0" --startup-runs "$build" "$runs"
echo "== load average: $(cut -d' ' -f1-3 /proc/loadavg)"
