#!/usr/bin/env bash
# Installs the Debian packages the build, the tests, the fuzzing (clang and its libFuzzer
# runtime) and `make run` need, when missing. The end-to-end test drives the program by
# keyboard (xdotool), fakes its clock (faketime), reads its windows through the accessibility
# bus (dbus, at-spi2, Python bindings) and its database (sqlite3). The calendar sync keeps its
# password in the desktop's secret store (QtKeychain); its tests run two CalDAV servers
# (Radicale, Xandikos) on loopback and check them with an independent client (python3-caldav).
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  qt6-base-dev libgl-dev libsqlite3-dev libical-dev
  libbenchmark-dev
  clang libclang-rt-14-dev
  xvfb xauth imagemagick trayer
  fonts-noto-cjk adwaita-icon-theme
  xdotool faketime sqlite3 dbus-daemon at-spi2-core gir1.2-atspi-2.0 python3-gi
  python3-icalendar
  qtkeychain-qt6-dev radicale xandikos python3-caldav
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
