#!/usr/bin/env bash
# Builds the Debian package of the consoles and the simulated instrument into dist/:
#   sudo apt-get install ./dist/ostrino_*.deb     (and apt-get purge ostrino to remove it)
set -euo pipefail
cd "$(dirname "$0")/.."
# dpkg-shlibdeps (dpkg-dev) and file work out the package's dependencies;
# desktop-file-validate checks the menu entries.
bash scripts/deps.sh dpkg-dev file desktop-file-utils
bash scripts/build.sh
rm -rf build/package
(cd build && cpack -G DEB)
mkdir -p dist
rm -f dist/ostrino_*.deb
cp build/package/ostrino_*.deb dist/
ls -l dist/ostrino_*.deb
