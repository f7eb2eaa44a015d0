#!/usr/bin/env bash
# Removes what `make install` put under PREFIX (default ~/.local). The database is never
# removed: it holds the user's data.
set -euo pipefail
prefix=${1:-$HOME/.local}
dir="$prefix/lib/vaskel"

if [ -L "$prefix/bin/vaskel" ]; then
  rm -f "$prefix/bin/vaskel"
fi
rm -f "$dir/Vaskel" "$dir/Vaskel.lock" \
  "$prefix/share/applications/vaskel.desktop" \
  "$prefix/share/icons/hicolor/64x64/apps/vaskel.png"
# The folder goes only when nothing is left in it.
rmdir "$dir" 2>/dev/null || true
if [ -e "$dir/Vaskel.pdb" ]; then
  echo "Kept the database: $dir/Vaskel.pdb"
fi
if command -v update-desktop-database >/dev/null && [ -d "$prefix/share/applications" ]; then
  update-desktop-database -q "$prefix/share/applications" || true
fi
echo "Vaskel removed from $prefix"
