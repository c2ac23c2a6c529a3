#!/usr/bin/env bash
# Installs the package that scripts/package.sh built (as root), starts the programs from
# /usr/bin, removes the package again and checks that none of its files is left behind.
set -euo pipefail
cd "$(dirname "$0")/.."
debs=(dist/ostrino_*.deb)
if [ ! -f "${debs[0]}" ]; then
  echo "no package in dist/: run scripts/package.sh first" >&2
  exit 1
fi
deb="${debs[0]}"
export DEBIAN_FRONTEND=noninteractive
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  sudo_cmd=(sudo)
fi
apt_get=("${sudo_cmd[@]}" apt-get -o DPkg::Lock::Timeout=300)

echo "== $deb"
dpkg-deb --field "$deb"
dpkg-deb --contents "$deb"

"${apt_get[@]}" install -y "./$deb"
files=$(dpkg-query -L ostrino)

cd "$(mktemp -d)"  # the consoles write their files into the working folder
/usr/bin/Ostrino_3p11 --version
/usr/bin/Ostrino_1p2 --version
/usr/bin/ostrino-sim --help
for page in Ostrino_3p11 Ostrino_1p2 ostrino-sim; do
  test -f "/usr/share/man/man1/$page.1.gz"
done
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate /usr/share/applications/ostrino-3p11.desktop \
    /usr/share/applications/ostrino-1p2.desktop
fi
# The window opens (under Xvfb) and keeps running until it is closed.
if command -v xvfb-run >/dev/null; then
  for console in Ostrino_3p11 Ostrino_1p2; do
    status=0
    xvfb-run -a timeout 10 "/usr/bin/$console" --simulate >/dev/null 2>&1 || status=$?
    if [ "$status" -ne 124 ]; then
      echo "$console did not stay open under Xvfb (exit status $status)" >&2
      exit 1
    fi
    echo "$console: the window opened"
  done
fi
cd - >/dev/null

"${apt_get[@]}" purge -y ostrino
if dpkg-query -W -f='${Status}\n' ostrino 2>/dev/null | grep -q installed; then
  echo "ostrino is still installed" >&2
  exit 1
fi
left=0
while IFS= read -r f; do
  # Folders such as /usr/bin are shared with other packages; files must be gone.
  if [ -e "$f" ] && [ ! -d "$f" ]; then
    echo "left behind: $f" >&2
    left=1
  fi
done <<<"$files"
for d in /usr/share/doc/ostrino; do
  if [ -e "$d" ]; then
    echo "left behind: $d" >&2
    left=1
  fi
done
if [ "$left" -ne 0 ]; then
  exit 1
fi
echo "The package installed, ran and was removed without a trace."
