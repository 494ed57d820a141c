#!/usr/bin/env bash
# Times the real klipora process on headless sway (scripts/with-sway.sh: two
# outputs, 1280x720 and 1024x768 side by side, no X display), from outside:
#   overlay_focus_ms  `klipora snip` started -> sway's tree holds the overlay,
#                     visible, focused and covering the whole desktop (Klipora
#                     asks sway for that place and the focus once it is mapped)
#   overlay_paint_ms  `klipora snip` started -> grim sees the overlay's pixels
#                     (the 32x16 patch at the top left corner changes)
#   poll_ms           one round of those two looks: how late the two above can be
#   clip_owned_ms     Return sent (after Ctrl+A) -> wl-paste lists image/png
#   clip_read_ms      Return sent -> another process has read the whole PNG
#   shot_ms           `klipora shot --path F.png`, end to end
#   grim_png_ms       `grim F.png` of the same desktop; grim_ppm_ms the same
#                     without PNG encoding
# Prints medians (min..max) of N runs and the machine's load before and after.
#   bench/sway.sh [--runs N] [--exe path/to/klipora] [--keep]
# --keep leaves the session folder (Klipora's log, the pictures) in /tmp.
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
runs=5
exe="$root/build/bin/klipora"
keep=0
args=("$@")
while [ $# -gt 0 ]; do
  case "$1" in
    --runs) runs=${2:-}; shift 2 || { echo "--runs needs a number" >&2; exit 2; } ;;
    --exe) exe=${2:-}; shift 2 || { echo "--exe needs a path" >&2; exit 2; } ;;
    --keep) keep=1; shift ;;
    *) echo "unknown option $1" >&2; exit 2 ;;
  esac
done
[[ "$runs" =~ ^[1-9][0-9]*$ ]] || { echo "--runs needs a positive number, not '$runs'" >&2; exit 2; }
[ -x "$exe" ] || { echo "no klipora at $exe (build it or pass --exe)" >&2; exit 1; }
exe=$(cd "$(dirname "$exe")" && pwd)/$(basename "$exe")

# Outside the session: start one and come back inside it.
if [ "${KLIPORA_SWAY_BENCH:-}" != inside ]; then
  for tool in grim wl-paste wl-copy swaymsg wtype; do
    command -v "$tool" >/dev/null 2>&1 || { echo "$tool is missing (scripts/install-deps.sh installs it)" >&2; exit 1; }
  done
  load_before=$(cut -d' ' -f1-3 /proc/loadavg)
  KLIPORA_SWAY_BENCH=inside "$root/scripts/with-sway.sh" -- bash "$0" "${args[@]}" --exe "$exe"
  rc=$?
  [ "$rc" -eq 77 ] && echo "sway could not start here; nothing measured" >&2
  echo "load average $load_before before, $(cut -d' ' -f1-3 /proc/loadavg) after; $(nproc) cores"
  exit "$rc"
fi

# ---- inside headless sway ----
work=$KLIPORA_TEST_TMP/bench
mkdir -p "$work"
results=$work/results
: >"$results"
log=$work/klipora.log
TIMEOUT_S=30
klipora_pid=

say() { echo "[sway-bench] $*" >&2; }
# microseconds, without a fork
now_us() { local t=$EPOCHREALTIME; echo "${t/./}"; }
ms() { local d=$(( $2 - $1 )); printf '%d.%d' $((d / 1000)) $(( (d % 1000) / 100 )); }
deadline() { echo $(( $(now_us) + TIMEOUT_S * 1000000 )); }
record() { echo "$1 $2" >>"$results"; }

finish() {
  if [ -n "$klipora_pid" ] && kill -0 "$klipora_pid" 2>/dev/null; then
    "$exe" quit >/dev/null 2>&1
    local end; end=$(deadline)
    while kill -0 "$klipora_pid" 2>/dev/null && [ "$(now_us)" -lt "$end" ]; do sleep 0.05; done
    kill "$klipora_pid" 2>/dev/null
    wait "$klipora_pid" 2>/dev/null
  fi
  if [ "$keep" -eq 1 ]; then
    cp -r "$work" "/tmp/klipora-sway-bench.$$" && say "kept $work as /tmp/klipora-sway-bench.$$"
  fi
}
trap finish EXIT

