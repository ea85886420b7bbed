#!/usr/bin/env bash
# Builds every libFuzzer target (clang-14, AddressSanitizer and
# UndefinedBehaviorSanitizer, in build-fuzz/) and runs each for SECONDS
# (default 60) on a working copy of its seed corpus, printing executions,
# coverage and any crash. Exits non-zero when a target crashed.
#   scripts/fuzz.sh [SECONDS] [TARGET...]
# FUZZ_PARALLEL=N runs N targets at a time (default 1); the working corpora
# (build-fuzz/corpus/<target>) grow from run to run, crash inputs go to
# build-fuzz/artifacts/<target>/; FUZZ_BUILD_DIR names another build folder,
# FUZZ_TMPDIR the scratch folder of the file targets (default /dev/shm),
# FUZZ_OPTS more libFuzzer options; an ASAN_OPTIONS given is appended to
# ours (later settings win).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
seconds=${1:-60}
shift || true
all=(fuzz_updatelist fuzz_settings fuzz_unzip fuzz_design_json fuzz_kicad_board fuzz_clipper
  fuzz_curve_pair)
targets=("$@")
if [ "${#targets[@]}" -eq 0 ]; then targets=("${all[@]}"); fi
parallel=${FUZZ_PARALLEL:-1}
build=${FUZZ_BUILD_DIR:-build-fuzz}

# Largest input per target: enough for the formats' interesting structure,
# small enough that one run stays fast.
declare -A max_len=([fuzz_updatelist]=4096 [fuzz_settings]=2048 [fuzz_unzip]=4096
  [fuzz_design_json]=4096 [fuzz_kicad_board]=8192 [fuzz_clipper]=512 [fuzz_curve_pair]=128)
declare -A dict=([fuzz_updatelist]=updatelist [fuzz_settings]=settings
  [fuzz_design_json]=design_json [fuzz_kicad_board]=kicad_board)

echo "== building the fuzz targets in $build"
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang-14 \
  -DCMAKE_CXX_COMPILER=clang++-14 -DGK_BUILD_FUZZ=ON -DGK_BUILD_TESTS=OFF \
  -DGK_WARNINGS_AS_ERRORS="${GK_WARNINGS_AS_ERRORS:-OFF}" >/dev/null
cmake --build "$build" -j"$(nproc)" --target "${targets[@]}" >/dev/null

export ASAN_OPTIONS="abort_on_error=1:detect_leaks=1${ASAN_OPTIONS:+:$ASAN_OPTIONS}"
export LSAN_OPTIONS="suppressions=$top/fuzz/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export QT_QPA_PLATFORM=offscreen
# The file targets (settings, archives) write and remove a folder per input:
# on a memory file system that costs a fifth of what it costs on disk.
if [ -z "${FUZZ_TMPDIR:-}" ] && [ -d /dev/shm ] && [ -w /dev/shm ]; then FUZZ_TMPDIR=/dev/shm; fi
if [ -n "${FUZZ_TMPDIR:-}" ]; then export TMPDIR="$FUZZ_TMPDIR"; fi

# run_one TARGET: fuzzes it for $seconds; the log lands in $build/logs.
run_one() {
  local t=$1
  local corpus="$build/corpus/$t" artifacts="$build/artifacts/$t/" log="$build/logs/$t.log"
  mkdir -p "$corpus" "$artifacts" "$build/logs"
  local opts=(-max_total_time="$seconds" -max_len="${max_len[$t]}" -timeout=10
    -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$artifacts")
  if [ -n "${dict[$t]:-}" ]; then opts+=(-dict="fuzz/dict/${dict[$t]}.dict"); fi
  # shellcheck disable=SC2206 # FUZZ_OPTS is a list of words
  opts+=(${FUZZ_OPTS:-})
  # The working corpus first (new inputs go there), the seeds read only.
  local rc=0
  "$build/fuzz/$t" "${opts[@]}" "$corpus" "fuzz/seeds/$t" >"$log" 2>&1 || rc=$?
  echo "$rc" >"$build/logs/$t.rc"
}

# report TARGET RC: one line of numbers, and the crash when there was one.
report() {
  local t=$1 rc=$2 log="$build/logs/$1.log"
  local runs cov ft
  runs=$(sed -n "s/^stat::number_of_executed_units: *//p" "$log" | tail -1 || true)
  cov=$(grep -oE 'cov: [0-9]+' "$log" | tail -1 | cut -d" " -f2 || true)
  ft=$(grep -oE 'ft: [0-9]+' "$log" | tail -1 | cut -d" " -f2 || true)
  printf '%-18s %10s executions  cov %6s  ft %7s  corpus %5s  %s\n' "$t" "${runs:-?}" \
    "${cov:-?}" "${ft:-?}" "$(find "$build/corpus/$t" -type f | wc -l)" \
    "$([ "$rc" -eq 0 ] && echo ok || echo CRASH)"
  if [ "$rc" -ne 0 ]; then
    grep -E 'ERROR|SUMMARY|fuzz invariant|runtime error|Test unit written|#[0-9]+ 0x' "$log" | head -30
  fi
}

echo "== fuzzing ${#targets[@]} targets for ${seconds} s each, $parallel at a time"
for t in "${targets[@]}"; do
  rm -f "$build/logs/$t.rc"
  run_one "$t" &
  while [ "$(jobs -rp | wc -l)" -ge "$parallel" ]; do wait -n; done
done
wait
failed=0
for t in "${targets[@]}"; do
  rc=$(cat "$build/logs/$t.rc")
  report "$t" "$rc"
  if [ "$rc" -ne 0 ]; then failed=1; fi
done
if [ "$failed" -ne 0 ]; then
  echo "== a fuzz target crashed; its input is in $build/artifacts/"
  exit 1
fi
echo "== no crash"
