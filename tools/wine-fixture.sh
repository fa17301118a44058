#!/usr/bin/env bash
# start BUILD: a fresh Wine prefix in BUILD, one persistent wineserver, and Xvfb when there is no display.
# stop BUILD: ends what start began.
# dpi BUILD DPI: a copy of the started prefix whose display has DPI dots per inch (Wine reads LogPixels),
#                with a wineserver of its own; prints the prefix. dpi-stop BUILD DPI ends and removes it.
set -u
cmd=$1; B=$(cd "$2" && pwd)
export WINEPREFIX="$B/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# Runs where 32-bit programs start (tools/route.sh): the prefix is made by the 32-bit loader, so that
# the 32-bit side of Windows in it is complete.
WINE=wine
settings() {
  # Without a window manager Wine draws the title bar and the frame itself.
  $WINE reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
  $WINE reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1
  # A test that crashes ends at once with a failure instead of waiting in Wine's debugger until the
  # run's timeout: the crash debugger named here does not exist.
  for view in 64 32; do
    $WINE reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /d nv-no-debugger.exe /f /reg:$view >/dev/null 2>&1
  done
}
case "$cmd" in
start)
  wineserver -k >/dev/null 2>&1
  rm -rf "$WINEPREFIX" "$B/wine-display"
  if [ -z "${DISPLAY:-}" ]; then
    for n in $(seq 90 140); do
      [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ] && continue
      Xvfb :$n -screen 0 2560x1600x24 -nolisten tcp >/dev/null 2>&1 &
      echo $! > "$B/xvfb.pid"
      for i in $(seq 1 50); do [ -e /tmp/.X11-unix/X$n ] && break; sleep 0.1; done
      if [ -e /tmp/.X11-unix/X$n ]; then echo ":$n" > "$B/wine-display"; break; fi
    done
    [ -f "$B/wine-display" ] || { echo "could not start Xvfb" >&2; exit 1; }
    export DISPLAY=$(cat "$B/wine-display")
  fi
  wineserver -p
  $WINE wineboot -i >/dev/null 2>&1
  settings
  # The server writes the registry out when it ends: the prefix on disk is then complete, for the
  # copies that dpi makes of it. The next Wine program starts a server again.
  wineserver -k >/dev/null 2>&1
  wineserver -w >/dev/null 2>&1
  echo "Wine prefix ready in $WINEPREFIX (display ${DISPLAY})"
  ;;
dpi)
  # Hard links make the copy in a moment; Wine replaces a registry file instead of writing into it,
  # so those are copied for real.
  dpi=$3; copy="$B/wineprefix-$dpi"
  WINEPREFIX=$copy wineserver -k >/dev/null 2>&1
  rm -rf "$copy"
  cp -al "$WINEPREFIX" "$copy"
  for f in "$WINEPREFIX"/*.reg; do cp --remove-destination "$f" "$copy/"; done
  export WINEPREFIX=$copy
  [ -f "$B/wine-display" ] && export DISPLAY=$(cat "$B/wine-display")
  $WINE reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
  echo "$copy"
  ;;
dpi-stop)
  copy="$B/wineprefix-$3"
  WINEPREFIX=$copy wineserver -k >/dev/null 2>&1
  rm -rf "$copy"
  ;;
stop)
  wineserver -k >/dev/null 2>&1
  if [ -f "$B/xvfb.pid" ]; then kill "$(cat "$B/xvfb.pid")" 2>/dev/null; rm -f "$B/xvfb.pid" "$B/wine-display"; fi
  echo "Wine stopped"
  ;;
esac
exit 0
