#!/usr/bin/env bash
# Builds the shipped 32-bit program into BUILD (netvetter.exe, netvetter-report.exe, driverinfo.txt) and
# the tests and benchmarks beside it in BUILD/tests32, also 32-bit. The program is built on its own,
# without the tests, so that nothing the test framework needs reaches it; the tests that start the
# program or the report start these shipped files, not copies built with the tests.
set -eu
B=${1:-build}
JOBS=${JOBS:-$(nproc)}
export CCACHE_BASEDIR="$PWD"
# A folder configured earlier with the tests' compiler variant starts afresh.
if grep -qs 'CMAKE_CXX_COMPILER:.*-posix' "$B/CMakeCache.txt"; then rm -rf "$B/CMakeCache.txt" "$B/CMakeFiles"; fi
cmake -S . -B "$B" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release -DNV_TESTS=OFF >/dev/null
cmake --build "$B" -j "$JOBS"
# Earlier trees built the tests for 64-bit Windows here; they are gone from the route.
rm -rf "$B/x64"
cmake -S . -B "$B/tests32" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release -DNV_TESTS=ON >/dev/null
cmake --build "$B/tests32" -j "$JOBS"
