#!/usr/bin/env bash
# Runs a command inside a private headless sway session: two outputs,
# HEADLESS-1 1280x720 at 0,0 and HEADLESS-2 1024x768 at 1280,0, a private
# runtime folder, HOME and D-Bus, and no X display. Tears down exactly what it
# started. Exit 77 (skip) when sway cannot start on this machine.
#   with-sway.sh [--] command [args...]
# The command sees WAYLAND_DISPLAY, SWAYSOCK and KLIPORA_TEST_TMP. A
# long-lived wtype keeps a virtual keyboard on the seat (headless sway has
# none), so that keys sent with wtype are never lost to a seat without one.
set -u
[ "${1:-}" = "--" ] && shift
for tool in sway swaymsg dbus-run-session unshare wtype; do
  command -v "$tool" >/dev/null 2>&1 || { echo "with-sway: $tool is missing; skipping" >&2; exit 77; }
done

dir=$(mktemp -d "${TMPDIR:-/tmp}/klipora-sway.XXXXXX")
trap 'rm -rf "$dir"' EXIT
mkdir -p "$dir/run" "$dir/home/.config"
chmod 700 "$dir/run"
cat >"$dir/sway.config" <<'CONFIG'
xwayland disable
output HEADLESS-1 mode 1280x720 position 0 0
output HEADLESS-2 mode 1024x768 position 1280 0
focus_follows_mouse no
CONFIG

inner=$(cat <<'INNER'
set -u
dir=$1; shift
sway -c "$dir/sway.config" >"$dir/sway.log" 2>&1 &
sway_pid=$!
wtype_pid=
stop() {
  [ -n "$wtype_pid" ] && kill "$wtype_pid" 2>/dev/null
  kill "$sway_pid" 2>/dev/null
  wait "$sway_pid" 2>/dev/null
}
trap stop EXIT
# sway makes its IPC socket once its outputs are up
for _ in $(seq 300); do
  ls "$XDG_RUNTIME_DIR"/sway-ipc.* >/dev/null 2>&1 && break
  kill -0 "$sway_pid" 2>/dev/null || break
  sleep 0.05
done
sock=$(ls "$XDG_RUNTIME_DIR"/sway-ipc.* 2>/dev/null | head -n1)
display=$(cd "$XDG_RUNTIME_DIR" && ls -d wayland-? 2>/dev/null | head -n1)
if [ -z "$sock" ] || [ -z "$display" ]; then
  echo "with-sway: sway did not start; its log:" >&2
  tail -n 20 "$dir/sway.log" >&2
  exit 77
fi
export SWAYSOCK=$sock WAYLAND_DISPLAY=$display
dbus-update-activation-environment WAYLAND_DISPLAY SWAYSOCK XDG_CURRENT_DESKTOP XDG_SESSION_TYPE 2>/dev/null
# an hour's sleep: the key at its end is never sent, the process is stopped first
wtype -s 3600000 -k Shift_L &
wtype_pid=$!
"$@"
INNER
)

run_inner() {
  env -u DISPLAY -u XAUTHORITY -u QT_QPA_PLATFORM -u WAYLAND_DISPLAY -u SWAYSOCK \
    HOME="$dir/home" XDG_CONFIG_HOME="$dir/home/.config" XDG_DATA_HOME="$dir/home/.local/share" \
    XDG_CACHE_HOME="$dir/home/.cache" XDG_RUNTIME_DIR="$dir/run" KLIPORA_TEST_TMP="$dir" \
    XDG_CURRENT_DESKTOP=sway XDG_SESSION_TYPE=wayland \
    WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman WLR_HEADLESS_OUTPUTS=2 \
    "$@"
}

if [ "$(id -u)" -eq 0 ]; then
  unshare -U --map-user=1000 --map-group=1000 true 2>/dev/null ||
    { echo "with-sway: no user namespaces here; skipping" >&2; exit 77; }
  # sway refuses to run as root; a user namespace maps us to an ordinary uid
  run_inner unshare -U --map-user=1000 --map-group=1000 dbus-run-session -- bash -c "$inner" bash "$dir" "$@"
else
  run_inner dbus-run-session -- bash -c "$inner" bash "$dir" "$@"
fi
