#!/usr/bin/env bash
# Runs a command inside a private X session (Xvfb + fluxbox with a system tray)
# with a private HOME, then tears down exactly what it started.
#   with-x.sh [--size WxH] [--no-wm] [--compositor] [--dual] [--layout NAME] [--] command [args...]
# --dual: two monitors side by side (1920x1080 and 1280x1024) on Xorg's dummy driver.
# --layout side|stacked|primary-right|offset: the same two monitors placed
#   that way (see xsession.sh); XSESSION_LAYOUT tells the command which.
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/xsession.sh"

size=1920x1080
compositor=0
while [ $# -gt 0 ]; do
  case "$1" in
    --size) size=$2; shift 2 ;;
    --no-wm) export XSESSION_NO_WM=1; shift ;;
    --compositor) compositor=1; shift ;;
    --dual) export XSESSION_DUAL=1 XSESSION_LAYOUT=side; shift ;;
    --layout) export XSESSION_DUAL=1 XSESSION_LAYOUT=$2; shift 2 ;;
    --) shift; break ;;
    *) break ;;
  esac
done

trap 'xsession_stop' EXIT
trap 'exit 143' TERM INT
xsession_start "$size" || exit 1
if [ "$compositor" = 1 ]; then
  xcompmgr >"$XSESSION_DIR/xcompmgr.log" 2>&1 &
  XSESSION_PIDS+=($!)
  # a compositor announces itself by owning _NET_WM_CM_S0; give it a moment
  sleep 0.5
fi
export KLIPORA_TEST_TMP="$XSESSION_DIR"
"$@" &
child=$!
wait "$child"
rc=$?
exit $rc
