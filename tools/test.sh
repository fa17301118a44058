#!/usr/bin/env bash
# Runs every test under Wine, in the build folder that holds the tests.
set -u
B=${1:-build}
if [ -f "$B/tests32/CTestTestfile.cmake" ]; then
  T="$B/tests32"
else
  T="$B/x64"
  echo "This machine cannot run 32-bit programs under Wine: running the tests built for 64-bit Windows."
fi
cd "$T" && ctest --output-on-failure --timeout 900
