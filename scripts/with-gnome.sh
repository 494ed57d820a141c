#!/usr/bin/env bash
# Runs a command inside a private headless GNOME Shell session: one virtual
# monitor of 1280x720, PipeWire for the screen cast, a private runtime
# folder, HOME and D-Bus (and a stand-in system bus, without which the shell
# does not start), and no X display. Tears down exactly what it started.
# Exit 77 (skip) when GNOME Shell cannot start on this machine.
#   with-gnome.sh [--] command [args...]
# The command sees WAYLAND_DISPLAY and KLIPORA_TEST_TMP.
set -u
[ "${1:-}" = "--" ] && shift
for tool in gnome-shell dbus-run-session dbus-daemon unshare gdbus pipewire wireplumber; do
  command -v "$tool" >/dev/null 2>&1 || { echo "with-gnome: $tool is missing; skipping" >&2; exit 77; }
done

dir=$(mktemp -d "${TMPDIR:-/tmp}/klipora-gnome.XXXXXX")
trap 'rm -rf "$dir"' EXIT
mkdir -p "$dir/run" "$dir/home/.config" "$dir/portals"
chmod 700 "$dir/run"

inner=$(cat <<'INNER'
set -u
dir=$1; shift
pids=()
stop() {
  # newest first: the shell before the buses it talks to
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null; done
}
trap stop EXIT
dbus-daemon --session --nofork --address="unix:path=$XDG_RUNTIME_DIR/sysbus" >/dev/null 2>&1 &
pids+=($!)
export DBUS_SYSTEM_BUS_ADDRESS="unix:path=$XDG_RUNTIME_DIR/sysbus"
pipewire >"$dir/pipewire.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do [ -S "$XDG_RUNTIME_DIR/pipewire-0" ] && break; sleep 0.05; done
wireplumber >"$dir/wireplumber.log" 2>&1 &
pids+=($!)
gnome-shell --headless --wayland --no-x11 --virtual-monitor 1280x720 --wayland-display wayland-gn \
  >"$dir/gnome-shell.log" 2>&1 &
shell=$!
pids+=($shell)
up=
for _ in $(seq 300); do
  kill -0 "$shell" 2>/dev/null || break
  if [ -S "$XDG_RUNTIME_DIR/wayland-gn" ] &&
     gdbus introspect --session -d org.gnome.Mutter.ScreenCast -o /org/gnome/Mutter/ScreenCast >/dev/null 2>&1; then
    up=1; break
  fi
  sleep 0.1
done
if [ -z "$up" ]; then
  echo "with-gnome: gnome-shell did not start; its log:" >&2
  tail -n 20 "$dir/gnome-shell.log" >&2
  exit 77
fi
export WAYLAND_DISPLAY=wayland-gn
dbus-update-activation-environment WAYLAND_DISPLAY XDG_CURRENT_DESKTOP XDG_SESSION_TYPE 2>/dev/null
"$@"
INNER
)

run_inner() {
  env -u DISPLAY -u XAUTHORITY -u QT_QPA_PLATFORM -u WAYLAND_DISPLAY -u SWAYSOCK \
    HOME="$dir/home" XDG_CONFIG_HOME="$dir/home/.config" XDG_DATA_HOME="$dir/home/.local/share" \
    XDG_CACHE_HOME="$dir/home/.cache" XDG_RUNTIME_DIR="$dir/run" KLIPORA_TEST_TMP="$dir" \
    XDG_CURRENT_DESKTOP=GNOME XDG_SESSION_TYPE=wayland XDG_SESSION_DESKTOP=gnome \
    GSETTINGS_BACKEND=keyfile \
    "$@"
}

if [ "$(id -u)" -eq 0 ]; then
  unshare -U --map-user=1000 --map-group=1000 true 2>/dev/null ||
    { echo "with-gnome: no user namespaces here; skipping" >&2; exit 77; }
  run_inner unshare -U --map-user=1000 --map-group=1000 dbus-run-session -- bash -c "$inner" bash "$dir" "$@"
else
  run_inner dbus-run-session -- bash -c "$inner" bash "$dir" "$@"
fi
