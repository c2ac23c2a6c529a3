#!/usr/bin/env bash
# Configures and builds into build/ (Release with debug information). In CI (CI=true) every
# warning is an error.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ ! -f build/build.ninja ]; then
  cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
if [ "${CI:-}" = true ]; then
  cmake -S . -B build -DOSTRINO_WERROR=ON >/dev/null
fi
cmake --build build -j "$(nproc)"
