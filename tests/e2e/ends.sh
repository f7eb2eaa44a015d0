#!/usr/bin/env bash
# The ways the built program ends, and the starts that must not run a second program, on one
# virtual display (with a notification area for the rows that ask for one):
#   - 常駐の終了 from the tray menu, the window shown and hidden: exit status 0;
#   - SIGTERM while a start-up window waits for the user (today's schedule, the notice that
#     there is no notification area): the program ends within a second with status 0 instead
#     of going on with a start-up that has already shut down;
#   - a second start from another login (another runtime folder), and starts whose runtime
#     folder is shared with other users: one program on the database.
#
#   tests/e2e/ends.sh BUILD_DIR      (BUILD_DIR holds Vaskel and vaskel-newdb)
set -euo pipefail
export LC_ALL=C.UTF-8

for tool in Xvfb xdotool sqlite3 trayer; do
  command -v "$tool" >/dev/null || { echo "$tool is missing (scripts/setup.sh installs it)"; exit 1; }
done
# One X server for every row.
if [ "${VASKEL_ENDS_INSIDE:-}" != 1 ]; then
  export VASKEL_ENDS_INSIDE=1
  exec "$(dirname "$0")/../common/xvfb.sh" bash "$0" "$@"
fi
build=$(cd "${1:?usage: ends.sh BUILD_DIR}" && pwd)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

# ---------------------------------------------------------------- one row, on its own display

row() { # name function
  local name=$1 rc=0
  echo "--- $name"
  bash -c "$(declare -f helpers "$2"); helpers; $2" >"$work/row.log" 2>&1 || rc=$?
  if [ "$rc" != 0 ]; then
    echo "FAIL: $name"
    cat "$work/row.log"
    failures=$((failures + 1))
  fi
}

# Shared by every row: a program folder with a new database and settings, the program's start
# and the checks. Defined in the row's own shell.
helpers() {
  set -euo pipefail
  fail() {
    echo "FAIL: $*"
    [ -f "$dir/program.log" ] && { echo "--- program output:"; cat "$dir/program.log"; }
    exit 1
  }
  dir=$(mktemp -d "$WORK/row.XXXXXX")
  mkdir -p "$dir/prog" "$dir/config/Vaskel" "$dir/home" "$dir/shared"
  mkdir -m 700 "$dir/runtime" "$dir/other-runtime"
  chmod 777 "$dir/shared"
  cp "$BUILD/Vaskel" "$dir/prog/Vaskel"
  "$BUILD/vaskel-newdb" "$dir/prog/Vaskel.pdb" >/dev/null
  db=$dir/prog/Vaskel.pdb
  sql() { sqlite3 -cmd '.timeout 5000' "$db" "$1"; }
  settings() { printf '[Calender]\n%s\n' "$*" >"$dir/config/Vaskel/Vaskel.ini"; }
  # A notification area for this row only: it goes, and every program of the row with it,
  # when the row ends.
  with_tray() {
    trayer --edge top --align right --widthtype pixel --width 160 --heighttype pixel \
      --height 28 --transparent false >/dev/null 2>&1 &
    tray=$!
    sleep 1
  }
  tray=""
  trap 'for p in $(jobs -p) $tray; do kill "$p" 2>/dev/null || true; done; wait 2>/dev/null || true' EXIT
  # Starts the program in the background (pid in $pid); runtime folder as given.
  start() {
    (cd "$dir" && exec env -u QT_QPA_PLATFORMTHEME -u SESSION_MANAGER \
      -u DBUS_SESSION_BUS_ADDRESS HOME="$dir/home" XDG_CONFIG_HOME="$dir/config" \
      XDG_RUNTIME_DIR="${1:-$dir/runtime}" QT_QPA_PLATFORM=xcb "$dir/prog/Vaskel") \
      >>"$dir/program.log" 2>&1 &
    pid=$!
  }
  # The visible windows of a process, as "id title" lines.
  windows_of() {
    local id
    for id in $(xdotool search --all --onlyvisible --pid "$1" --name '.' 2>/dev/null || true); do
      echo "$id $(xdotool getwindowname "$id" 2>/dev/null || true)"
    done
  }
  wait_title() { # pid title
    local deadline=$((SECONDS + 20))
    until windows_of "$1" | cut -d' ' -f2- | grep -Fxq -- "$2"; do
      kill -0 "$1" 2>/dev/null || fail "the program ended before showing \"$2\""
      [ $SECONDS -lt $deadline ] || fail "no window \"$2\""
      sleep 0.1
    done
  }
  # Waits for the process to end within the seconds given and checks its exit status.
  expect_end() { # pid seconds status
    local deadline=$(($(date +%s%N) + $2 * 1000000000)) rc=0
    while kill -0 "$1" 2>/dev/null && [ "$(date +%s%N)" -lt $deadline ]; do sleep 0.02; done
    if kill -0 "$1" 2>/dev/null; then
      kill -9 "$1" 2>/dev/null || true
      fail "the program did not end within $2 s"
    fi
    wait "$1" || rc=$?
    [ "$rc" = "$3" ] || fail "the program ended with status $rc, expected $3"
  }
  # Opens the tray menu with a right click on the icon and chooses the end command (key x).
  # Qt closes an open pop-up when the icon's window is shown again, as it is when the
  # notification area announces itself once more: then it is tried again, as a user would.
  tray_end() {
    local icon attempt deadline=$((SECONDS + 20))
    until icon=$(xdotool search --class Vaskel 2>/dev/null | while read -r id; do
      xdotool getwindowgeometry "$id" | grep -q 'Geometry: 2[0-9]x2[0-9]' && echo "$id"
    done | head -n1) && [ -n "$icon" ]; do
      [ $SECONDS -lt $deadline ] || fail "no tray icon"
      sleep 0.2
    done
    for attempt in 1 2 3; do
      sleep 0.5
      xdotool mousemove --window "$icon" 8 8 click 3
      sleep 1
      xdotool key x # 常駐の終了(&X)
      for _ in $(seq 30); do kill -0 "$pid" 2>/dev/null || return 0; sleep 0.1; done
    done
  }
  # A sanitizer build spends a moment on its own checks at exit.
  quick=1
  ldd "$dir/prog/Vaskel" | grep -q libasan && quick=5
  # Focuses the process's window of the title and presses the key.
  press_in() { # pid title key
    local id
    id=$(windows_of "$1" | awk -v t="$2" '{ i = $1; sub(/^[^ ]+ /, ""); if ($0 == t) print i }' |
      head -n1)
    [ -n "$id" ] || fail "no window \"$2\" to press $3 in"
    xdotool windowfocus --sync "$id" key "$3"
  }
}

