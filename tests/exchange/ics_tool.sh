#!/usr/bin/env bash
# vaskel-ics on a database of its own: a wrong command line, a missing database, and an
# export that an independent parser reads.
set -euo pipefail
build=$1
here=$(cd "$(dirname "$0")" && pwd)
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
ics=$build/vaskel-ics
"$build/vaskel-newdb" "$dir/my.pdb" >/dev/null
sqlite3 "$dir/my.pdb" "INSERT INTO T_Schedule VALUES ('2026-09-22', '連休'||char(10)||'旅行');
  INSERT INTO T_Diary VALUES ('2026-09-22', '日記');
  INSERT INTO T_WhatDay (Month, Day, WhatDay) VALUES (2, 29, '閏日');"

status() { set +e; "$@" >/dev/null 2>"$dir/err"; echo $?; set -e; }
[ "$(status "$ics" export)" = 2 ]
[ "$(status "$ics" export "$dir/a.ics" --dry-run)" = 2 ]
[ "$(status "$ics" export "$dir/a.ics" --holidays 2027-2026 --db "$dir/my.pdb")" = 2 ]
[ "$(status "$ics" export "$dir/a.ics" --db "$dir/none.pdb")" = 1 ]
[ "$(wc -l <"$dir/err")" = 1 ] && grep -q "^vaskel-ics: $dir/a.ics: " "$dir/err"
[ ! -e "$dir/a.ics" ]

out=$("$ics" export "$dir/a.ics" --diary --holidays 2026-2026 --db "$dir/my.pdb")
[ "$out" = "vaskel-ics: wrote 1 schedules, 1 diary entries, 1 anniversaries, 18 holidays to $dir/a.ics" ]
summary=$(/usr/bin/python3 "$here/read_ics.py" "$dir/a.ics" | /usr/bin/python3 -c '
import json, sys
rows = [json.loads(l) for l in sys.stdin][1:]
print(" ".join(sorted({r["kind"] + ":" + r["uid"].split("-")[0] for r in rows})), len(rows))')
[ "$summary" = "VEVENT:anniversary VEVENT:holiday VEVENT:schedule VJOURNAL:diary 21" ]
echo "1 passed, 0 failed"
