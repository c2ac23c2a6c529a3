#!/usr/bin/env bash
# Installs what is missing, builds, and starts Ostrino_3p11 on the simulated instrument.
# Extra arguments go to the program (for example --simulate=EL84 instead of the default valve).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
bash scripts/build.sh

args=("$@")
if ((${#args[@]} == 0)); then
  args=(--simulate)
fi

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo
  echo "No display is available here (DISPLAY is not set), so the window cannot open."
  echo "On a desktop, run this command again from a terminal there."
  echo "To see the window on this machine anyway: xvfb-run -a build/measure/Ostrino_3p11 --simulate"
  echo "Talking to the simulated instrument without a window:"
  build/measure/Ostrino_3p11 --simulate --ping
  exit 0
fi
exec build/measure/Ostrino_3p11 "${args[@]}"