# ---------------------------------------------------------------- the rows

tray_end_shown() {
  with_tray
  settings 'StartUp=0' 'Stationed=True' 'TaskTray=0'
  start
  wait_title "$pid" Vaskel
  tray_end
  expect_end "$pid" 10 0
}

tray_end_hidden() {
  with_tray
  settings 'StartUp=0' 'Stationed=True' 'TaskTray=1'
  start
  tray_end
  expect_end "$pid" 10 0
}

term_during_today() {
  settings 'StartUp=1' 'Stationed=False'
  sql "INSERT INTO T_Schedule VALUES ('$(date +%F)', '朝会')"
  start
  wait_title "$pid" 今日の予定
  kill -TERM "$pid"
  expect_end "$pid" "$quick" 0
  # The start's running period was committed before the window waited.
  [ "$(sql 'SELECT count(*) FROM T_WorkTime')" = 1 ] || fail "no running period recorded"
}

term_during_no_tray_notice() {
  settings 'StartUp=0' 'Stationed=True' 'TaskTray=1'
  start
  wait_title "$pid" Vaskel # the notice: the main window is not shown before it is answered
  kill -TERM "$pid"
  expect_end "$pid" "$quick" 0
}

second_starts() {
  settings 'StartUp=0' 'Stationed=False'
  # The first start's runtime folder is open to everyone: its socket goes elsewhere.
  start "$dir/shared"
  local first=$pid periods
  wait_title "$first" Vaskel
  periods=$(sql 'SELECT count(*) FROM T_WorkTime')
  # Another start with a shared runtime folder finds the first and brings it forward.
  start "$dir/shared"
  expect_end "$pid" 10 0
  # Another login: another runtime folder. The guard beside the database still holds, and
  # the start says that the program runs already.
  start "$dir/other-runtime"
  wait_title "$pid" Vaskel
  press_in "$pid" Vaskel Return
  expect_end "$pid" 10 0
  kill -0 "$first" 2>/dev/null || fail "the first program ended"
  [ "$(sql 'SELECT count(*) FROM T_WorkTime')" = "$periods" ] || fail "a second start wrote"
  kill -TERM "$first"
  expect_end "$first" 10 0
}

export BUILD=$build WORK=$work
row "常駐の終了 from the tray menu, window shown" tray_end_shown
row "常駐の終了 from the tray menu, window hidden" tray_end_hidden
row "SIGTERM while today's schedule is open" term_during_today
row "SIGTERM while the no-tray notice is open" term_during_no_tray_notice
row "second starts: shared and other runtime folders" second_starts

[ "$failures" = 0 ] || { echo "$failures row(s) failed"; exit 1; }
echo "PASS: ends"
