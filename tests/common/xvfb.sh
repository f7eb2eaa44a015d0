#!/usr/bin/env bash
# Runs a command on a virtual X server of its own (1280x1024, 24 bits). The server picks a free
# display number itself (-displayfd), so that tests started side by side never race for one,
# as xvfb-run -a can.
set -euo pipefail
tmp=$(mktemp -d)
mkfifo "$tmp/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$tmp/display" >"$tmp/log" 2>&1 &
server=$!
trap 'kill "$server" 2>/dev/null || true; wait "$server" 2>/dev/null || true; rm -rf "$tmp"' EXIT
read -r number <"$tmp/display" || { cat "$tmp/log" >&2; exit 1; }
export DISPLAY=":$number"
unset XAUTHORITY
rc=0
"$@" || rc=$?
exit "$rc"
