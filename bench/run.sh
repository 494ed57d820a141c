#!/usr/bin/env bash
# Measures the real klipora process from outside, side by side with Flameshot,
# on a private X server at 1920x1080 and 3840x2160. Prints medians (min..max)
# and Klipora/Flameshot ratios, and writes the table into bench/README.md.
#   bench/run.sh [--runs N] [--sizes "1920x1080 3840x2160"] [--tools "klipora flameshot"]
#                [--no-readme] [--keep]
# --keep leaves the session folders (logs, screenshots of each step) in /tmp.
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
runs=5
sizes="1920x1080 3840x2160"
tools="klipora flameshot"
readme=1
while [ $# -gt 0 ]; do
  case "$1" in
    --runs) runs=$2; shift 2 ;;
    --sizes) sizes=$2; shift 2 ;;
    --tools) tools=$2; shift 2 ;;
    --no-readme) readme=0; shift ;;
    --keep) export XSESSION_KEEP=1; shift ;;
    *) echo "unknown option $1" >&2; exit 2 ;;
  esac
done

"$root/scripts/install-deps.sh" || exit 1
# the comparison tool and the session bus it needs, and the libraries of the
# outside-in probe: the bench's own, never the README's
bench_packages=(flameshot dbus-x11 libx11-dev libxcb-damage0-dev libxcb-xtest0-dev)
for p in "${bench_packages[@]}"; do
  if [ "$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null)" != "install ok installed" ]; then
    SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO=sudo
    $SUDO apt-get -o DPkg::Lock::Timeout=600 -y -q update >/dev/null
    $SUDO env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 -y -q install --no-install-recommends "${bench_packages[@]}" >/dev/null || exit 1
    break
  fi
done
"$root/scripts/build.sh" build-bench Release -DKLIPORA_BENCH=ON -DKLIPORA_TESTS=OFF || exit 1
exe="$root/build-bench/bin/klipora"
probe="$root/build-bench/bin/xprobe"
pngencode="$root/build-bench/bin/bench_pngencode"
results=$(mktemp)
load_before=$(cut -d' ' -f1-3 /proc/loadavg)
. "$root/scripts/xsession.sh"
trap 'xsession_stop; rm -f "$results"; exit 143' TERM INT

# no wait of the probe may hang a run
export XPROBE_TIMEOUT=10

say() { echo "[bench] $*" >&2; }
now_ns() { date +%s%N; }
ms_since() { echo $(( ($(now_ns) - $1) / 1000000 )); }
field() { awk -v k="$1" '$1 == k {print $2; exit}' <<<"$2"; }
is_number() { [[ "${1:-}" =~ ^[0-9]+(\.[0-9]+)?$ ]]; }
# tool size metric value; a missing or broken value records nothing
record() {
  if is_number "${4:-}"; then echo "$1 $2 $3 $4" >>"$results"; else say "no value for $1 $2 $3"; fi
}

