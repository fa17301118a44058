#!/usr/bin/env bash
# Pictures of the result dialog on recorded systems, for the README: docs/dialog-*.png, also at 150 %
# and 200 % and in high contrast.
# Runs the dialog tests' screenshot case under Xvfb in the test build's Wine prefix.
set -eu
B=${1:-build}
T=$(cd "$B/tests32" && pwd)
out="$T/shots"
rm -rf "$out"; mkdir -p "$out" docs
# At 100 % every picture and the one in high contrast; at 150 % and 200 % (a copy of the prefix with
# that scale) the window with four adapters.
NV_SCREENSHOT_DIR="Z:${out//\//\\}" tools/route.sh "$B" bash -c '
  tools/wine-fixture.sh start "$1" >/dev/null
  "$1/wine-run.sh" "$1/tests/app_tests.exe" \
    --gtest_filter=DialogTest.ScreenshotsShowEveryPartReadable:DialogTest.DisplayScaleScreenshots >/dev/null
  for dpi in 144 192; do
    prefix=$(tools/wine-fixture.sh dpi "$1" $dpi | tail -n 1)
    (cd "$1/tests" && WINEPREFIX=$prefix NV_EXPECT_DPI=$dpi DISPLAY=$(cat "$1/wine-display" 2>/dev/null || echo "$DISPLAY") \
      WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" wine ./app_tests.exe --gtest_filter=DialogTest.DisplayScaleScreenshots >/dev/null)
    tools/wine-fixture.sh dpi-stop "$1" $dpi
  done
  tools/wine-fixture.sh stop "$1" >/dev/null' route "$T" || true
for f in "$out"/*.bmp; do
  [ -e "$f" ] || { echo "no screenshots were taken" >&2; exit 1; }
  convert "$f" -strip -define png:exclude-chunks=date,time "docs/$(basename "${f%.bmp}").png"
  echo "docs/$(basename "${f%.bmp}").png"
done
