#!/usr/bin/env bash
# Installs, with apt, whatever the build and the tests need and is not there yet; packages
# named as arguments are added to the list (scripts/fuzz.sh, scripts/package.sh).
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config clang-format
  qt6-base-dev qt6-serialport-dev libgl-dev
  libsqlite3-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libceres-dev nlohmann-json3-dev ngspice
  xvfb xauth
  "$@"
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  if [ "$(id -u)" -ne 0 ]; then
    sudo_cmd=(sudo)
  fi
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -qq
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
