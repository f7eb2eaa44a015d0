#!/usr/bin/env bash
# End to end: starts the built program in a folder of its own with a new database, on a
# virtual display and a faked clock, and drives it by keyboard as a user would. It writes a
# day's schedule, pages to the next month and back, writes the diary, searches for both texts,
# exports both to an iCalendar file, sets an alarm and waits for it to fire, starts the program
# a second time (which must leave the first one alone and write nothing), ends the program,
# and starts it once more on a new database, into which it imports the file. Then it syncs
# with a calendar server (Radicale on loopback) set up through its window, sees another
# device's event in the grid and changes that event by editing its line. Each step is checked in what
# the windows show (their titles and what they tell a screen reader) and in the database.
#
#   tests/e2e/e2e.sh BUILD_DIR      (BUILD_DIR holds Vaskel and vaskel-newdb)
#
# It starts its own X server and session bus; on failure it names the step and leaves a
# screenshot, the screen reader's view and the program's output in BUILD_DIR/e2e-failure.
set -euo pipefail
export LC_ALL=C.UTF-8 TZ=UTC

if [ "${VASKEL_E2E_INSIDE:-}" != 1 ]; then
  export VASKEL_E2E_INSIDE=1
  exec "$(dirname "$0")/../common/xvfb.sh" dbus-run-session -- bash "$0" "$@"
fi

