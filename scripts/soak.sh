#!/usr/bin/env bash
# Soak test (not part of CI): N short sweeps in a row (default 500) with Ostrino_3p11
# --batch against ostrino-sim --line-rate, with a random link fault in 10 % of them.
#
#   bash scripts/soak.sh [N] [SEED]
#
# Checks, for every run:
#   - a run without a fault exits 0, says nothing of a broken link, and its data file holds
#     every point of the setup;
#   - a run with a fault exits 1 and reports it exactly once ("Fix Connection ..."), and its
#     data file holds exactly the points the instrument answered before the fault (counted
#     from the simulator's log of the commands it received);
#   - memory does not grow: the resident size of the simulator that serves every run without
#     a fault is taken at the start and the end, and the console's peak of the first runs
#     against that of the last ones.
# Everything goes to out/soak/ (one data file and one log per run); a summary ends it.
set -euo pipefail
cd "$(dirname "$0")/.."
runs="${1:-500}"
seed="${2:-$$}"
RANDOM=$seed

bash scripts/deps.sh time
bash scripts/build.sh >/dev/null
root="$PWD"
console="$root/build/app/ostrino3/Ostrino_3p11"
simulator="$root/build/sim/ostrino-sim"
out="$root/out/soak"
rm -rf "$out"
mkdir -p "$out/runs"
cd "$out"

# A short sweep: 7 grid voltages, 3 anode voltages each.
sed 's/^ 30           Variable 1 number of intervals/ 2            Variable 1 number of intervals/' \
  "$root/examples/demo_ECC82.oss" >soak.oss
points_per_run=21
message="Fix Connection with Ostrino and Restart Measurement"
# The commands of a run: settings, ping, ten heater steps, settings, then one measure
# command ("10") per point. A fault at or before the last measure command always shows.
last_measure=$((12 + points_per_run))

rss_kb() { awk '/^VmRSS:/ {print $2}' "/proc/$1/status"; }

# Starts a simulator with the given options (its log of commands into the file named
# first); sets sim_pid and sim_device.
start_sim() {
  local log="$1"
  shift
  "$simulator" --line-rate --log "$@" >sim.device 2>"$log" &
  sim_pid=$!
  sim_device=""
  for _ in $(seq 100); do
    sim_device=$(head -n 1 sim.device 2>/dev/null || true)
    [ -n "$sim_device" ] && return 0
    sleep 0.05
  done
  echo "ostrino-sim did not start" >&2
  exit 1
}
stop_sim() {
  kill "$1" 2>/dev/null || true
  wait "$1" 2>/dev/null || true
}
# No simulator outlives the script, whatever ends it.
sim_pid=""
clean_pid=""
trap 'for p in $sim_pid $clean_pid; do kill "$p" 2>/dev/null || true; done' EXIT

