#!/usr/bin/env bash
# Runs the two benchmarks (painting, and the grid beside a list view) under Wine the way the tests run:
# in the tests' Wine prefix, through the tests' wrapper, and prints their figures.
set -u
B=${1:-build}
shift $(( $# > 0 ? 1 : 0 ))   # what follows goes to the grid benchmark, e.g. --rows 10000
if [ -f "$B/tests32/CTestTestfile.cmake" ]; then
  T="$B/tests32"; EXE="$B"   # the program's own 32-bit build of the benchmarks
else
  T="$B/x64"; EXE="$T"
  echo "This machine cannot run 32-bit programs under Wine: running the benchmarks built for 64-bit Windows."
fi
bash tools/wine-fixture.sh start "$T" >/dev/null || exit 1
trap 'bash tools/wine-fixture.sh stop "$T" >/dev/null' EXIT
rc=0
echo "== paint_bench"
"$T/wine-run.sh" "$EXE/paint_bench.exe" || rc=1
echo
echo "== grid_bench"
"$T/wine-run.sh" "$EXE/grid_bench.exe" "$@" || rc=1
exit $rc
