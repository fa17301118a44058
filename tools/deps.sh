#!/usr/bin/env bash
# Installs what the build, the tests and `make run` need on Debian 12, and nothing that is there already.
set -u
need=()
command -v i686-w64-mingw32-g++ >/dev/null || need+=(g++-mingw-w64-i686)
# Where the kernel cannot run i386 code, qemu-user runs Wine's 32-bit side (tools/route.sh), with a
# small i386 library that gcc builds without a 32-bit C library.
command -v gcc >/dev/null || need+=(gcc)
[ -x /usr/bin/qemu-i386-static ] || need+=(qemu-user-static)
command -v cmake >/dev/null || need+=(cmake)
command -v ccache >/dev/null || need+=(ccache)
command -v make >/dev/null || need+=(make)
command -v wine >/dev/null || need+=(wine wine32:i386 wine64)
[ -x /usr/lib/wine/wine ] || [ -x /usr/lib/i386-linux-gnu/wine/wine ] || dpkg -s wine32:i386 >/dev/null 2>&1 || need+=(wine32:i386)
command -v Xvfb >/dev/null || need+=(xvfb)
command -v xauth >/dev/null || need+=(xauth)
command -v xwd >/dev/null || need+=(x11-apps)
[ -f /usr/src/googletest/CMakeLists.txt ] || need+=(googletest)
# make dist: the zip is written by python3's zipfile; signing and its test use osslsigncode and openssl.
command -v python3 >/dev/null || need+=(python3)
command -v osslsigncode >/dev/null || need+=(osslsigncode)
command -v openssl >/dev/null || need+=(openssl)
command -v unzip >/dev/null || need+=(unzip)
# The report's --summary reads JSON with the header-only nlohmann/json.
[ -f /usr/include/nlohmann/json.hpp ] || need+=(nlohmann-json3-dev)
# /usr/local/bin/convert may be a stand-in; the real one comes with imagemagick.
[ -x /usr/bin/convert ] || need+=(imagemagick)
[ ${#need[@]} -eq 0 ] && exit 0
if [ "$(id -u)" != 0 ]; then SUDO=sudo; else SUDO=; fi
echo "Installing: ${need[*]}"
$SUDO dpkg --add-architecture i386
# An i386 index can be missing while a mirror syncs: try again, and go on when the install works.
for i in 1 2 3; do $SUDO apt-get update && break; sleep 5; done
for i in 1 2 3; do
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${need[@]}" && exit 0
  sleep 5; $SUDO apt-get update
done
echo "Could not install: ${need[*]}" >&2
exit 1
