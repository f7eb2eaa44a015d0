#!/usr/bin/env bash
# Installs the Debian packages the build, the tests, the fuzzing (clang and its libFuzzer
# runtime) and `make run` need, when missing.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  qt6-base-dev libgl-dev libsqlite3-dev
  libbenchmark-dev
  clang libclang-rt-14-dev
  xvfb xauth imagemagick trayer
  fonts-noto-cjk adwaita-icon-theme
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