# Memory and CPU of all processes of a tool: Klipora is one process, Flameshot
# is its tray daemon plus one `flameshot gui` process per capture.
rss_mb() { # pids...
  local p kb=0 v
  for p in "$@"; do
    v=$(awk '/VmRSS/ {print $2}' "/proc/$p/status" 2>/dev/null) && kb=$((kb + ${v:-0}))
  done
  [ "$kb" -gt 0 ] && awk -v k="$kb" 'BEGIN {printf "%.1f", k / 1024}'
}
cpu_ns() { # pids... → CPU time of all their threads in nanoseconds
  local p
  for p in "$@"; do cat /proc/"$p"/task/*/schedstat 2>/dev/null; done | awk '{s += $1} END {printf "%.0f", s}'
}
per_move() { awk -v a="$1" -v b="$2" -v n="$3" 'BEGIN {printf "%.3f", (b - a) / n / 1e6}'; }
# a zombie is not alive (nothing here may reap an orphan soon)
alive() { [ -n "${1:-}" ] && [ -r "/proc/$1/stat" ] && [ "$(awk '{print $3}' "/proc/$1/stat" 2>/dev/null)" != Z ]; }
shot() { [ "${XSESSION_KEEP:-0}" = 1 ] && /usr/bin/import -window root "$XSESSION_DIR/shot-$1.png" 2>/dev/null; true; }

png_complete() { # a PNG file ends with its IEND chunk
  [ -s "$1" ] && [ "$(tail -c 8 "$1" 2>/dev/null | od -An -tx1 | tr -d ' \n')" = "49454e44ae426082" ]
}
wait_file_png() { # folder seconds → name of the first complete PNG in it
  local i f
  for ((i = 0; i < $2 * 100; i++)); do
    for f in "$1"/*.png; do
      png_complete "$f" && { echo "$f"; return 0; }
    done
    sleep 0.01
  done
  return 1
}
clipboard_to_neutral() { # someone else owns the clipboard: a stale image cannot count
  xclip -selection clipboard -i </dev/null >/dev/null 2>&1
}
wait_clipboard_png() { # file seconds: until another process can read image/png
  local i
  for ((i = 0; i < $2 * 100; i++)); do
    if xclip -selection clipboard -t TARGETS -o 2>/dev/null | grep -qx 'image/png'; then
      timeout 20 xclip -selection clipboard -t image/png -o >"$1" 2>/dev/null && png_complete "$1" && return 0
    fi
    sleep 0.01
  done
  return 1
}

# --- driving each tool -------------------------------------------------------

PID=""         # the tool's resident process
OVERLAY_PID="" # the process that shows the overlay (Flameshot: its gui process)
SPAWNED=""     # a `flameshot gui` we started

start_tool() { # tool size [record] → PID
  local out
  case $1 in
    klipora) out=$(XPROBE_CHILD_LOG="$XSESSION_DIR/klipora.log" "$probe" tray klipora -- "$exe") ;;
    flameshot) out=$(XPROBE_CHILD_LOG="$XSESSION_DIR/flameshot.log" "$probe" tray flameshot -- flameshot) ;;
  esac
  PID=$(field PID "$out")
  if [ -z "$PID" ] || ! is_number "$(field TRAY_MS "$out")"; then
    say "$1 did not dock in the tray"
    [ -n "$PID" ] && xsession_kill "$PID"
    PID=""
    return 1
  fi
  [ -n "${3:-}" ] && record "$1" "$2" tray_ms "$(field TRAY_MS "$out")"
  return 0
}

stop_tool() {
  [ -n "$SPAWNED" ] && alive "$SPAWNED" && xsession_kill "$SPAWNED"
  [ -n "$PID" ] && xsession_kill "$PID"
  PID="" SPAWNED=""
}

OVERLAY_OUT=""
open_overlay() { # tool: hotkey (Klipora) or `flameshot gui`; sets OVERLAY_OUT, OVERLAY_PID
  case $1 in
    klipora) OVERLAY_OUT=$("$probe" overlay key F1) ;;
    flameshot) OVERLAY_OUT=$("$probe" overlay exec -- flameshot gui)
               SPAWNED=$(field SPAWN_PID "$OVERLAY_OUT") ;;
  esac
  OVERLAY_PID=$(field OVERLAY_PID "$OVERLAY_OUT")
  is_number "$(field PAINT_MS "$OVERLAY_OUT")" || { say "$1: no overlay:" $OVERLAY_OUT; shot "$1-no-overlay"; return 1; }
  sleep 0.3 # let it settle before input arrives
}

procs() { # the tool's live processes
  echo "$PID"
  [ -n "$OVERLAY_PID" ] && [ "$OVERLAY_PID" != "$PID" ] && alive "$OVERLAY_PID" && echo "$OVERLAY_PID"
}

overlay_gone() { "$probe" fullscreen-gone >/dev/null; }

# after a failed step: the overlay goes away one way or another, the tool lives on
recover() { # tool size
  say "$1: recovering after a failed step"
  "$probe" key Escape; sleep 0.3; "$probe" key Escape
  XPROBE_TIMEOUT=5 overlay_gone && alive "$PID" && return 0
  case $1 in
    flameshot) [ -n "$SPAWNED" ] && alive "$SPAWNED" && xsession_kill "$SPAWNED" ;;
    klipora) xsession_kill "$PID"; PID="" ;;
  esac
  XPROBE_TIMEOUT=5 overlay_gone
  if [ -z "$PID" ] || ! alive "$PID"; then
    start_tool "$1" "$2" || return 1
    sleep 2
  fi
}

key_copy() { case $1 in klipora) echo Return ;; flameshot) echo ctrl+c ;; esac; }

# --- the steps ---------------------------------------------------------------
# Each step records only when all of it worked, and returns non-zero otherwise.

step_drag() { # tool size w h: first overlay after start, then a drag of 500 moves
  local tool=$1 size=$2 w=$3 h=$4 c0 c1 x0 x1 rss
  open_overlay "$tool" || return 1
  local map paint; map=$(field MAP_MS "$OVERLAY_OUT"); paint=$(field PAINT_MS "$OVERLAY_OUT")
  rss=$(rss_mb $(procs))
  shot "$tool-overlay"
  c0=$(cpu_ns $(procs)); x0=$(cpu_ns "$XSESSION_SERVER_PID")
  "$probe" drag 100 100 $((w - 100)) $((h - 100)) 500 >/dev/null || return 1
  sleep 0.5
  c1=$(cpu_ns $(procs)); x1=$(cpu_ns "$XSESSION_SERVER_PID")
  shot "$tool-drag"
  "$probe" key Escape; overlay_gone || return 1
  record "$tool" "$size" overlay_map_ms "$map"
  record "$tool" "$size" overlay_paint_ms "$paint"
  record "$tool" "$size" rss_overlay_mb "$rss"
  record "$tool" "$size" drag_cpu_ms_per_move "$(per_move "$c0" "$c1" 500)"
  record "$tool" "$size" drag_xserver_cpu_ms_per_move "$(per_move "$x0" "$x1" 500)"
}

step_drag125() { # tool size w h: a drag at a gaming mouse's 125 moves a second
  local tool=$1 size=$2 w=$3 h=$4 c0 c1 x0 x1 out
  open_overlay "$tool" || return 1
  c0=$(cpu_ns $(procs)); x0=$(cpu_ns "$XSESSION_SERVER_PID")
  out=$("$probe" drag 100 100 $((w - 100)) $((h - 100)) 500 8000) || return 1
  sleep 0.5
  c1=$(cpu_ns $(procs)); x1=$(cpu_ns "$XSESSION_SERVER_PID")
  "$probe" key Escape; overlay_gone || return 1
  record "$tool" "$size" drag125_cpu_ms_per_move "$(per_move "$c0" "$c1" 500)"
  record "$tool" "$size" drag125_xserver_cpu_ms_per_move "$(per_move "$x0" "$x1" 500)"
  record "$tool" "$size" drag125_moves_per_s "$(field MOVES_PER_S "$out")"
  record "$tool" "$size" drag125_repaints_per_s "$(field REPAINTS_PER_S "$out")"
}

step_hover() { # tool size w h: second overlay; 500 moves without a button
  local tool=$1 size=$2 w=$3 h=$4 c0 c1 x0 x1
  open_overlay "$tool" || return 1
  local paint; paint=$(field PAINT_MS "$OVERLAY_OUT")
  c0=$(cpu_ns $(procs)); x0=$(cpu_ns "$XSESSION_SERVER_PID")
  "$probe" hover 100 100 $((w - 100)) $((h - 100)) 500 >/dev/null || return 1
  sleep 0.5
  c1=$(cpu_ns $(procs)); x1=$(cpu_ns "$XSESSION_SERVER_PID")
  shot "$tool-hover"
  "$probe" key Escape; overlay_gone || return 1
  record "$tool" "$size" overlay_paint_again_ms "$paint"
  record "$tool" "$size" hover_cpu_ms_per_move "$(per_move "$c0" "$c1" 500)"
  record "$tool" "$size" hover_xserver_cpu_ms_per_move "$(per_move "$x0" "$x1" 500)"
}

step_snip() { # tool size w h i: one snip copied to the clipboard; the first two are timed
  local tool=$1 size=$2 w=$3 h=$4 i=$5 png="$XSESSION_DIR/clip.png" t0 ms
  clipboard_to_neutral
  rm -f "$png"
  open_overlay "$tool" || return 1
  if [ "$i" = 1 ]; then
    # 3/4 of the screen: 1441x811 at 1920x1080, 2881x1621 at 3840x2160
    "$probe" drag 50 50 $((50 + w * 3 / 4)) $((50 + h * 3 / 4)) 20 || return 1
  else
    "$probe" key ctrl+a || return 1
  fi
  sleep 0.3
  [ "$i" -le 2 ] && shot "$tool-snip$i"
  t0=$(now_ns)
  "$probe" key "$(key_copy "$tool")"
  wait_clipboard_png "$png" 15 || { say "$tool: no image/png on the clipboard"; return 1; }
  ms=$(ms_since "$t0")
  overlay_gone || return 1
  local kb=$(( $(stat -c %s "$png") / 1024 ))
  case $i in
    1) record "$tool" "$size" copy_png_ms "$ms"; record "$tool" "$size" copy_png_kb "$kb"
       cp "$png" "$XSESSION_DIR/$tool-selection.png" ;;
    2) record "$tool" "$size" copy_full_png_ms "$ms"; record "$tool" "$size" copy_full_png_kb "$kb" ;;
  esac
  return 0
}

step_save() { # tool size: the whole screen saved as PNG through the overlay
  local tool=$1 size=$2 dir t0 ms file
  case $tool in
    klipora) dir="$HOME/Pictures" ;;
    flameshot) dir="$HOME/flameshot-shots" ;;
  esac
  mkdir -p "$dir"; rm -f "$dir"/*.png
  open_overlay "$tool" || return 1
  "$probe" key ctrl+a || return 1
  sleep 0.3
  case $tool in
    klipora)
      "$probe" key ctrl+s || return 1
      # the save dialog proposes a file in the pictures folder; Return takes it
      local i
      for ((i = 0; i < 100; i++)); do
        # titled in the interface language: Chinese by default, or English
        xdotool search --onlyvisible --name '^(Save Image|保存图片)$' >/dev/null 2>&1 && break
        sleep 0.1
      done
      [ "$i" -lt 100 ] || { say "klipora: no save dialog"; return 1; }
      sleep 0.5
      shot "$tool-savedialog"
      t0=$(now_ns)
      "$probe" key Return ;;
    flameshot)
      # a fixed save path: Ctrl+S writes without a dialog
      t0=$(now_ns)
      "$probe" key ctrl+s ;;
  esac
  file=$(wait_file_png "$dir" 20) || { say "$tool: no saved PNG"; return 1; }
  ms=$(ms_since "$t0")
  overlay_gone || return 1
  # the file must be the whole screen
  local dims; dims=$(/usr/bin/identify -format '%wx%h' "$file" 2>/dev/null)
  [ "$dims" = "$size" ] || { say "$tool: saved $dims, not $size"; return 1; }
  record "$tool" "$size" save_png_ms "$ms"
  record "$tool" "$size" save_png_kb "$(( $(stat -c %s "$file") / 1024 ))"
  cp "$file" "$XSESSION_DIR/$tool-save.png"
}

step_cli() { # Klipora only: `klipora snip` from a shell → overlay painted, beside the hotkey's
  local tool=$1 size=$2 out
  [ "$tool" = klipora ] || return 0
  out=$("$probe" overlay exec -- "$exe" snip)
  is_number "$(field PAINT_MS "$out")" || { say "klipora: no overlay from \`klipora snip\`:" $out; return 1; }
  sleep 0.3
  shot "$tool-cli-snip"
  "$probe" key Escape; overlay_gone || return 1
  record "$tool" "$size" cli_snip_paint_ms "$(field PAINT_MS "$out")"
}

step_record() { # Klipora only: its own CPU while ffmpeg records an 800x600 region
  local tool=$1 size=$2 c0 c1 i
  [ "$tool" = klipora ] || return 0
  mkdir -p "$HOME/Videos"; rm -f "$HOME/Videos"/*
  local out; out=$("$probe" overlay key ctrl+alt+v)
  is_number "$(field PAINT_MS "$out")" || { say "klipora: no recording overlay"; return 1; }
  sleep 0.3
  "$probe" drag 200 200 999 799 20 || return 1
  sleep 0.3
  "$probe" key Return
  overlay_gone || return 1
  for ((i = 0; i < 100; i++)); do
    pgrep -P "$PID" -x ffmpeg >/dev/null && break
    sleep 0.05
  done
  [ "$i" -lt 100 ] || { say "klipora: ffmpeg did not start"; return 1; }
  sleep 1
  shot "$tool-recording"
  c0=$(cpu_ns "$PID"); sleep 5; c1=$(cpu_ns "$PID")
  "$probe" key ctrl+alt+v
  for ((i = 0; i < 200; i++)); do
    pgrep -P "$PID" -x ffmpeg >/dev/null || break
    sleep 0.05
  done
  [ "$i" -lt 200 ] || { say "klipora: ffmpeg did not stop"; return 1; }
  ls "$HOME/Videos"/*.mp4 >/dev/null 2>&1 || { say "klipora: no video file"; return 1; }
  record "$tool" "$size" record_cpu_pct "$(awk -v a="$c0" -v b="$c1" 'BEGIN {printf "%.2f", (b - a) / 5e9 * 100}')"
}

measure() { # tool size
  local tool=$1 size=$2 w=${2%x*} h=${2#*x} i ok
  clipboard_to_neutral
  start_tool "$tool" "$size" record || return
  sleep 5
  record "$tool" "$size" rss_idle_mb "$(rss_mb "$PID")"

  step_drag "$tool" "$size" "$w" "$h" || recover "$tool" "$size" || return
  step_hover "$tool" "$size" "$w" "$h" || recover "$tool" "$size" || return
  step_drag125 "$tool" "$size" "$w" "$h" || recover "$tool" "$size" || return
  step_cli "$tool" "$size" || recover "$tool" "$size" || return
  ok=0
  for ((i = 1; i <= 10; i++)); do
    if step_snip "$tool" "$size" "$w" "$h" "$i"; then ok=$((ok + 1)); else recover "$tool" "$size" || return; fi
  done
  sleep 1
  [ "$ok" = 10 ] && record "$tool" "$size" rss_after_10_snips_mb "$(rss_mb $(procs))"
  step_save "$tool" "$size" || recover "$tool" "$size" || return
  step_record "$tool" "$size" || recover "$tool" "$size" || return
  stop_tool
}

# the toolkit's default PNG encoding of the same images, for reference
reference_png() { # size
  local f out
  for f in "$XSESSION_DIR/klipora-selection.png" "$XSESSION_DIR/flameshot-selection.png"; do
    [ -s "$f" ] && break
  done
  [ -s "$f" ] || return
  out=$(QT_QPA_PLATFORM=offscreen "$pngencode" "$f" 3)
  record qt "$1" default_png_ms_selection "$(awk '$1 == "QUALITY" && $2 == -1 {print $4}' <<<"$out")"
  record qt "$1" default_png_kb_selection "$(awk '$1 == "QUALITY" && $2 == -1 {printf "%d", $6 / 1024}' <<<"$out")"
  for f in "$XSESSION_DIR/klipora-save.png" "$XSESSION_DIR/flameshot-save.png"; do
    [ -s "$f" ] && break
  done
  [ -s "$f" ] || return
  out=$(QT_QPA_PLATFORM=offscreen "$pngencode" "$f" 3)
  record qt "$1" default_png_ms_full "$(awk '$1 == "QUALITY" && $2 == -1 {print $4}' <<<"$out")"
  record qt "$1" default_png_kb_full "$(awk '$1 == "QUALITY" && $2 == -1 {printf "%d", $6 / 1024}' <<<"$out")"
}

summarize() {
  awk -v order_sizes="$sizes" '
    { key = $1 " " $2 " " $3; vals[key] = vals[key] " " $4 }
    function med(s,   n, a, i, j, t) {
      n = split(s, a, " ")
      for (i = 1; i <= n; i++) for (j = i + 1; j <= n; j++) if (a[j] + 0 < a[i] + 0) { t = a[i]; a[i] = a[j]; a[j] = t }
      lo = a[1]; hi = a[n]; cnt = n
      return (n % 2) ? a[(n + 1) / 2] : (a[n / 2] + a[n / 2 + 1]) / 2
    }
    function cell(k,   m) {
      if (!(k in vals)) return "-"
      m = med(vals[k])
      return sprintf("%.*f (%s..%s)%s", (m < 10 ? 2 : (m < 100 ? 1 : 0)), m, lo, hi, cnt < 5 ? " n=" cnt : "")
    }
    END {
      target["tray_ms"] = "<= 70"
      target["rss_idle_mb"] = "<= 40"
      target["overlay_paint_ms 1920x1080"] = "<= 30"; target["overlay_paint_ms 3840x2160"] = "<= 60"
      target["drag_cpu_ms_per_move 1920x1080"] = "<= 0.4"; target["drag_cpu_ms_per_move 3840x2160"] = "<= 0.7"
      target["hover_cpu_ms_per_move 3840x2160"] = "<= 0.5"
      target["copy_png_ms 3840x2160"] = "<= 350"
      target["rss_overlay_mb 3840x2160"] = "<= 150"
      target["rss_after_10_snips_mb"] = "<= 250"
      target["save_png_ms 3840x2160"] = "<= 800"
      target["record_cpu_pct"] = "<= 2"
      printf "| measure | size | Klipora median (min..max) | Flameshot median (min..max) | Klipora / Flameshot | Klipora target |\n"
      printf "|---|---|---|---|---|---|\n"
      n = split("tray_ms rss_idle_mb overlay_map_ms overlay_paint_ms overlay_paint_again_ms cli_snip_paint_ms rss_overlay_mb drag_cpu_ms_per_move drag_xserver_cpu_ms_per_move hover_cpu_ms_per_move hover_xserver_cpu_ms_per_move drag125_cpu_ms_per_move drag125_xserver_cpu_ms_per_move drag125_moves_per_s drag125_repaints_per_s copy_png_ms copy_png_kb copy_full_png_ms copy_full_png_kb rss_after_10_snips_mb save_png_ms save_png_kb record_cpu_pct", order, " ")
      ns = split(order_sizes, sz, " ")
      for (o = 1; o <= n; o++) {
        m = order[o]
        for (si = 1; si <= ns; si++) {
          s = sz[si]
          k = "klipora " s " " m; f = "flameshot " s " " m
          if (!(k in vals) && !(f in vals)) continue
          kc = cell(k); km = (k in vals) ? med(vals[k]) : ""
          fc = cell(f); fm = (f in vals) ? med(vals[f]) : ""
          r = (km != "" && fm != "" && fm + 0 != 0) ? sprintf("%.2f", km / fm) : "-"
          t = (m " " s) in target ? target[m " " s] : (m in target ? target[m] : "")
          printf "| %s | %s | %s | %s | %s | %s |\n", m, s, kc, fc, r, t
        }
      }
      printf "\nThe toolkit'"'"'s default PNG encoder on the same images (best of 3):\n\n"
      printf "| image | size | encode ms | PNG KiB |\n|---|---|---|---|\n"
      for (si = 1; si <= ns; si++) {
        s = sz[si]
        if (("qt " s " default_png_ms_selection") in vals)
          printf "| 3/4 selection | %s | %s | %s |\n", s, cell("qt " s " default_png_ms_selection"), cell("qt " s " default_png_kb_selection")
        if (("qt " s " default_png_ms_full") in vals)
          printf "| whole screen | %s | %s | %s |\n", s, cell("qt " s " default_png_ms_full"), cell("qt " s " default_png_kb_full")
      }
    }' "$results"
}

for size in $sizes; do
  xsession_start "$size" || exit 1
  # a known, detailed background so grabs and PNGs have real content
  /usr/bin/convert -size "$size" -seed 7 plasma:fractal "$XSESSION_DIR/bg.png" 2>/dev/null &&
    /usr/bin/display -window root "$XSESSION_DIR/bg.png" 2>/dev/null
  # the save folder must exist, or Flameshot stops at a configuration dialog
  mkdir -p "$HOME/.config/flameshot" "$HOME/flameshot-shots"
  # Flameshot's defaults, less its first-start dialogs; Ctrl+S saves to a fixed folder
  printf '[General]\nshowHelp=false\nshowStartupLaunchMessage=false\nshowDesktopNotification=false\ndisabledTrayIcon=false\ncheckForUpdates=false\nstartupLaunch=false\nsavePath=%s\nsavePathFixed=true\n' \
    "$HOME/flameshot-shots" >"$HOME/.config/flameshot/flameshot.ini"
  eval "$(dbus-launch --sh-syntax)"
  XSESSION_PIDS=("$DBUS_SESSION_BUS_PID" "${XSESSION_PIDS[@]}")
  for ((run = 1; run <= runs; run++)); do
    # alternate which tool goes first, so drift of the machine hits both alike
    order=$tools
    [ $((run % 2)) = 0 ] && order=$(tr ' ' '\n' <<<"$tools" | tac | tr '\n' ' ')
    for tool in $order; do
      say "run $run/$runs at $size: $tool"
      measure "$tool" "$size"
      stop_tool
    done
  done
  reference_png "$size"
  [ "${XSESSION_KEEP:-0}" = 1 ] && say "session folder kept: $XSESSION_DIR"
  xsession_stop
  unset XSESSION_DIR
done

load_after=$(cut -d' ' -f1-3 /proc/loadavg)
table=$(summarize)
echo "$table"
if [ "$readme" = 1 ]; then
  # the sections other scripts wrote (scrolling, Wayland) stay
  others=$(awk '/^## / {keep = 1} keep' "$root/bench/README.md" 2>/dev/null)
  {
    echo "# Benchmarks"
    echo
    echo "Made by \`bench/run.sh\` on $(date -u +%Y-%m-%d): $(nproc) cores, $(awk '/MemTotal/ {printf "%.0f GiB", $2 / 1048576}' /proc/meminfo),"
    echo "$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), Debian $(cat /etc/debian_version 2>/dev/null), Xvfb + fluxbox,"
    echo "load average $load_before before and $load_after after the run; $runs runs each, the tools alternating."
    echo "Flameshot $(flameshot --version 2>/dev/null | awk 'NR == 1 {print $2}') runs with its default settings (no magnifier) and is started with"
    echo "\`flameshot gui\` (it registers no hotkey on X11); Klipora with its F1 hotkey. Flameshot's figures"
    echo "add up its tray process and the \`flameshot gui\` process that shows the overlay."
    echo
    echo "Measures (times in ms, memory in MB resident, CPU in ms of CPU time per mouse move):"
    echo "tray: launch → icon docked; overlay map/paint: key press → overlay mapped / first damage"
    echo "(first capture after start; \`again\`: the second); cli snip: a shell runs \`klipora snip\` → overlay"
    echo "painted (the command line as a trigger, to set beside \`again\`); drag/hover: 500 XTEST moves over the overlay"
    echo "with and without the button, \`xserver\`: the X server's CPU meanwhile; drag125: a drag of 500 moves"
    echo "at 125 a second, with the repaints that reached the server per second (DAMAGE notifications); copy: Return (Flameshot: Ctrl+C) → another process has read the"
    echo "image/png of a 3/4-screen selection (\`full\`: Ctrl+A, the whole screen); save: the final key →"
    echo "the whole-screen PNG file complete; record: Klipora's own CPU while ffmpeg records 800x600."
    echo
    echo "$table"
    if [ -n "$others" ]; then
      echo
      echo "$others"
    fi
  } >"$root/bench/README.md"
fi
rm -f "$results"
