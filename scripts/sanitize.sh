#!/usr/bin/env bash
# Builds the tests with AddressSanitizer and UBSan into build-asan/ and runs them all.
# Any out-of-bounds access, use after free or undefined behaviour fails the run; in CI
# (CI=true) so does any warning.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
if [ ! -f build-asan/build.ninja ]; then
  cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DOSTRINO_SANITIZE=ON
fi
if [ "${CI:-}" = true ]; then
  cmake -S . -B build-asan -DOSTRINO_WERROR=ON >/dev/null
fi
cmake --build build-asan -j "$(nproc)"
cd build-asan
# Qt and the font libraries keep caches until exit; leaks are not what this run looks for.
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$(nproc)" --timeout 900
