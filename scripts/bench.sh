#!/usr/bin/env bash
# Builds the benchmarks (Release, build-bench/) and runs every workload: the
# geometry library against ClipperLib alone, Boost.Geometry and GEOS, the
# downloader against curl and the archive extraction against Info-ZIP unzip.
# Prints the tables; the JSON of every run and the tables (Markdown) stay in
# build-bench/bench-results/. Never part of the test run. Takes about four
# to five minutes on two cores.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
bash scripts/setup.sh

build=build-bench
results="$build/bench-results"
jobs=$(nproc)

echo "== build (Release, GK_BUILD_BENCH=ON)"
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DGK_BUILD_TESTS=OFF -DGK_BUILD_BENCH=ON >/dev/null
cmake --build "$build" -j"$jobs" --target engine_member_bench engine_region_bench updater_bench_driver \
  mainwidget_audit_bench

mkdir -p "$results"
echo "== member queries and sampling"
"$build/bench/engine_member_bench" --benchmark_min_time=0.3 --benchmark_display_aggregates_only=true \
  --benchmark_out="$results/members.json" --benchmark_out_format=json
echo "== regions: clipping against ClipperLib alone, Boost.Geometry and GEOS; point containment"
"$build/bench/engine_region_bench" --benchmark_display_aggregates_only=true \
  --benchmark_out="$results/regions.json" --benchmark_out_format=json
echo "== updater: download against curl, unzipTo against Info-ZIP unzip"
python3 bench/updater_bench.py --driver "$build/bench/updater_bench_driver" \
  --work "$build/bench-work" --out "$results/updater.json" >/dev/null

echo "== audit: nested N-gons, every kicad-demos copper layer, the video board's stacked planes"
QT_QPA_PLATFORM=offscreen "$build/mainwidget/mainwidget_audit_bench" > "$results/audit.md"

echo "== results"
python3 bench/report.py --members "$results/members.json" --regions "$results/regions.json" \
  --updater "$results/updater.json" --markdown "$results/results.md"
printf '\nAudit (CPU time of the thread, best of three, seconds):\n\n'
cat "$results/audit.md"
cat "$results/audit.md" >> "$results/results.md"
