#!/usr/bin/env bash
# make install and make uninstall into a temporary prefix: the program runs from its own
# folder with a database beside it; a second install keeps the database; uninstall removes
# everything but the database. Arguments: the build folder, the source folder.
set -euo pipefail
build=$1
source=$2
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

cmake --install "$build" --prefix "$prefix" >/dev/null
for f in lib/vaskel/Vaskel lib/vaskel/Vaskel.pdb share/applications/vaskel.desktop \
         share/icons/hicolor/64x64/apps/vaskel.png; do
  [ -f "$prefix/$f" ] || fail "missing $f"
done
[ "$(readlink -f "$prefix/bin/vaskel")" = "$(readlink -f "$prefix/lib/vaskel/Vaskel")" ] ||
  fail "bin/vaskel does not lead to the program"
grep -qx "Exec=\"$prefix/lib/vaskel/Vaskel\"" "$prefix/share/applications/vaskel.desktop" ||
  fail "the desktop entry does not start the installed program"
grep -q '^Name\[ja\]=' "$prefix/share/applications/vaskel.desktop" || fail "no Japanese name"
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$prefix/share/applications/vaskel.desktop"
fi

# The user's data survives a second install and the uninstall.
echo "user data" >>"$prefix/lib/vaskel/Vaskel.pdb"
sum=$(md5sum <"$prefix/lib/vaskel/Vaskel.pdb")
cmake --install "$build" --prefix "$prefix" >/dev/null
[ "$(md5sum <"$prefix/lib/vaskel/Vaskel.pdb")" = "$sum" ] || fail "install replaced the database"

"$source/scripts/uninstall.sh" "$prefix" >/dev/null
[ "$(md5sum <"$prefix/lib/vaskel/Vaskel.pdb")" = "$sum" ] || fail "uninstall touched the database"
left=$(cd "$prefix" && find . -type f -o -type l | sort)
[ "$left" = "./lib/vaskel/Vaskel.pdb" ] || fail "left behind: $left"
echo "PASS"
