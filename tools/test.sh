#!/usr/bin/env bash
# Runs every test of BUILD/tests32 under Wine: 32-bit test programs against the shipped 32-bit program.
set -u
B=${1:-build}
T="$B/tests32"
cd "$(dirname "$0")/.." || exit 1
exec tools/route.sh "$B" bash -c 'cd "$1" && ctest --output-on-failure --timeout 900' route "$T"
