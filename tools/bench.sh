#!/usr/bin/env bash
# Runs the benchmarks of the shipped 32-bit build (painting; the grid beside a list view; the check over
# large recorded systems) under Wine the way the tests run: in the tests' Wine prefix, through the tests'
# wrapper and, where the kernel cannot run i386 code, through tools/route.sh. Prints their figures.
set -u
B=${1:-build}
shift $(( $# > 0 ? 1 : 0 ))   # what follows goes to the grid benchmark, e.g. --rows 10000
cd "$(dirname "$0")/.." || exit 1
if [ "${NV_ROUTE_INSIDE:-}" != 1 ] && { [ "${NV_ROUTE:-}" = qemu ] || ! /usr/lib/wine/wine --version >/dev/null 2>&1; }; then
  exec tools/route.sh "$B" "$0" "$B" "$@"
fi
T="$B/tests32"
bash tools/wine-fixture.sh start "$T" >/dev/null || exit 1
trap 'bash tools/wine-fixture.sh stop "$T" >/dev/null' EXIT
rc=0
echo "== paint_bench"
"$T/wine-run.sh" "$B/paint_bench.exe" || rc=1
echo
echo "== grid_bench"
"$T/wine-run.sh" "$B/grid_bench.exe" "$@" || rc=1
for extra in check_bench summary_bench; do
  [ -f "$B/$extra.exe" ] || continue
  echo
  echo "== $extra"
  "$T/wine-run.sh" "$B/$extra.exe" || rc=1
done
exit $rc