build=$(cd "${1:?usage: e2e.sh BUILD_DIR}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
python=/usr/bin/python3 # the system's, which has the accessibility bindings
faketime_lib=$(ls /usr/lib/*/faketime/libfaketime.so.1 2>/dev/null | head -n1 || true)

# The faked clock starts here and runs ten times as fast: the program's 50-second timer ticks
# every 5 seconds, so an alarm two minutes ahead fires within about 15 seconds.
start_time="2031-07-15 10:00:00"
speed=10

step="preparing"
begin() {
  step=$1
  echo "[${SECONDS}s] $step"
}
fail() {
  echo "FAIL at step \"$step\": $*" >&2
  diagnose
  exit 1
}

for tool in xdotool sqlite3 import "$python"; do
  command -v "$tool" >/dev/null || fail "$tool is missing (scripts/setup.sh installs it)"
done
[ -n "$faketime_lib" ] || fail "libfaketime is missing (scripts/setup.sh installs it)"
"$python" -c 'import gi; gi.require_version("Atspi", "2.0")' 2>/dev/null ||
  fail "the accessibility bindings are missing (scripts/setup.sh installs them)"

work=$(mktemp -d)
pid=""
cleanup() {
  if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
    kill "$pid" 2>/dev/null || true
    for _ in $(seq 30); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -9 "$pid" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT

# ---------------------------------------------------------------- what the user sees

# Titles of the windows on the screen, one a line.
titles() {
  local id
  for id in $(timeout 10 xdotool search --onlyvisible --name '.' 2>/dev/null || true); do
    timeout 10 xdotool getwindowname "$id" 2>/dev/null || true
  done
}

# The visible windows must be exactly these (a stray message box fails the step).
expect_windows() {
  local want have
  want=$(printf '%s\n' "$@" | sort)
  have=$(titles | sort)
  [ "$have" = "$want" ] || fail "windows on screen: [$(paste -sd'|' <<<"$have")]," \
    "expected [$(paste -sd'|' <<<"$want")]"
}

# Waits until a window with the title is on the screen (or gone, with "gone").
wait_window() {
  local title=$1 gone=${2:-} deadline=$((SECONDS + ${3:-15})) all
  while [ $SECONDS -lt $deadline ]; do
    all=$(titles)
    if grep -Fxq -- "$title" <<<"$all"; then
      [ -z "$gone" ] && return 0
    elif [ -n "$gone" ]; then
      return 0
    fi
    sleep 0.1
  done
  if [ -n "$gone" ]; then fail "the window \"$title\" did not close"; fi
  fail "the window \"$title\" did not appear"
}

# Gives the keyboard focus to the window with the title, as a window manager would on a
# click; without one, the focus does not come back to the main window when a dialog closes.
focus() {
  local id
  for id in $(timeout 10 xdotool search --onlyvisible --name '.' 2>/dev/null || true); do
    if [ "$(timeout 10 xdotool getwindowname "$id" 2>/dev/null)" = "$1" ]; then
      timeout 10 xdotool windowfocus --sync "$id" || fail "could not focus \"$1\""
      return 0
    fi
  done
  fail "no window \"$1\" to focus"
}

keys() { timeout 20 xdotool key --delay 40 "$@" || fail "xdotool key $*"; }
type_text() { timeout 60 xdotool type --delay "${2:-20}" -- "$1" || fail "xdotool type"; }

# What the program tells a screen reader, one object a line: window title, role, name, text
# (tab-separated; a line break in a text reads \n). With a title, of that window only.
a11y() { timeout 20 "$python" "$here/a11y.py" "$@" 2>/dev/null || true; }

# The names (or with "text", the texts) of one window's objects of one role, one a line.
shown() {
  A_TITLE=$1 A_ROLE=$2 A_COL=$([ "${3:-}" = text ] && echo 4 || echo 3) \
    awk -F'\t' '$1 == ENVIRON["A_TITLE"] && $2 == ENVIRON["A_ROLE"] { print $ENVIRON["A_COL"] }' \
    < <(a11y "$1")
}

# Types into the n-th text box of a window and waits until the box shows what was typed
# (a line break in the text is the Enter key). ASCII goes in runs. Every other character
# needs a key bound to it for the moment; the program looks that binding up only when it
# handles the key, so on a busy machine xdotool may have taken it back already and the
# character is lost: it is typed again.
type_into() {
  local title=$1 n=$2 text=$3 want have before c run tries deadline
  want=$(shown "$title" text text | sed -n "${n}p")
  while [ -n "$text" ]; do
    c=${text:0:1}
    if [ "$c" = $'\n' ]; then
      keys Return
      want+='\n'
      text=${text:1}
    elif [[ $c == [[:print:]] ]] && [ "$(printf '%d' "'$c")" -lt 128 ]; then
      run=${text%%[!\ -~]*}
      type_text "$run"
      want+=$run
      text=${text:${#run}}
    else
      before=$want
      want+=$c
      text=${text:1}
      for tries in 1 2 3; do
        type_text "$c" 200
        deadline=$((SECONDS + 2))
        while [ $SECONDS -lt $deadline ]; do
          have=$(shown "$title" text text | sed -n "${n}p")
          [ "$have" = "$want" ] && break 2
          [ "$have" = "$before" ] || break
          sleep 0.1
        done
        [ "$have" = "$before" ] || break
        echo "  typing \"$c\" again" >&2
      done
    fi
  done
  deadline=$((SECONDS + 10))
  while [ $SECONDS -lt $deadline ]; do
    have=$(shown "$title" text text | sed -n "${n}p")
    [ "$have" = "$want" ] && return 0
    sleep 0.2
  done
  fail "typed into \"$title\", which shows [$have], not [$want]"
}

# Waits until one window's object of the role shows exactly the text (trailing blanks aside).
wait_shown() {
  local what=$1 title=$2 role=$3 want=$4 col=${5:-} deadline=$((SECONDS + 15)) all
  while [ $SECONDS -lt $deadline ]; do
    all=$(shown "$title" "$role" $col | sed 's/ *$//')
    grep -Fxq -- "$want" <<<"$all" && return 0
    sleep 0.2
  done
  fail "the screen does not show $what: [$want]"
}

# The status bar panels of the main window, one a line: info, "ｱﾗｰﾑ", ON/OFF, date, time.
status_panels() {
  awk -F'\t' '$1 == "Vaskel" && $2 == "status bar" { on = 1; next }
               on && $2 == "label" { print $3 }
               on && $2 != "label" && $2 != "unknown" { on = 0 }' < <(a11y)
}

# Waits until the main window shows the month: its number beside its old Japanese name.
wait_month() {
  local names=(睦月 如月 弥生 卯月 皐月 水無月 文月 葉月 長月 神無月 霜月 師走)
  local deadline=$((SECONDS + 15))
  while [ $SECONDS -lt $deadline ]; do
    shown Vaskel label | M=$1 J="　${names[$1 - 1]}" awk '
      prev == ENVIRON["M"] && $0 == ENVIRON["J"] { found = 1 } { prev = $0 } END { exit !found }' &&
      return 0
    sleep 0.2
  done
  fail "the main window does not show the month $1"
}

wait_panel() {
  local n=$1 want=$2 deadline=$((SECONDS + 10)) got=""
  while [ $SECONDS -lt $deadline ]; do
    got=$(status_panels | sed -n "${n}p")
    [ "$got" = "$want" ] && return 0
    sleep 0.2
  done
  fail "the status bar's panel $n shows [$got], not [$want]"
}

open_file_menu() {
  keys alt+f
  local deadline=$((SECONDS + 10))
  until [ "$(timeout 10 xdotool search --onlyvisible --pid "$pid" 2>/dev/null | wc -l)" -ge 2 ]; do
    [ $SECONDS -lt $deadline ] || fail "the file menu did not open"
    sleep 0.1
  done
}

# Ends the program by its menu and checks that it ended well.
end_program() {
  focus Vaskel
  open_file_menu
  keys x # 終了(&X)
  local deadline=$((SECONDS + 15)) rc=0
  while kill -0 "$pid" 2>/dev/null && [ $SECONDS -lt $deadline ]; do sleep 0.1; done
  kill -0 "$pid" 2>/dev/null && fail "the program did not end"
  wait "$pid" || rc=$?
  pid=""
  [ "$rc" = 0 ] || fail "the program ended with exit code $rc"
}

# ---------------------------------------------------------------- what the database holds

db=$work/prog/Vaskel.pdb
sql() { sqlite3 -readonly -cmd '.timeout 5000' "$db" "$1" || fail "sqlite3: $1"; }
expect_sql() {
  local got
  got=$(sql "$1")
  [ "$got" = "$2" ] || fail "database: $1 gave [$got], expected [$2]"
}

# ---------------------------------------------------------------- dates as the program writes them

weekday() { # Japanese weekday of an ISO date
  local names="日月火水木金土"
  echo "${names:$(date -d "$1" +%w):1}"
}
schedule_title() { echo "$(date -d "$1" +%Y年%m月%d日)（$(weekday "$1")）の予定"; }
diary_title() { echo "$(date -d "$1" +%m月%d日)（$(weekday "$1")）の日記"; }

diagnose() {
  [ -n "${work:-}" ] && [ -d "$work" ] || return 0
  local out=$build/e2e-failure
  rm -rf "$out" && mkdir -p "$out"
  import -window root "$out/screen.png" 2>/dev/null || true
  a11y >"$out/a11y.txt"
  titles >"$out/windows.txt"
  cp "$work/program.log" "$out/" 2>/dev/null || true
  cp "$db" "$out/" 2>/dev/null || true
  echo "windows: $(paste -sd'|' "$out/windows.txt"); details in $out" >&2
  echo "--- program output:" >&2
  cat "$work/program.log" >&2 2>/dev/null || true
}

# ---------------------------------------------------------------- start

begin "start with a new database"
mkdir -p "$work/prog" "$work/config/Vaskel" "$work/home/Documents"
mkdir -m 700 "$work/runtime"
# The program opens the database beside its own executable: it needs a folder of its own.
cp "$build/Vaskel" "$work/prog/Vaskel"
"$build/vaskel-newdb" "$db" >/dev/null || fail "vaskel-newdb could not create the database"
# Not resident: closing the main window ends the program. No today's-schedule window.
printf '[Calender]\nStartUp=0\nStationed=False\n' >"$work/config/Vaskel/Vaskel.ini"

# A sanitizer runtime must come first among the preloaded libraries.
preload=$faketime_lib
asan=$(ldd "$work/prog/Vaskel" | awk '/libasan/ { print $3 }')
[ -n "$asan" ] && preload=$asan:$preload

# The accessibility bus comes up first, so that the program joins it as it starts.
a11y >/dev/null
launch() {
  cd "$work"
  exec env -u QT_QPA_PLATFORMTHEME -u SESSION_MANAGER HOME="$work/home" \
    XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime" \
    QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 \
    LD_PRELOAD="$preload" FAKETIME="@$start_time x$speed" \
    "$work/prog/Vaskel"
}
(launch) >"$work/program.log" 2>&1 &
pid=$!

wait_window Vaskel
expect_windows Vaskel
wait_shown "the main window" Vaskel frame Vaskel
focus Vaskel

# Today is what the program's status bar says; it must be the faked day.
begin "read today from the status bar"
wait_panel 4 "$(date -d "${start_time%% *}" +%Y/%m/%d)"
wait_panel 3 OFF
today=${start_time%% *}
this_month=$(date -d "$today" +%-m)
next_day=$(date -d "$today +1 month" +%F) # the selected day of month carries over
next_month=$(date -d "${today:0:8}01 +1 month" +%-m)
wait_month "$this_month"

# ---------------------------------------------------------------- schedule

begin "write today's schedule"
schedule='会議 E2E-予定 "資料"'
editor=$(schedule_title "$today")
keys Return
wait_window "$editor"
expect_windows Vaskel "$editor"
focus "$editor"
type_into "$editor" 1 "$schedule"$'\n'"15時から"
# No default button: Enter belongs to the text, so Tab to OK and press it.
keys Tab Return
wait_window "$editor" gone
expect_windows Vaskel
expect_sql "SELECT Date || '|' || Schedule FROM T_Schedule" "$today|$schedule
15時から"
in_grid="$schedule\\n15時から" # as the screen reader has it
wait_shown "the schedule in the month grid" Vaskel label "$in_grid"

begin "page to the next month"
focus Vaskel
keys Next
wait_month "$next_month"
grep -Fxq -- "$in_grid" <<<"$(shown Vaskel label)" && fail "the next month shows the schedule"
keys Return
wait_window "$(schedule_title "$next_day")"
wait_shown "the editor" "$(schedule_title "$next_day")" dialog "$(schedule_title "$next_day")"
wait_shown "the empty schedule of $next_day" "$(schedule_title "$next_day")" text "" text
keys Escape
wait_window "$(schedule_title "$next_day")" gone
expect_windows Vaskel
expect_sql "SELECT count(*) FROM T_Schedule" 1

begin "page back"
focus Vaskel
keys Prior
wait_month "$this_month"
wait_shown "the schedule in the month grid again" Vaskel label "$in_grid"
keys Return
wait_window "$editor"
wait_shown "the stored schedule in the editor" "$editor" text "$in_grid" text
keys Escape
wait_window "$editor" gone
expect_windows Vaskel

# ---------------------------------------------------------------- diary

begin "write the diary"
diary=$(diary_title "$today")
focus Vaskel
keys ctrl+d
wait_window "$diary"
expect_windows Vaskel "$diary"
focus "$diary"
type_into "$diary" 1 "E2E-日記 一行目"$'\n'"二行目"
keys Tab Return # OK follows the text
wait_window "$diary" gone
expect_windows Vaskel
expect_sql "SELECT Date || '|' || Diary FROM T_Diary" "$today|E2E-日記 一行目
二行目"

# ---------------------------------------------------------------- search

begin "search"
focus Vaskel
keys ctrl+f
wait_window 検索
focus 検索
type_text "E2E"
keys Return # the search button is the default
d=$(date -d "$today" +%Y/%m/%d)
wait_shown "the schedule among the results" 検索 "list item" \
  "$d | 予定     | 会議 E2E-予定 \"資料\" 15時から"
wait_shown "the diary among the results" 検索 "list item" "$d | 日記     | E2E-日記 一行目 二行目"
[ "$(shown 検索 "list item" | wc -l)" = 2 ] || fail "the search lists more than the two entries"
expect_windows Vaskel 検索 # no message box
keys Escape
wait_window 検索 gone
expect_windows Vaskel

# ---------------------------------------------------------------- iCalendar export

begin "export to an iCalendar file"
ics=$work/home/Documents/Vaskel.ics # the dialog's default file
focus Vaskel
open_file_menu
keys e # iCalendar書き出し(&E)...
wait_window iCalendar書き出し
expect_windows Vaskel iCalendar書き出し
focus iCalendar書き出し
keys alt+d # the diary is off by default
keys Return # OK has the focus
wait_shown "the export's count" iCalendar書き出し label \
  "予定 1件、日記 1件、記念日 0件、休日 0件を書き出しました。"
keys Return
wait_window iCalendar書き出し gone
expect_windows Vaskel
grep -q '^UID:schedule-'"${today//-/}"'@vaskel' "$ics" || fail "the file has no schedule of $today"
grep -q '^BEGIN:VJOURNAL' "$ics" || fail "the file has no diary"
exported=$(sql "SELECT Date, Schedule FROM T_Schedule; SELECT Date, Diary FROM T_Diary")

# ---------------------------------------------------------------- alarm

begin "set an alarm"
focus Vaskel
keys ctrl+a
wait_window "ｱﾗｰﾑの設定"
focus "ｱﾗｰﾑの設定"
# The dialog offers the present minute: the program's own clock.
now=""
deadline=$((SECONDS + 10))
while [ -z "$now" ] && [ $SECONDS -lt $deadline ]; do
  mapfile -t f < <(shown "ｱﾗｰﾑの設定" text text)
  if [ ${#f[@]} -ge 5 ] && [ -n "${f[4]}" ]; then
    now=$(printf '%04d-%02d-%02d %02d:%02d' "${f[0]}" "${f[1]}" "${f[2]}" "${f[3]}" "${f[4]}")
  else
    sleep 0.2
  fi
done
[ -n "$now" ] || fail "the alarm dialog does not offer the present time"
[ "${now%% *}" = "$today" ] || fail "the alarm dialog offers the day ${now%% *}, not $today"
# Two minutes ahead, so that the whole alarm minute lies after the registration however long
# the typing takes: a tick falls into every minute.
alarm_epoch=$(($(date -d "$now" +%s) + 120))
alarm=$(date -d "@$alarm_epoch" '+%Y-%m-%d %H:%M')
read -r ay am ad ah an <<<"$(date -d "@$alarm_epoch" '+%Y %-m %-d %-H %-M')"
# Each field selects its text when it gets the focus, so typing replaces it.
for v in "$ay" "$am" "$ad" "$ah" "$an"; do
  type_text "$v"
  keys Tab
done
type_into "ｱﾗｰﾑの設定" 6 "E2E アラーム"
keys Tab space # 設定
wait_window "ｱﾗｰﾑの設定" gone
expect_windows Vaskel
expect_sql "SELECT AlarmTime || '|' || AlarmDetail FROM T_Alarm" "$alarm:00|E2E アラーム"
wait_panel 3 ON

begin "the alarm fires"
notice=$(date -d "@$alarm_epoch" '+%Y年%m月%d日 %H時%M分です。')
wait_window "$notice" "" 60
# The tick that opened it recorded its time: it fired within the alarm's own minute.
fired=$(sql "SELECT max(EndTime) FROM T_WorkTime")
[ "${fired:0:16}" = "$alarm" ] || fail "the alarm for $alarm fired at $fired"
expect_windows Vaskel "$notice"
wait_shown "the alarm's detail" "$notice" label "E2E アラーム"
focus "$notice"
keys Return # OK is the default button
wait_window "$notice" gone
expect_windows Vaskel
expect_sql "SELECT count(*) FROM T_Alarm" 0
wait_panel 3 OFF

# ---------------------------------------------------------------- one instance

begin "start the program a second time"
periods=$(sql "SELECT count(*) || '|' || min(StartTime) FROM T_WorkTime")
rc=0
timeout 20 bash -c "$(declare -f launch); work='$work' preload='$preload' \
  start_time='$start_time' speed='$speed' launch" >"$work/second.log" 2>&1 || rc=$?
[ "$rc" = 0 ] || fail "the second start ended with exit code $rc: $(cat "$work/second.log")"
kill -0 "$pid" 2>/dev/null || fail "the first program ended"
expect_windows Vaskel
expect_sql "SELECT count(*) || '|' || min(StartTime) FROM T_WorkTime" "$periods"

# ---------------------------------------------------------------- end

begin "end the program"
end_program
# One running period, from the start to at least the alarm's tick.
expect_sql "SELECT count(*) FROM T_WorkTime WHERE StartTime LIKE '$today %' AND EndTime >= '$alarm'" 1
expect_sql "SELECT count(*) FROM T_Schedule" 1
expect_sql "SELECT count(*) FROM T_Diary" 1

# ---------------------------------------------------------------- iCalendar import

begin "import the file into a new database"
rm -f "$db"
"$build/vaskel-newdb" "$db" >/dev/null || fail "vaskel-newdb could not create the database"
(launch) >>"$work/program.log" 2>&1 &
pid=$!
wait_window Vaskel
focus Vaskel
open_file_menu
keys i # iCalendar読み込み(&I)...
wait_window iCalendar読み込み
focus iCalendar読み込み
type_into iCalendar読み込み 1 "$ics" # the file's box has the focus
keys Return # OK, the default button
wait_shown "the import's question" iCalendar読み込み label \
  "予定 2件、日記 1件、記念日 0件を読み込みます。よろしいですか？" # lines
keys shift+Tab Return # the question's default is Cancel
wait_shown "the import's count" iCalendar読み込み label "予定 2件、日記 1件、記念日 0件を読み込みました。"
keys Return
wait_window iCalendar読み込み gone
expect_windows Vaskel
[ "$(sql "SELECT Date, Schedule FROM T_Schedule; SELECT Date, Diary FROM T_Diary")" = "$exported" ] ||
  fail "the new database does not hold what was exported"
wait_shown "the imported schedule in the month grid" Vaskel label "$in_grid"

# ---------------------------------------------------------------- calendar sync

begin "set up the sync with a calendar server"
port=$("$python" -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
mkdir -p "$work/dav"
echo "user:secret" >"$work/dav/users"
printf '[server]\nhosts = 127.0.0.1:%s\n[auth]\ntype = htpasswd\nhtpasswd_filename = %s\nhtpasswd_encryption = plain\ndelay = 0\n[storage]\nfilesystem_folder = %s\n[rights]\ntype = owner_only\n[web]\ntype = none\n[logging]\nlevel = error\n' \
  "$port" "$work/dav/users" "$work/dav/storage" >"$work/dav/config"
radicale -C "$work/dav/config" >"$work/dav/log" 2>&1 &
dav_pid=$!
trap 'kill "$dav_pid" 2>/dev/null || true; cleanup' EXIT
for _ in $(seq 100); do
  "$python" -c "import socket; socket.create_connection(('127.0.0.1', $port), 1)" 2>/dev/null && break
  sleep 0.1
done
peer() { "$python" "$here/../sync/dav_peer.py" "$1" "$calendar" user secret "${@:2}"; }
sync_title=カレンダー同期
focus Vaskel
keys alt+o
keys y # カレンダー同期(&Y)...
wait_window $sync_title
focus $sync_title
type_into $sync_title 1 "http://127.0.0.1:$port/" # the address has the focus
keys Tab Tab                                        # past カレンダーを探す to the user name
type_into $sync_title 2 "user"
keys Tab
type_text "secret"
keys alt+f # カレンダーを探す: the server has none yet
wait_shown "that there is no calendar" $sync_title label \
  "予定を置けるカレンダーがありません。新しいカレンダーを作って下さい。"
keys Return
keys alt+n # 新しいカレンダー
calendar="http://127.0.0.1:$port/user/"
deadline=$((SECONDS + 15))
until grep -q "(http://127.0.0.1:$port/user/.*/)" <<<"$(shown $sync_title "combo box")"; do
  [ $SECONDS -lt $deadline ] || fail "the new calendar is not offered"
  sleep 0.2
done
calendar=$(shown $sync_title "combo box" | sed -n 's/.*(\(http[^)]*\)).*/\1/p' | head -n1)

begin "sync"
wait_last_sync() { # the set-up window's line on the last sync, up to the outcome
  local deadline=$((SECONDS + 30)) got=""
  while [ $SECONDS -lt $deadline ]; do
    got=$(shown $sync_title label | grep '^前回の同期: ' || true)
    grep -q "成功 $1\$" <<<"$got" && return 0
    sleep 0.2
  done
  fail "the last sync shows [$got], not [成功 $1]"
}
keys alt+y # 今すぐ同期
wait_last_sync "受信 0件、送信 1件" # the schedule; the diary is not synced
[ "$(peer list | "$python" -c 'import json, sys; print([i["description"] for i in json.load(sys.stdin)])')" = \
  "['$schedule\n15時から']" ] || fail "the server does not hold the schedule: $(peer list)"

begin "another device's event shows in the grid"
day=${today//-/}
printf 'BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//phone//EN\r\nBEGIN:VEVENT\r\nUID:phone-1@example.com\r\nDTSTAMP:20310101T000000Z\r\nDTSTART:%sT150000Z\r\nDTEND:%sT160000Z\r\nSUMMARY:Dentist\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n' \
  "$day" "$day" >"$work/phone.ics"
peer put "$work/phone.ics" >/dev/null || fail "the other device could not add its event"
keys alt+y
wait_last_sync "受信 1件、送信 0件"
keys Escape
wait_window $sync_title gone
wait_shown "the event's line in the month grid" Vaskel label "$in_grid\n15:00 Dentist"

begin "its line edited here changes the event on the server"
focus Vaskel
keys Return
wait_window "$editor"
focus "$editor"
keys ctrl+End shift+Home
type_text "15:00 Dentist moved"
keys Tab Return
wait_window "$editor" gone
deadline=$((SECONDS + 30))
until [ "$(peer list | "$python" -c 'import json, sys; print([i["summary"] for i in json.load(sys.stdin) if i["uid"] == "phone-1@example.com"])')" = "['Dentist moved']" ]; do
  [ $SECONDS -lt $deadline ] || fail "the event on the server was not changed: $(peer list)"
  sleep 0.5
done
expect_sql "SELECT replace(Schedule, char(13), '') FROM T_Schedule" "$schedule
15時から
15:00 Dentist moved"
end_program

echo "PASS: e2e in ${SECONDS}s"
