#!/usr/bin/env bash
# Runs the program under Wine. Without a display it runs under Xvfb, writes BUILD/screenshot.png and
# closes the program again.
set -u
B=${1:-build}
B=$(cd "$B" && pwd)
exe="$B/netvetter.exe"
export WINEPREFIX="$B/wineprefix-run" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
WINE=wine
if [ -x /usr/lib/wine/wine64 ] && ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
  # This kernel cannot run 32-bit code, so Wine cannot start the 32-bit program: show the same
  # program built for 64-bit Windows instead.
  WINE=/usr/lib/wine/wine64
  exe="$B/x64/netvetter.exe"
  echo "This machine cannot run 32-bit programs; running the 64-bit build of the same sources ($exe)."
fi
[ -f "$exe" ] || { echo "missing $exe" >&2; exit 1; }
cp -f "$B/driverinfo.txt" "$(dirname "$exe")/" 2>/dev/null
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
if [ ! -d "$WINEPREFIX" ]; then
  $WINE wineboot -i >/dev/null 2>&1
  # Without a window manager Wine draws the title bar and the frame itself.
  $WINE reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
  $WINE reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1
fi
if [ $headless = 0 ]; then
  $WINE "$exe"
  exit $?
fi
$WINE "$exe" &
app=$!
sleep 6
xwd -root -display "$DISPLAY" -silent | convert xwd:- -trim +repage "$B/screenshot.png" && echo "Screenshot: $B/screenshot.png"
kill $app 2>/dev/null
WINEPREFIX="$WINEPREFIX" wineserver -k 2>/dev/null
kill $xvfb 2>/dev/null
exit 0