# The runs that get a fault: a tenth of them, chosen at random.
faulty_count=$(((runs + 5) / 10))
declare -A faulty=()
while ((${#faulty[@]} < faulty_count)); do
  faulty[$((RANDOM % runs + 1))]=1
done
kinds=(wrong-echo silent truncated bad-gain)

start_sim "$out/sim-clean.log" --measure-time 0.005
clean_pid=$sim_pid
clean_device=$sim_device
sim_rss_start=$(rss_kb "$clean_pid")
echo "soak: $runs runs, $faulty_count with a fault (seed $seed); clean runs on $clean_device"

failures=0
faults_reported=0
first_peaks=()
last_peaks=()
window=$(((runs + 9) / 10))  # first and last tenth of the runs for the console's peak
started=$(date +%s)
for ((i = 1; i <= runs; i++)); do
  data="runs/run$i.osd"
  log="runs/run$i.log"
  if [ -n "${faulty[$i]:-}" ]; then
    kind=${kinds[$((RANDOM % 4))]}
    after=$((RANDOM % (last_measure + 1)))
    case $kind in
      truncated) position=$((RANDOM % 38)) ;;
      *) position=$((RANDOM % 18 + 1)) ;;
    esac
    simlog="runs/run$i.sim.log"
    start_sim "$simlog" --measure-time 0.005 --fault "$kind" --fault-after "$after" \
      --fault-position "$position"
    device=$sim_device
    what="fault $kind after $after commands at position $position"
  else
    kind=""
    simlog="sim-clean.log"
    device=$clean_device
    lines_before=$(wc -l <"$simlog")
    what="no fault"
  fi

  status=0
  /usr/bin/time -f "peak %M" -o "runs/run$i.time" \
    "$console" --serial "$device" --batch soak.oss --save-data "$data" >"$log" 2>&1 || status=$?
  peak=$(awk '/^peak/ {print $2}' "runs/run$i.time")
  reported=$(grep -c "$message" "$log" || true)
  measured=-1  # no data file at all
  if [ -f "$data" ]; then
    measured=$(($(grep -c $'\r$' "$data" || true) - 1))  # without the heading
  fi

  if [ -n "$kind" ]; then
    # Measure commands the simulator answered before the fault: those among the first
    # $after complete commands it received.
    expected=$(head -n "$after" "$simlog" | grep -c '^command 10' || true)
    stop_sim "$sim_pid"
    want_status=1
    want_reported=1
    faults_reported=$((faults_reported + reported))
  else
    expected=$(tail -n +"$((lines_before + 1))" "$simlog" | grep -c '^command 10' || true)
    want_status=0
    want_reported=0
    if ((expected != points_per_run)); then
      echo "run $i: the simulator saw $expected measure commands, not $points_per_run" >&2
      failures=$((failures + 1))
    fi
  fi

  problem=""
  ((status == want_status)) || problem+=" exit status $status (expected $want_status);"
  ((reported == want_reported)) || problem+=" the fault was reported $reported times;"
  ((measured == expected)) || problem+=" the data file holds $measured points, $expected were measured;"
  if [ -n "$problem" ]; then
    echo "run $i ($what): FAILED:$problem see $out/$log" >&2
    failures=$((failures + 1))
  elif [ -n "$kind" ]; then
    echo "run $i: $what: reported once, $measured points kept"
  fi
  if ((i == 1)); then
    sim_rss_warm=$(rss_kb "$clean_pid")  # after its first run
  fi
  if ((i <= window)); then
    first_peaks+=("$peak")
  fi
  if ((i > runs - window)); then
    last_peaks+=("$peak")
  fi
  if ((i % 10 == 0 || i == runs)); then
    echo "run $i of $runs: $((($(date +%s) - started) / 60)) min, $failures failed," \
      "simulator RSS $(rss_kb "$clean_pid") kB, console peak $peak kB"
  fi
done
sim_rss_end=$(rss_kb "$clean_pid")
stop_sim "$clean_pid"

max() { printf '%s\n' "$@" | sort -n | tail -n 1; }
first_peak=$(max "${first_peaks[@]}")
last_peak=$(max "${last_peaks[@]}")
echo
echo "Soak summary: $runs runs in $((($(date +%s) - started) / 60)) min, seed $seed"
echo "  runs with a fault:       $faulty_count, faults reported: $faults_reported"
echo "  failed checks:           $failures"
echo "  simulator RSS:           $sim_rss_start kB at the start, $sim_rss_warm kB after the" \
  "first run, $sim_rss_end kB at the end"
echo "  console peak RSS:        $first_peak kB (first $window runs), $last_peak kB (last $window)"
if ((sim_rss_end > sim_rss_warm + 512)); then
  echo "the simulator grew by $((sim_rss_end - sim_rss_warm)) kB after its first run" >&2
  failures=$((failures + 1))
fi
if ((last_peak > first_peak + first_peak / 20)); then
  echo "the console's peak grew from $first_peak kB to $last_peak kB" >&2
  failures=$((failures + 1))
fi
if ((failures > 0 || faults_reported != faulty_count)); then
  echo "SOAK FAILED" >&2
  exit 1
fi
echo "Soak passed."
