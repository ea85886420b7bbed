#!/usr/bin/env bash
# The main job: installs what is missing, builds every deliverable into
# build/, then has Carrack audit a design unattended (by default the bundled
# sample design with violations) and shows its findings, its exit code and
# the record it appended to the day's audit log beside the program.
#
# Usage: scripts/run.sh [DESIGN [TAG]]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
bash scripts/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"
echo "run: built Engine, GKBriselUpdate and Carrack into build/"

design=${1:-$top/mainwidget/samples/violations.json}
tag=${2:-run.sh $(date +%H:%M:%S)}
carrack="$top/build/launcher/Carrack"
log="$top/build/launcher/AuditLog/$(date +%Y-%m-%d)/all.csv"

echo
echo "== Carrack \"$design\" \"$tag\"  (findings as CSV; summary on the last line)"
code=0
"$carrack" "$design" "$tag" || code=$?
echo "== exit code: $code  (0 clean, 1 violations found, 2 design unreadable)"
if [ -f "$log" ]; then
  echo "== new record in $log (tag,start tick,end tick):"
  tail -n 1 "$log"
else
  echo "== no audit log record at $log"
fi
