#!/usr/bin/env bash
# vaskel-ics on a database of its own: a wrong command line, a missing database, an export
# that an independent parser reads, and its import into a fresh database, twice.
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

# Into a fresh database: the same rows; a dry run and a second import write nothing.
"$build/vaskel-newdb" "$dir/fresh.pdb" >/dev/null
rows() { sqlite3 "$1" "SELECT 'S', Date, hex(Schedule) FROM T_Schedule WHERE Schedule <> ''
  UNION ALL SELECT 'D', Date, hex(Diary) FROM T_Diary
  UNION ALL SELECT 'W', Month, Day || hex(WhatDay) FROM T_WhatDay ORDER BY 1, 2, 3"; }
before=$(sha1sum <"$dir/fresh.pdb")
out=$("$ics" import "$dir/a.ics" --dry-run --db "$dir/fresh.pdb")
[ "$out" = "vaskel-ics: would read 2 schedule lines, 1 diary entries, 1 anniversaries from $dir/a.ics (dry run: nothing written)" ]
[ "$(sha1sum <"$dir/fresh.pdb")" = "$before" ]
out=$("$ics" import "$dir/a.ics" --db "$dir/fresh.pdb")
[ "$out" = "vaskel-ics: read 2 schedule lines, 1 diary entries, 1 anniversaries from $dir/a.ics" ]
[ "$(rows "$dir/fresh.pdb")" = "$(rows "$dir/my.pdb")" ]
out=$("$ics" import "$dir/a.ics" --db "$dir/fresh.pdb")
[ "$out" = "vaskel-ics: read 0 schedule lines, 0 diary entries, 0 anniversaries from $dir/a.ics" ]
[ "$(rows "$dir/fresh.pdb")" = "$(rows "$dir/my.pdb")" ]
printf 'not a calendar\n' >"$dir/bad.ics"
before=$(sha1sum <"$dir/fresh.pdb")
[ "$(status "$ics" import "$dir/bad.ics" --db "$dir/fresh.pdb")" = 1 ]
[ "$(wc -l <"$dir/err")" = 1 ] && grep -q "^vaskel-ics: $dir/bad.ics: " "$dir/err"
[ "$(sha1sum <"$dir/fresh.pdb")" = "$before" ]
echo "1 passed, 0 failed"
