#!/usr/bin/env bash
# Builds the 32-bit program into BUILD, and the tests beside it: in BUILD/tests32 as 32-bit programs, or,
# where this machine cannot run 32-bit code under Wine, in BUILD/x64 for 64-bit Windows (with a 64-bit
# build of the same program). The program itself is built without the tests, so that nothing the test
# framework needs reaches it.
set -eu
B=${1:-build}
JOBS=${JOBS:-$(nproc)}
export CCACHE_BASEDIR="$PWD"
# A folder configured earlier with the tests' compiler variant starts afresh.
if grep -qs 'CMAKE_CXX_COMPILER:.*-posix' "$B/CMakeCache.txt"; then rm -rf "$B/CMakeCache.txt" "$B/CMakeFiles"; fi
cmake -S . -B "$B" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release -DNV_TESTS=OFF >/dev/null
cmake --build "$B" -j "$JOBS"
if /usr/lib/wine/wine --version >/dev/null 2>&1 || ! [ -x /usr/lib/wine/wine64 ]; then
  T="$B/tests32"; TC=cmake/mingw-i686.cmake
else
  T="$B/x64"; TC=cmake/mingw-x86_64.cmake
fi
cmake -S . -B "$T" -DCMAKE_TOOLCHAIN_FILE=$TC -DCMAKE_BUILD_TYPE=Release -DNV_TESTS=ON >/dev/null
cmake --build "$T" -j "$JOBS"
