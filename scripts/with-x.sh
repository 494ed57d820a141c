#!/usr/bin/env bash
# Runs a command inside a private X session (Xvfb + fluxbox with a system tray)
# with a private HOME, then tears down exactly what it started.
#   with-x.sh [--size WxH] [--no-wm] [--compositor] [--dual] [--layout NAME]
#             [--scale F | --screen-scale F | --dpi N] [--] command [args...]
# --dual: two monitors side by side (1920x1080 and 1280x1024) on Xorg's dummy driver.
# --layout side|stacked|primary-right|offset: the same two monitors placed
#   that way (see xsession.sh); XSESSION_LAYOUT tells the command which.
# --scale F: the toolkit scales by F (QT_SCALE_FACTOR); --screen-scale F: the
# same per screen (QT_SCREEN_SCALE_FACTORS); --dpi N: Xft.dpi N with the
# toolkit's automatic scaling (QT_AUTO_SCREEN_SCALE_FACTOR=1). Each makes the
# default size 3840x2160, a screen such scaling is meant for.
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/xsession.sh"

size=
compositor=0
dpi=
scaled=0
while [ $# -gt 0 ]; do
  case "$1" in
    --size) size=$2; shift 2 ;;
    --no-wm) export XSESSION_NO_WM=1; shift ;;
    --compositor) compositor=1; export XSESSION_COMPOSITOR=1; shift ;;
    --dual) export XSESSION_DUAL=1 XSESSION_LAYOUT=side; shift ;;
    --layout) export XSESSION_DUAL=1 XSESSION_LAYOUT=$2; shift 2 ;;
    --scale) export QT_SCALE_FACTOR=$2; scaled=1; shift 2 ;;
    --screen-scale) export QT_SCREEN_SCALE_FACTORS=$2; scaled=1; shift 2 ;;
    --dpi) dpi=$2; export QT_AUTO_SCREEN_SCALE_FACTOR=1; scaled=1; shift 2 ;;
    --) shift; break ;;
    *) break ;;
  esac
done

[ -n "$size" ] || { [ "$scaled" = 1 ] && size=3840x2160 || size=1920x1080; }
trap 'xsession_stop' EXIT
trap 'exit 143' TERM INT
xsession_start "$size" || exit 1
if [ -n "$dpi" ]; then
  echo "Xft.dpi: $dpi" | xrdb -merge || exit 1
fi
if [ "$compositor" = 1 ]; then
  # -n: plain compositing without shadows, as most X11 desktops run it
  xcompmgr -n >"$XSESSION_DIR/xcompmgr.log" 2>&1 &
  XSESSION_PIDS+=($!)
  # a compositor announces itself by owning _NET_WM_CM_S0
  xsession_wait "xsession_owned _NET_WM_CM_S0" 200 || { echo "with-x: no compositor" >&2; exit 1; }
fi
export KLIPORA_TEST_TMP="$XSESSION_DIR"
"$@" &
child=$!
wait "$child"
rc=$?
exit $rc
