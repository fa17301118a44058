#!/usr/bin/env bash
# Builds the 32-bit program into BUILD. Where this machine cannot run 32-bit code under Wine, the
# tests (and a 64-bit build of the same program) are built in BUILD/x64 instead.
set -eu
B=${1:-build}
JOBS=${JOBS:-$(nproc)}
if /usr/lib/wine/wine --version >/dev/null 2>&1 || ! [ -x /usr/lib/wine/wine64 ]; then win32=ON; else win32=OFF; fi
cmake -S . -B "$B" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release -DNV_TESTS=$win32 >/dev/null
cmake --build "$B" -j "$JOBS"
if [ $win32 = OFF ]; then
  cmake -S . -B "$B/x64" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake -DCMAKE_BUILD_TYPE=Release -DNV_TESTS=ON >/dev/null
  cmake --build "$B/x64" -j "$JOBS"
fi
