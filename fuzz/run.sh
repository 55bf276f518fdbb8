#!/bin/sh
# Builds the fuzz targets with clang and the sanitizers, then runs each for a while on
# a scratch copy of its seeds (the seeds in the repository never grow), one after the
# other, and prints per target the executions, the time, the speed and libFuzzer's
# final coverage figures. Exits non-zero when a target found a crash, a leak or a hang;
# the input that did it is kept in the build folder, and the output says where.
#
#   fuzz/run.sh [TARGET...]
#
# Environment:
#   FUZZ_SECONDS     seconds per target (default 60)
#   FUZZ_BUILD       build folder (default build-fuzz, beside fuzz/)
#   FUZZ_JOBS        parallel compile jobs (default 2)
#   FUZZ_BUILD_LOCK  a file to flock(1) while building, on a shared machine
#   FUZZ_ARGS        more libFuzzer options for every target (e.g. -runs=10000000)
#   FUZZ_WORK        keep each target's grown corpus in FUZZ_WORK/<target> (outside
#                    the repository), so a long campaign goes on where it stopped
#   CXX_FUZZ         the clang++ to build with (default clang++)
set -eu

HERE=$(cd "$(dirname "$0")" && pwd)
ROOT=$(cd "$HERE/.." && pwd)
SECONDS_EACH=${FUZZ_SECONDS:-60}
BUILD=${FUZZ_BUILD:-$ROOT/build-fuzz}
JOBS=${FUZZ_JOBS:-2}
ALL_TARGETS="frame_fuzz gateway_fuzz system_file_fuzz image_fuzz hex_fuzz trace_fuzz"
TARGETS=${*:-$ALL_TARGETS}

# The longest input worth trying, per target.
max_len() {
  case $1 in
    frame_fuzz) echo 2048 ;;        # many frames, one of them the longest kept
    gateway_fuzz) echo 8192 ;;      # a login, a full 2000-byte frame and more
    system_file_fuzz) echo 20000 ;; # the seed with both logs
    image_fuzz) echo 4096 ;;        # patches over the fixed image
    hex_fuzz) echo 8192 ;;
    trace_fuzz) echo 4096 ;;       # a start state and a few hundred changes
    *) echo "unknown target: $1" >&2; exit 2 ;;
  esac
}

# The build, under the shared machine's lock when one is named.
locked() {
  if [ -n "${FUZZ_BUILD_LOCK:-}" ]; then flock "$FUZZ_BUILD_LOCK" "$@"; else "$@"; fi
}
locked cmake -S "$HERE" -B "$BUILD" -DCMAKE_CXX_COMPILER="${CXX_FUZZ:-clang++}" >/dev/null
locked cmake --build "$BUILD" -j"$JOBS"

SCRATCH=$(mktemp -d "${TMPDIR:-/tmp}/vorel-fuzz.XXXXXX")
trap 'rm -rf "$SCRATCH"' EXIT INT TERM

failed=""
summary=""
for target in $TARGETS; do
  len=$(max_len "$target")
  corpus="${FUZZ_WORK:-$SCRATCH}/$target"
  crashes="$BUILD/crashes/$target"
  log="$BUILD/$target.log"
  mkdir -p "$corpus" "$crashes"
  cp -n "$HERE/corpus/$target/"* "$corpus/"
  dict=""
  [ -f "$HERE/$target.dict" ] && dict="-dict=$HERE/$target.dict"
  regressions=""
  [ -d "$HERE/regressions/$target" ] && regressions="$HERE/regressions/$target"
  echo "== $target: ${SECONDS_EACH}s, -max_len=$len"
  status=0
  # shellcheck disable=SC2086
  "$BUILD/$target" -max_total_time="$SECONDS_EACH" -max_len="$len" -timeout=10 \
    -print_final_stats=1 -artifact_prefix="$crashes/" $dict ${FUZZ_ARGS:-} \
    "$corpus" $regressions >"$log" 2>&1 || status=$?

  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -n 1)
  time=$(sed -n 's/.*Done \([0-9]*\) runs in \([0-9]*\) second.*/\2/p' "$log" | tail -n 1)
  cov=$(grep -o 'cov: [0-9]* ft: [0-9]*' "$log" | tail -n 1)
  line=$(printf '%-17s %10s runs %5ss %8s exec/s  %s' "$target" "${runs:-?}" "${time:-?}" \
    "${speed:-?}" "${cov:-}")
  summary="$summary$line
"
  if [ "$status" -ne 0 ]; then
    failed="$failed $target"
    echo "$target FAILED (exit $status); its output: $log"
    grep -E '^(==[0-9]+==ERROR|SUMMARY|artifact_prefix|Test unit written|fuzz check failed: )' "$log" || true
  fi
done

echo
echo "target                  executions   time    speed       coverage"
printf '%s' "$summary"
if [ -n "$failed" ]; then
  echo "crashed:$failed (inputs in $BUILD/crashes/)"
  exit 1
fi
