#!/usr/bin/env bash
# The main job: installs what is missing and builds every deliverable into
# build/. Extra arguments are passed on to the launcher's unattended audit
# once it is built.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
bash scripts/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"
echo "run: built Engine, GKBriselUpdate and Carrack into build/"
