#!/usr/bin/env bash
# vaskel-newdb: --help names the default, a run says where it wrote, a second run refuses.
set -euo pipefail
tool=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cd "$dir"
"$tool" --help | grep -q "Without PATH it writes Vaskel.pdb in the current folder"
[ "$("$tool")" = "vaskel-newdb: created $dir/Vaskel.pdb" ]
mkdir sub
[ "$("$tool" sub/../other.pdb)" = "vaskel-newdb: created $dir/other.pdb" ]
before=$(sha1sum Vaskel.pdb)
if "$tool" 2>/dev/null; then echo "an existing database was replaced"; exit 1; fi
[ "$(sha1sum Vaskel.pdb)" = "$before" ]
[ "$(LC_ALL=C ls)" = "$(printf 'Vaskel.pdb\nother.pdb\nsub')" ]
echo "1 passed, 0 failed"
