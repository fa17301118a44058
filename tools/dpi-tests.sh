#!/usr/bin/env bash
# dpi-tests.sh TESTBUILD DPI: the display-scale tests of the result window and the grid on a display
# of DPI dots per inch: a copy of the test prefix with that scale and a wineserver of its own, made
# and removed again here. Runs inside tools/route.sh (CTest runs there), after the wine fixture.
set -u
T=$(cd "$1" && pwd); dpi=$2
here=$(cd "$(dirname "$0")" && pwd)
prefix=$("$here/wine-fixture.sh" dpi "$T" "$dpi" | tail -n 1) || exit 1
trap '"$here/wine-fixture.sh" dpi-stop "$T" "$dpi"' EXIT
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" NV_EXPECT_DPI=$dpi
if [ -z "${DISPLAY:-}" ] && [ -f "$T/wine-display" ]; then export DISPLAY="$(cat "$T/wine-display")"; fi
cd "$T/tests" || exit 1
rc=0
for exe in app_tests grid_tests; do
  wine "./$exe.exe" --gtest_color=no --gtest_filter='*DisplayScale*' || rc=1
done
exit $rc