desktop=$(grim -t ppm - 2>/dev/null | head -c 20 | sed -n 2p)
[[ "$desktop" =~ ^[0-9]+\ [0-9]+$ ]] || { say "grim sees no desktop"; exit 1; }
desk_w=${desktop% *}
desk_h=${desktop#* }
say "desktop ${desk_w}x${desk_h}, $runs runs"

# a known, detailed wallpaper on each output, as the X11 bench has, so grabs
# and PNGs carry real content
bare=$(grim -g "600,330 16x16" -t ppm - 2>/dev/null | md5sum)
wallpaper=none
if command -v swaybg >/dev/null 2>&1 &&
  convert -size 1280x720 -seed 7 plasma:fractal "$work/bg1.png" 2>/dev/null &&
  convert -size 1024x768 -seed 8 plasma:fractal "$work/bg2.png" 2>/dev/null &&
  swaymsg output HEADLESS-1 bg "$work/bg1.png" fill >/dev/null &&
  swaymsg output HEADLESS-2 bg "$work/bg2.png" fill >/dev/null; then
  end=$(deadline)
  while [ "$(grim -g "600,330 16x16" -t ppm - 2>/dev/null | md5sum)" = "$bare" ] && [ "$(now_us)" -lt "$end" ]; do :; done
  [ "$(grim -g "600,330 16x16" -t ppm - 2>/dev/null | md5sum)" != "$bare" ] && wallpaper=plasma
fi
[ "$wallpaper" = none ] && say "no wallpaper (swaybg or convert failed): the desktop is flat, PNGs are tiny"

# the patch grim watches: the top left corner, where the overlay, which opens
# with the whole desktop selected and so undimmed, paints the selection's size
patch="0,0 32x16"
grim_patch() { grim -g "$patch" -t ppm - 2>/dev/null; }

# The overlay in sway's tree: visible, focused and over the whole desktop.
# Reads the raw tree line by line: the fields of one view come before its
# children's, and sway writes "name" after "rect" and before "visible".
overlay_up() {
  swaymsg -r -t get_tree 2>/dev/null | awk -v w="$desk_w" -v h="$desk_h" '
    /"focused":/ { focused = ($2 ~ /true/) }
    /"rect": \{/ { inrect = 1; next }
    inrect && /"x":/ { x = $2 + 0 } inrect && /"y":/ { y = $2 + 0 }
    inrect && /"width":/ { rw = $2 + 0 } inrect && /"height":/ { rh = $2 + 0; inrect = 0 }
    /"name": "Klipora overlay/ { candidate = (focused && x == 0 && y == 0 && rw == w && rh == h) }
    /"visible":/ { if (candidate && $2 ~ /true/) found = 1; candidate = 0 }
    END { exit found ? 0 : 1 }'
}

# Any Klipora overlay still shown in sway's tree.
overlay_shown() {
  swaymsg -r -t get_tree 2>/dev/null | awk '
    /"name": "Klipora overlay/ { candidate = 1 }
    /"visible":/ { if (candidate && $2 ~ /true/) found = 1; candidate = 0 }
    END { exit found ? 0 : 1 }'
}

png_listed() { wl-paste --list-types 2>/dev/null | grep -qx 'image/png'; }

# ---- the instance, started like a user's session would ----
"$exe" >"$log" 2>&1 &
klipora_pid=$!
end=$(deadline)
until grep -q 'ready\.' "$log"; do
  kill -0 "$klipora_pid" 2>/dev/null || { say "klipora ended before it was ready:"; tail -n 20 "$log" >&2; exit 1; }
  [ "$(now_us)" -lt "$end" ] || { say "klipora was not ready within ${TIMEOUT_S}s"; exit 1; }
  sleep 0.05
done
grep -q 'desktop: wlroots' "$log" || say "klipora did not report a wlroots desktop; its log is in $log"

for run in $(seq "$runs"); do
  # ---- snip: trigger -> overlay mapped -> painted; Ctrl+A, Return -> clipboard
  wl-copy --clear 2>/dev/null
  if png_listed; then say "run $run: the clipboard still holds a PNG; skipped"; continue; fi
  grim_patch >"$work/patch-before.ppm"
  lines_before=$(wc -l <"$log")
  t0=$(now_us)
  "$exe" snip >"$work/snip.out" 2>&1 &
  snip_pid=$!
  mapped=
  painted=
  polls=0
  end=$(deadline)
  while [ -z "$painted" ] || [ -z "$mapped" ]; do
    if [ "$(now_us)" -ge "$end" ]; then break; fi
    polls=$((polls + 1))
    if [ -z "$mapped" ] && overlay_up; then mapped=$(now_us); fi
    if [ -z "$painted" ] && ! grim_patch | cmp -s - "$work/patch-before.ppm"; then painted=$(now_us); fi
  done
  # how late a figure can be: one look at sway's tree and at the pixels
  record poll_ms "$(( ($(now_us) - t0) / polls / 1000 ))"
  if [ -n "$mapped" ]; then record overlay_focus_ms "$(ms "$t0" "$mapped")"; else say "run $run: overlay never mapped"; fi
  if [ -n "$painted" ]; then record overlay_paint_ms "$(ms "$t0" "$painted")"; else say "run $run: overlay never painted"; fi
  if [ -z "$mapped" ]; then
    wait "$snip_pid" 2>/dev/null
    continue
  fi
  wtype -M ctrl a -m ctrl
  t1=$(now_us)
  wtype -k Return
  owned=
  end=$(deadline)
  until png_listed; do
    [ "$(now_us)" -lt "$end" ] || break
  done
  png_listed && owned=$(now_us)
  if [ -n "$owned" ]; then
    record clip_owned_ms "$(ms "$t1" "$owned")"
    # the owner now hands the PNG to whoever asks
    if wl-paste -n -t image/png >"$work/clip.png" 2>/dev/null && [ -s "$work/clip.png" ]; then
      read_at=$(now_us)
      # a PNG's IHDR holds its width and height: the copy must be the whole desktop
      size=$(od -An -tu1 -j16 -N8 "$work/clip.png" | awk '{ printf "%d %d", $1*16777216 + $2*65536 + $3*256 + $4, $5*16777216 + $6*65536 + $7*256 + $8 }')
      [ "$size" = "$desk_w $desk_h" ] || say "run $run: the clipboard's PNG is $size, not the desktop's $desk_w $desk_h"
      record clip_read_ms "$(ms "$t1" "$read_at")"
      record clip_png_kb "$(( $(stat -c %s "$work/clip.png") / 1024 ))"
    else
      say "run $run: the clipboard listed image/png but gave none"
    fi
  else
    say "run $run: no PNG on the clipboard within ${TIMEOUT_S}s"
  fi
  # Klipora's own figure for the grab behind this overlay
  grab=$(tail -n +"$((lines_before + 1))" "$log" | sed -n 's/.*grim grabbed.* in \([0-9]*\) ms.*/\1/p' | head -n1)
  [ -n "$grab" ] && record klipora_grim_grab_ms "$grab"
  # the next run starts from the bare desktop
  end=$(deadline)
  while overlay_shown && [ "$(now_us)" -lt "$end" ]; do :; done
  until grim_patch | cmp -s - "$work/patch-before.ppm" || [ "$(now_us)" -ge "$end" ]; do :; done
  wait "$snip_pid" 2>/dev/null

  # ---- shot to a file, end to end, and grim alone on the same desktop
  rm -f "$work/shot.png"
  t0=$(now_us)
  if "$exe" shot --path "$work/shot.png" >"$work/shot.out" 2>&1 && [ -s "$work/shot.png" ]; then
    record shot_ms "$(ms "$t0" "$(now_us)")"
    record shot_png_kb "$(( $(stat -c %s "$work/shot.png") / 1024 ))"
  else
    say "run $run: klipora shot failed: $(tail -n 3 "$work/shot.out")"
  fi
  rm -f "$work/grim.png"
  t0=$(now_us)
  if grim "$work/grim.png" 2>/dev/null && [ -s "$work/grim.png" ]; then
    record grim_png_ms "$(ms "$t0" "$(now_us)")"
    record grim_png_kb "$(( $(stat -c %s "$work/grim.png") / 1024 ))"
  fi
  t0=$(now_us)
  grim -t ppm "$work/grim.ppm" 2>/dev/null && record grim_ppm_ms "$(ms "$t0" "$(now_us)")"
  say "run $run done"
done

echo "Klipora on headless sway, desktop ${desk_w}x${desk_h} (two outputs), wallpaper: $wallpaper, $runs runs"
printf '%-22s %s\n' measure 'median (min..max) n; each run in order'
for m in overlay_focus_ms overlay_paint_ms poll_ms klipora_grim_grab_ms clip_owned_ms clip_read_ms clip_png_kb shot_ms shot_png_kb grim_png_ms grim_png_kb grim_ppm_ms; do
  in_order=$(awk -v m="$m" '$1 == m {printf " %s", $2}' "$results")
  values=$(awk -v m="$m" '$1 == m {print $2}' "$results" | sort -n)
  [ -n "$values" ] || { printf '%-22s %s\n' "$m" '-'; continue; }
  awk -v m="$m" '{ v[NR] = $1 } END {
      med = (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
      printf "%-22s %g (%g..%g) n=%d;", m, med, v[1], v[NR], NR }' <<<"$values"
  echo "$in_order"
done
