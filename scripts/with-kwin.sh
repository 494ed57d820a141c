#!/usr/bin/env bash
# Runs a command inside a private headless KWin session (virtual backend):
# two outputs, Virtual-0 1280x720 at 0,0 and Virtual-1 1280x720 at 1280,0, a
# private runtime folder, HOME and D-Bus, and no X display. KWin lets every
# client take screenshots here (KWIN_SCREENSHOT_NO_PERMISSION_CHECKS), since
# the test binaries have no .desktop file that authorises them. Tears down
# exactly what it started. Exit 77 (skip) when KWin cannot start here.
# KLIPORA_KWIN_STRICT=1 keeps KWin's check, for tests of the authorisation.
#   with-kwin.sh [--] command [args...]
# The command sees WAYLAND_DISPLAY, XDG_CURRENT_DESKTOP=KDE and KLIPORA_TEST_TMP.
set -u
[ "${1:-}" = "--" ] && shift
for tool in kwin_wayland qdbus dbus-run-session unshare; do
  command -v "$tool" >/dev/null 2>&1 || { echo "with-kwin: $tool is missing; skipping" >&2; exit 77; }
done

dir=$(mktemp -d "${TMPDIR:-/tmp}/klipora-kwin.XXXXXX")
trap 'rm -rf "$dir"' EXIT
mkdir -p "$dir/run" "$dir/home/.config"
chmod 700 "$dir/run"
# The packaged binary carries a file capability that a container's bounding
# set may lack, and then refuses to run at all; a plain copy has none.
cp "$(command -v kwin_wayland)" "$dir/kwin_wayland" || exit 77

inner=$(cat <<'INNER'
set -u
dir=$1; shift
bypass=KWIN_SCREENSHOT_NO_PERMISSION_CHECKS=1
[ "${KLIPORA_KWIN_STRICT:-}" = 1 ] && bypass=KLIPORA_KWIN_STRICT=1
env -u QT_QPA_PLATFORM "$bypass" \
  "$dir/kwin_wayland" --virtual --socket wayland-kde --width 1280 --height 720 --output-count 2 \
  --no-lockscreen >"$dir/kwin.log" 2>&1 &
kwin_pid=$!
stop() {
  kill "$kwin_pid" 2>/dev/null
  wait "$kwin_pid" 2>/dev/null
}
trap stop EXIT
# KWin serves screenshots once its compositor runs, a little after it takes
# its bus name; 30 s at most
up=0
for _ in $(seq 300); do
  kill -0 "$kwin_pid" 2>/dev/null || break
  if [ -S "$XDG_RUNTIME_DIR/wayland-kde" ] && qdbus org.kde.KWin /org/kde/KWin/ScreenShot2 >/dev/null 2>&1; then
    up=1
    break
  fi
  sleep 0.1
done
if [ "$up" != 1 ]; then
  echo "with-kwin: KWin did not start; its log:" >&2
  tail -n 20 "$dir/kwin.log" >&2
  exit 77
fi
export WAYLAND_DISPLAY=wayland-kde
dbus-update-activation-environment WAYLAND_DISPLAY XDG_CURRENT_DESKTOP XDG_SESSION_TYPE \
  KDE_SESSION_VERSION KDE_FULL_SESSION 2>/dev/null
"$@"
INNER
)

run_inner() {
  env -u DISPLAY -u XAUTHORITY -u QT_QPA_PLATFORM -u WAYLAND_DISPLAY -u SWAYSOCK \
    HOME="$dir/home" XDG_CONFIG_HOME="$dir/home/.config" XDG_DATA_HOME="$dir/home/.local/share" \
    XDG_CACHE_HOME="$dir/home/.cache" XDG_RUNTIME_DIR="$dir/run" KLIPORA_TEST_TMP="$dir" \
    XDG_CURRENT_DESKTOP=KDE XDG_SESSION_TYPE=wayland KDE_SESSION_VERSION=5 KDE_FULL_SESSION=true \
    "$@"
}

if [ "$(id -u)" -eq 0 ]; then
  unshare -U --map-user=1000 --map-group=1000 true 2>/dev/null ||
    { echo "with-kwin: no user namespaces here; skipping" >&2; exit 77; }
  # KWin, like other compositors, will not run as root; a user namespace
  # maps us to an ordinary uid
  run_inner unshare -U --map-user=1000 --map-group=1000 dbus-run-session -- bash -c "$inner" bash "$dir" "$@"
else
  run_inner dbus-run-session -- bash -c "$inner" bash "$dir" "$@"
fi
