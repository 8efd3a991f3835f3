#!/usr/bin/env bash
# Wine test harness: a private prefix and Xvfb display for one build folder.
#
#   harness.sh start STATE   create STATE/prefix (first time, non-interactive),
#                            start Xvfb and a persistent wineserver
#   harness.sh stop STATE    stop that wineserver (by prefix) and that Xvfb (by pid)
#
# Everything started here gets /dev/null for stdin and a log file for output:
# ctest waits for a test's output pipes to close, so nothing may inherit them.
set -euo pipefail
cmd=${1:?usage: harness.sh start|stop STATE}
state=${2:?usage: harness.sh start|stop STATE}
mkdir -p "$state"
state=$(cd "$state" && pwd)
prefix=$state/prefix
log=$state/harness.log
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY

wineserver_bin=$(command -v wineserver || echo /usr/lib/wine/wineserver)
wine_cmd=(wine)
[ -x /usr/lib/wine/wine64 ] && wine_cmd=(/usr/lib/wine/wine64)
wineboot_cmd=("${wine_cmd[@]}" wineboot)

# shellcheck source=../../tools/lib-process.sh
. "$(dirname "$0")/../../tools/lib-process.sh"

stop_xvfb() {
  stop_pidfile "$state/xvfb.pid"
  rm -f "$state/display"
}

stop_wine() {
  if [ -d "$prefix" ]; then
    "$wineserver_bin" -k >>"$log" 2>&1 </dev/null || true
    "$wineserver_bin" -w >>"$log" 2>&1 </dev/null || true
  fi
}

case $cmd in
start)
  # A previous run that was interrupted may have left its pair behind.
  stop_wine
  stop_xvfb
  : >"$log"
  # Xvfb picks a free display number itself and writes it once it accepts
  # connections, so parallel builds never collide.
  setsid Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp \
    3>"$state/display.tmp" </dev/null >>"$log" 2>&1 &
  echo $! >"$state/xvfb.pid"
  for _ in $(seq 100); do
    [ -s "$state/display.tmp" ] && break
    sleep 0.1
  done
  if [ ! -s "$state/display.tmp" ]; then
    echo "harness: Xvfb did not start; see $log" >&2
    stop_xvfb
    exit 1
  fi
  tr -d '\n' <"$state/display.tmp" >"$state/display"
  rm -f "$state/display.tmp"
  # A persistent wineserver keeps the prefix warm between test executables.
  setsid "$wineserver_bin" -p </dev/null >>"$log" 2>&1 &
  [ -d "$prefix" ] || echo "harness: creating Wine prefix $prefix" >&2
  # wineboot returns once the prefix is set up (new) or brought up to date.
  if ! DISPLAY=":$(cat "$state/display")" "${wineboot_cmd[@]}" -u </dev/null >>"$log" 2>&1; then
    echo "harness: wineboot failed; see $log" >&2
    stop_wine
    stop_xvfb
    exit 1
  fi
  # There is no window manager on the Xvfb display: let Wine place and
  # decorate every window itself. Otherwise hiding or destroying a top-level
  # window waits (up to 2 s) for a manager that never answers.
  if ! DISPLAY=":$(cat "$state/display")" "${wine_cmd[@]}" reg add 'HKCU\Software\Wine\X11 Driver' \
      /v Managed /d N /f </dev/null >>"$log" 2>&1; then
    echo "harness: could not switch off window management; see $log" >&2
  fi
  echo "harness: display :$(cat "$state/display"), prefix $prefix"
  ;;
stop)
  stop_wine
  stop_xvfb
  echo "harness: stopped"
  ;;
*)
  echo "usage: harness.sh start|stop STATE" >&2
  exit 2
  ;;
esac
