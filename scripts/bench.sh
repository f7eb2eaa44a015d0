#!/usr/bin/env bash
# Runs every benchmark of the build folder headless and prints its figures, then measures the
# start-up of the main window under a virtual X display.
set -euo pipefail
build=${1:-build}
for b in "$build"/bench_*; do
  # Programs only: the build folder also holds bench_*_autogen folders.
  [ -f "$b" ] && [ -x "$b" ] || continue
  echo "== $(basename "$b")"
  QT_QPA_PLATFORM=offscreen "$b" --benchmark_counters_tabular=true
done
if [ -x "$build/bench_month" ]; then
  echo "== start-up to the first drawn month (xcb under Xvfb), 5 runs"
  folder=$(mktemp -d)
  for i in 1 2 3 4 5 6; do
    # The first run builds the database and is not counted.
    out=$(xvfb-run -a -s "-screen 0 1024x768x24" env -u QT_QPA_PLATFORM \
      "$build/bench_month" --startup "$folder" 2>/dev/null)
    [ "$i" -gt 1 ] && echo "$out"
  done
  rm -rf "$folder"
fi
