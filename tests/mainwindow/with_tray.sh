#!/usr/bin/env bash
# Runs a test program on a virtual X display whose desktop has a notification area (trayer).
set -euo pipefail
exec "$(dirname "$0")/../common/xvfb.sh" bash -c '
  trayer --edge top --align right --widthtype pixel --width 160 \
         --heighttype pixel --height 28 --transparent false >/dev/null 2>&1 &
  tray=$!
  trap "kill $tray 2>/dev/null || true" EXIT
  # No session bus: the icon goes to the X tray, not to a status-notifier service.
  env -u DBUS_SESSION_BUS_ADDRESS -u QT_QPA_PLATFORMTHEME QT_QPA_PLATFORM=xcb "$@"
' with_tray "$@"
