#!/bin/sh
# wine-run.sh WINE PROGRAM [ARGS...]: runs a Windows program under Wine as
# the cross-compiling emulator of CMake and CTest. The first program of a
# Wine session starts Wine's background services, which inherit its standard
# output and outlive it, so a reader of that output (test discovery, ctest)
# would wait for them. The output therefore goes through a file, printed when
# the program ends; the exit status is the program's.
wine=$1
shift
out=$(mktemp) || exit 1
"$wine" "$@" >"$out" 2>&1 </dev/null
status=$?
cat "$out"
rm -f "$out"
exit $status
