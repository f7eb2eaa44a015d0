#!/usr/bin/env bash
# Starts the program from the build folder, creating its database there first when none is
# there. Without a display it runs under a virtual one and saves a screenshot.
set -euo pipefail
build=${1:-build}
cd "$build"
if [ ! -e Vaskel.pdb ]; then
  ./vaskel-newdb Vaskel.pdb
fi

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec ./Vaskel
fi

shot="$(pwd)/screenshot.png"
echo "No display: starting Vaskel under xvfb-run to take a screenshot."
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  ./Vaskel & pid=$!
  sleep 4
  import -window root "$0" || true
  kill -TERM $pid 2>/dev/null || true
  wait $pid || true
' "$shot"
echo "Screenshot saved to $shot"
