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
  out="$PWD/out/demo"
  mkdir -p "$out"
  echo
  echo "No display is available here (DISPLAY is not set), so the window cannot open."
  echo "Measuring the demonstration valve (ECC82 anode characteristics) on the simulated"
  echo "instrument instead; this takes about half a minute (heater ramp and sweep)."
  (cd "$out" && "$OLDPWD/build/app/ostrino3/Ostrino_3p11" --simulate \
      --batch "$OLDPWD/examples/demo_ECC82.oss" \
      --save-data demo.osd --save-plot demo.png --save-setup demo.oss)
  echo
  echo "Done. The plot, the data and the setup are in $out:"
  ls -l "$out"
  echo "On a desktop the same command opens the window; to see it here: xvfb-run -a build/app/ostrino3/Ostrino_3p11 --simulate"
  exit 0
fi
exec build/app/ostrino3/Ostrino_3p11 "${args[@]}"
