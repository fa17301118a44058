#!/usr/bin/env bash
# Runs the shipped 32-bit program under Wine. Without a display it runs under Xvfb, writes
# BUILD/screenshot.png and closes the program again.
set -u
B=${1:-build}
B=$(cd "$B" && pwd)
cd "$(dirname "$0")/.." || exit 1
if [ "${NV_ROUTE_INSIDE:-}" != 1 ] && { [ "${NV_ROUTE:-}" = qemu ] || ! /usr/lib/wine/wine --version >/dev/null 2>&1; }; then
  exec tools/route.sh "$B" "$0" "$B"
fi
exe="$B/netvetter.exe"
export WINEPREFIX="$B/wineprefix-run" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
[ -f "$exe" ] || { echo "missing $exe" >&2; exit 1; }
headless=0
if [ -z "${DISPLAY:-}" ]; then
  headless=1
  for n in $(seq 150 190); do
    [ -e /tmp/.X11-unix/X$n ] && continue
    Xvfb :$n -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb=$!
    for i in $(seq 1 50); do [ -e /tmp/.X11-unix/X$n ] && break; sleep 0.1; done
    export DISPLAY=:$n
    break
  done
fi
# A prefix made outside this route (by a 64-bit-only Wine) lacks the 32-bit side: start afresh then.
[ -f "$WINEPREFIX/.made-by-wine32" ] || rm -rf "$WINEPREFIX"
if [ ! -d "$WINEPREFIX" ]; then
  wine wineboot -i >/dev/null 2>&1 && touch "$WINEPREFIX/.made-by-wine32"
  # Without a window manager Wine draws the title bar and the frame itself.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1
fi
if [ $headless = 0 ]; then
  wine "$exe"
  exit $?
fi
wine "$exe" &
app=$!
# Wait for the window to come up rather than for a fixed time: a start under emulation is slower.
for i in $(seq 1 120); do
  sleep 1
  xwd -root -display "$DISPLAY" -silent | convert xwd:- -trim +repage "$B/screenshot.png" 2>/dev/null
  [ "$(identify -format '%w' "$B/screenshot.png" 2>/dev/null || echo 0)" -gt 100 ] && { sleep 2; break; }
done
xwd -root -display "$DISPLAY" -silent | convert xwd:- -trim +repage "$B/screenshot.png" && echo "Screenshot: $B/screenshot.png"
kill $app 2>/dev/null
wineserver -k 2>/dev/null
kill $xvfb 2>/dev/null
exit 0
