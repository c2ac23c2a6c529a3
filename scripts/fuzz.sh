#!/usr/bin/env bash
# Builds the fuzz targets of the readers with clang and libFuzzer (ASan + UBSan) into
# build-fuzz/ and runs each for SECONDS (default 60), starting from tests/fuzz/corpus/.
#
#   bash scripts/fuzz.sh [SECONDS] [TARGET...]     targets: result_gen3 result_gen1
#                                                   calibration pins setup model_file
#                                                   library_record library_file (default all)
#
# FUZZ_RUNS=N stops a target after N executions instead (whichever comes first).
# New inputs the fuzzer finds stay in build-fuzz/corpus/; a crash stops the script with
# the input that caused it in build-fuzz/artifacts/ (put it into tests/fuzz/regressions/
# TARGET/ so the test suite replays it, and fix the reader).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
shift || true
targets=("$@")
if ((${#targets[@]} == 0)); then
  targets=(result_gen3 result_gen1 calibration pins setup model_file library_record library_file)
fi

bash scripts/deps.sh clang libclang-rt-14-dev
if [ ! -f build-fuzz/build.ninja ]; then
  launcher=()
  if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  fi
  CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DOSTRINO_FUZZ=ON -DOSTRINO_BUILD_TESTS=OFF "${launcher[@]}"
fi
cmake --build build-fuzz -j "$(nproc)" --target fuzzers

runs=()
if [ -n "${FUZZ_RUNS:-}" ]; then
  runs=(-runs="$FUZZ_RUNS")
fi
summary=()
for t in "${targets[@]}"; do
  # Absolute paths: some targets work in a scratch folder of their own.
  work="$PWD/build-fuzz/corpus/$t"
  artifacts="$PWD/build-fuzz/artifacts/$t/"
  log="$PWD/build-fuzz/fuzz_$t.log"
  # The library targets write an SQLite file for every input: in memory (/dev/shm) where
  # there is one, so that the disk does not set the pace.
  scratch="$PWD/build-fuzz/tmp/$t"
  if [ -d /dev/shm ] && [ -w /dev/shm ]; then
    scratch="/dev/shm/ostrino-fuzz-$$-$t"
  fi
  rm -rf "$scratch"
  mkdir -p "$work" "$artifacts" "$scratch"
  echo "== fuzzing $t for $seconds s (log: $log)"
  # The first folder takes what the fuzzer finds; the committed corpus is only read.
  if ! TMPDIR="$scratch" ASAN_OPTIONS=detect_leaks=1 build-fuzz/tests/fuzz/"fuzz_$t" -max_total_time="$seconds" \
      "${runs[@]}" -timeout=10 -print_final_stats=1 -artifact_prefix="$artifacts" \
      "$work" "$PWD/tests/fuzz/corpus/$t" >"$log" 2>&1; then
    rm -rf "$scratch"
    tail -n 40 "$log"
    echo "fuzz_$t FAILED: the input is in $artifacts" >&2
    exit 1
  fi
  rm -rf "$scratch"
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  took=$(sed -n 's/^Done [0-9]* runs in \([0-9]*\) second.*/\1/p' "$log")
  summary+=("$t: ${execs:-?} executions in ${took:-?} s, clean")
  echo "${summary[-1]}"
done
echo
echo "Fuzzing summary ($seconds s per target):"
printf '  %s\n' "${summary[@]}"
