#!/usr/bin/env bash
# The headless demo: a private X server with a tray, Klipora in it, and
# screenshots of what a user would see. Each step leaves one PNG.
#   demo.sh <klipora executable> <output folder>
set -u
here=$(cd "$(dirname "$0")" && pwd)
exe=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
out=${2:-$PWD/out/demo}
mkdir -p "$out"
out=$(cd "$out" && pwd)
rm -f "$out"/*.png "$out/klipora.log"
. "$here/xsession.sh"

trap 'xsession_stop' EXIT
trap 'exit 143' TERM INT
xsession_start 1280x800 || exit 1

log="$out/klipora.log"
"$exe" >"$log" 2>&1 &
kpid=$!
XSESSION_PIDS+=($kpid)

shot() { /usr/bin/import -window root "$out/$1.png" && echo "  $out/$1.png  ($2)"; }

# The tray icon is Klipora's small window embedded in the fluxbox toolbar.
tray_icon() {
  local w
  for w in $(xdotool search --classname klipora 2>/dev/null); do
    local info; info=$(xwininfo -id "$w" 2>/dev/null) || continue
    grep -q 'Map State: IsViewable' <<<"$info" || continue
    local wd ht
    wd=$(awk '/Width:/ {print $2}' <<<"$info"); ht=$(awk '/Height:/ {print $2}' <<<"$info")
    if [ "$wd" -le 64 ] && [ "$ht" -le 64 ]; then
      local x y
      x=$(awk '/Absolute upper-left X:/ {print $4}' <<<"$info")
      y=$(awk '/Absolute upper-left Y:/ {print $4}' <<<"$info")
      echo "$((x + wd / 2)) $((y + ht / 2))"
      return 0
    fi
  done
  return 1
}

echo "Screenshots:"
if ! xsession_wait "tray_icon" 200; then
  echo "Klipora's tray icon did not appear; see $log" >&2
  shot failed "the desktop without the tray icon"
  exit 1
fi
read -r tx ty <<<"$(tray_icon)"
shot 01-tray "Klipora's icon in the tray at the bottom right"
xdotool mousemove "$tx" "$ty" click 3
sleep 1
shot 02-tray-menu "the tray menu opened with a right click"
xdotool key Escape
sleep 0.3

# Later steps (a snip, a pin, a recording) go here.

echo "Log: $log"
kill -0 "$kpid" 2>/dev/null || { echo "Klipora exited early; see $log" >&2; exit 1; }
exit 0
