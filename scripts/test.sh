#!/usr/bin/env bash
# Builds and runs every test: the normal build, a client built against the
# installed Engine package and one that adds engine/ as a subdirectory, the
# installed library's exported symbols checked, the test suite (the
# installation tests among it), the .deb and .tar.gz made and checked
# (scripts/package_test.sh), then the whole test suite again under
# AddressSanitizer and UndefinedBehaviorSanitizer. Installs what is missing.
# GK_WARNINGS_AS_ERRORS=ON (as CI sets it) fails the builds on any warning
# in our own code.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
bash scripts/setup.sh

jobs=$(nproc)
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
export LSAN_OPTIONS="suppressions=$top/cmake/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

werror=-DGK_WARNINGS_AS_ERRORS=${GK_WARNINGS_AS_ERRORS:-OFF}

echo "== build"
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DGK_BUILD_TESTS=ON "$werror" >/dev/null
cmake --build build -j"$jobs"

echo "== installed package: a client built with find_package(Engine CONFIG)"
rm -rf build/install-check
cmake --install build --prefix build/install-check/prefix >/dev/null
cmake -S engine/tests/client -B build/install-check/client \
  -DCMAKE_PREFIX_PATH="$top/build/install-check/prefix" >/dev/null
cmake --build build/install-check/client -j"$jobs" >/dev/null
LD_LIBRARY_PATH="$top/build/install-check/prefix/lib:${LD_LIBRARY_PATH:-}" \
  build/install-check/client/engine_client
cmake -DLIBRARY="$top/build/install-check/prefix/lib/libEngine.so" -P engine/tests/private_symbols.cmake

echo "== Engine as a subdirectory of a client project: the library alone"
cmake -S engine/tests/client -B build/install-check/subdir-client -DGK_ENGINE_SOURCE_DIR="$top/engine" \
  "$werror" >/dev/null
cmake --build build/install-check/subdir-client -j"$jobs" >/dev/null
build/install-check/subdir-client/engine_client
cmake --install build/install-check/subdir-client --prefix build/install-check/subdir-prefix >/dev/null
if [ -e build/install-check/subdir-prefix ]; then
  echo "Engine as a subdirectory installed files of its own:" >&2
  find build/install-check/subdir-prefix -type f >&2
  exit 1
fi

echo "== tests"
(cd build && ctest --output-on-failure -j"$jobs")

if [ "${GK_SKIP_PACKAGES:-0}" != "1" ]; then
  bash scripts/package_test.sh build
fi

if [ "${GK_SKIP_SANITIZERS:-0}" != "1" ]; then
  echo "== tests under AddressSanitizer and UndefinedBehaviorSanitizer"
  cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DGK_SANITIZE=ON -DGK_BUILD_TESTS=ON "$werror" >/dev/null
  cmake --build build-asan -j"$jobs"
  (cd build-asan && ctest --output-on-failure -j"$jobs")
fi
echo "== all tests passed"
