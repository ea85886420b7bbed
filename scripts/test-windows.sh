#!/usr/bin/env bash
# The Windows build of everything that needs no Qt, tested under Wine:
# GoogleTest from Debian's sources, Engine as a DLL with its tests and the
# Windows platform layers with theirs, all cross-compiled with mingw-w64 into
# build-windows/, then run under Wine in a fresh prefix inside that folder,
# without a display. Installs what is missing. GK_WARNINGS_AS_ERRORS=ON (as
# CI sets it) fails the build on any warning in our own code.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
bash scripts/setup.sh g++-mingw-w64-x86-64-posix wine64 googletest

jobs=$(nproc)
out="$top/build-windows"
toolchain="$top/cmake/mingw-w64-x86_64.cmake"
triple=x86_64-w64-mingw32

echo "== GoogleTest for Windows"
gtest_prefix="$out/googletest-prefix"
if [ ! -f "$gtest_prefix/lib/cmake/GTest/GTestConfig.cmake" ]; then
  cmake -S /usr/src/googletest -B "$out/googletest" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE=Release -DBUILD_GMOCK=OFF -DCMAKE_INSTALL_PREFIX="$gtest_prefix" >/dev/null
  cmake --build "$out/googletest" -j"$jobs" >/dev/null
  cmake --install "$out/googletest" >/dev/null
fi

echo "== Wine prefix"
export WINEPREFIX="$out/wineprefix"
export WINEDEBUG=-all
# No Mono or Gecko download prompts; nothing here needs them.
export WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
wine=/usr/lib/wine/wine64
# A fresh prefix for every run, so that nothing of an earlier run (files in
# its temporary folder, registry entries) reaches this one. wineboot's exit
# status is not reliable on a first start; the prefix is checked instead,
# after the server has finished setting it up. A start can end with the
# registry written but no system DLLs installed, and then no program loads
# ("could not load kernel32.dll"): such a prefix is made again, up to three
# times in all.
made=""
for attempt in 1 2 3; do
  /usr/lib/wine/wineserver -k 2>/dev/null || true  # a server left by an interrupted run
  rm -rf "$WINEPREFIX"
  "$wine" wineboot --init >/dev/null 2>&1 || true
  /usr/lib/wine/wineserver -w
  if [ -f "$WINEPREFIX/system.reg" ] && [ -f "$WINEPREFIX/drive_c/windows/system32/kernel32.dll" ]; then
    made=yes
    break
  fi
  echo "test-windows: wineboot left an incomplete prefix (attempt $attempt)" >&2
done
[ -n "$made" ] || { echo "test-windows: wineboot made no complete prefix" >&2; exit 1; }

# One wine server for the build's test discovery and the whole test run:
# without it every program would start its own and race the previous one's
# shutdown ("recvmsg: Connection reset by peer").
/usr/lib/wine/wineserver -p
trap '/usr/lib/wine/wineserver -k 2>/dev/null || true' EXIT

echo "== build"
cmake -S cmake/windows -B "$out/build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DGTest_DIR="$gtest_prefix/lib/cmake/GTest" \
  -DGK_WARNINGS_AS_ERRORS="${GK_WARNINGS_AS_ERRORS:-OFF}" >/dev/null
# The mingw runtime DLLs beside the programs (test discovery runs them).
mkdir -p "$out/build/bin"
for dll in libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll; do
  cp -u "$("$triple-g++-posix" -print-file-name="$dll")" "$out/build/bin/"
done
cmake --build "$out/build" -j"$jobs"

echo "== tests under Wine"
(cd "$out/build" && ctest --output-on-failure -j"$jobs" --timeout 300)
# Each program's own count of cases (CTest counts the programs).
grep -h -e '^[0-9]*/[0-9]* Testing: ' -e '^\[==========\] .* ran\.' -e '^\[  PASSED  \]' \
  -e '^\[  SKIPPED \]' "$out/build/Testing/Temporary/LastTest.log" | sed 's|^[0-9]*/[0-9]* Testing: |-- |'
echo "== all Windows tests passed"
