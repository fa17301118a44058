#!/usr/bin/env bash
# Pictures of the result dialog on recorded systems, for the README: docs/dialog-*.png.
# Runs the dialog tests' screenshot case under Xvfb in the test build's Wine prefix.
set -eu
B=${1:-build}
T=$(cd "$B/tests32" && pwd)
out="$T/shots"
rm -rf "$out"; mkdir -p "$out" docs
NV_SCREENSHOT_DIR="Z:${out//\//\\}" tools/route.sh "$B" bash -c '
  tools/wine-fixture.sh start "$1" >/dev/null
  "$1/wine-run.sh" "$1/tests/app_tests.exe" --gtest_filter=DialogTest.ScreenshotsShowEveryPartReadable >/dev/null
  tools/wine-fixture.sh stop "$1" >/dev/null' route "$T" || true
for f in "$out"/*.bmp; do
  [ -e "$f" ] || { echo "no screenshots were taken" >&2; exit 1; }
  convert "$f" -strip -define png:exclude-chunks=date,time "docs/$(basename "${f%.bmp}").png"
  echo "docs/$(basename "${f%.bmp}").png"
done
