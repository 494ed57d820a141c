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

# "x y width height" of each window of Klipora's that is on screen.
visible_windows() {
  local w info
  for w in $(xdotool search --classname klipora 2>/dev/null); do
    info=$(xwininfo -id "$w" 2>/dev/null) || continue
    grep -q 'Map State: IsViewable' <<<"$info" || continue
    awk '/Absolute upper-left X:/ {x = $4} /Absolute upper-left Y:/ {y = $4}
         /Width:/ {wd = $2} /Height:/ {ht = $2} END {print x, y, wd, ht}' <<<"$info"
  done
}

# The tray icon is Klipora's small window embedded in the fluxbox toolbar.
tray_icon() {
  local x y wd ht
  while read -r x y wd ht; do
    if [ "$wd" -le 64 ] && [ "$ht" -le 64 ]; then
      echo "$((x + wd / 2)) $((y + ht / 2))"
      return 0
    fi
  done < <(visible_windows)
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

# A snip: "Snip" from the tray menu, a region dragged out, a rectangle, an
# arrow and a text drawn with the toolbar, then the accept button copies it
# (Return would go into the text box being edited).
toolbar() {
  local x y wd ht
  while read -r x y wd ht; do
    if [ "$ht" -eq 35 ] && [ "$wd" -gt 300 ]; then
      echo "$x $y $wd"
      return 0
    fi
  done < <(visible_windows)
  return 1
}
tool() { xdotool mousemove $((mx + 17 + 35 * $1)) $((my + 17)) click 1; sleep 0.4; }
stroke() { xdotool mousemove "$1" "$2" mousedown 1 mousemove $((($1 + $3) / 2)) $((($2 + $4) / 2)) mousemove "$3" "$4" mouseup 1; sleep 0.3; }

xdotool mousemove "$tx" "$ty" click 3
sleep 1
xdotool key Down Return
sleep 1.5
shot 03-snip-started "the overlay over the frozen desktop, proposing the window under the cursor"
stroke 260 180 900 560
sleep 0.5
if ! xsession_wait "toolbar" 50; then
  echo "The annotation toolbar did not appear; see $log" >&2
  shot failed "no toolbar after selecting"
  exit 1
fi
read -r mx my mw <<<"$(toolbar)"
shot 04-snip-selected "a region selected, its size above it and the toolbar under it"
tool 0; stroke 300 220 520 380
tool 2; stroke 560 420 820 300
tool 5; xdotool mousemove 320 440 click 1; sleep 0.3; xdotool type "Klipora"; sleep 0.3
xdotool mousemove 700 500; sleep 0.3
shot 05-snip-annotated "a rectangle, an arrow and a text, with the text tool's font menu open"
xdotool mousemove $((mx + mw - 17)) $((my + 17)) click 1
sleep 1
shot 06-snip-copied "the overlay gone after accepting"
if xclip -selection clipboard -t image/png -o >"$out/snip-clipboard.png" 2>/dev/null; then
  echo "  $out/snip-clipboard.png  (the snip as another program reads it from the clipboard)"
  echo "  its position: $(xclip -selection clipboard -t application/qpoint -o | od -An -tx1)"
fi

echo "Log: $log"
kill -0 "$kpid" 2>/dev/null || { echo "Klipora exited early; see $log" >&2; exit 1; }
exit 0
