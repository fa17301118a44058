#!/usr/bin/env bash
# Pictures of the result dialog on recorded systems, for the README: docs/dialog-*.png.
# Runs the dialog tests' screenshot case under Xvfb in the test build's Wine prefix.
set -eu
B=${1:-build}
[ -d "$B/tests32" ] && T="$B/tests32" || T="$B/x64"
T=$(cd "$T" && pwd)
out="$T/shots"
rm -rf "$out"; mkdir -p "$out" docs
tools/wine-fixture.sh start "$T" >/dev/null
NV_SCREENSHOT_DIR="Z:${out//\//\\}" "$T/wine-run.sh" "$T/tests/app_tests.exe" --gtest_filter=DialogTest.Screenshots >/dev/null || true
tools/wine-fixture.sh stop "$T" >/dev/null
for f in "$out"/*.bmp; do
  [ -e "$f" ] || { echo "no screenshots were taken" >&2; exit 1; }
  convert "$f" -strip -define png:exclude-chunks=date,time "docs/$(basename "${f%.bmp}").png"
  echo "docs/$(basename "${f%.bmp}").png"
done
