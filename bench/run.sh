#!/usr/bin/env bash
# Measures the real klipora process from outside, side by side with Flameshot,
# on a private X server at 1920x1080 and 3840x2160. Prints medians (min..max)
# and Klipora/Flameshot ratios, and writes the table into bench/README.md.
#   bench/run.sh [--runs N] [--sizes "1920x1080 3840x2160"] [--tools "klipora flameshot"]
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
runs=5
sizes="1920x1080 3840x2160"
tools="klipora flameshot"
while [ $# -gt 0 ]; do
  case "$1" in
    --runs) runs=$2; shift 2 ;;
    --sizes) sizes=$2; shift 2 ;;
    --tools) tools=$2; shift 2 ;;
    *) echo "unknown option $1" >&2; exit 2 ;;
  esac
done

"$root/scripts/install-deps.sh" || exit 1
# the comparison tool and the session bus it needs: the bench's own, never the README's
for p in flameshot dbus-x11; do
  if [ "$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null)" != "install ok installed" ]; then
    SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO=sudo
    $SUDO apt-get -o DPkg::Lock::Timeout=600 -y -q update >/dev/null
    $SUDO env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 -y -q install --no-install-recommends flameshot dbus-x11 >/dev/null || exit 1
    break
  fi
done
"$root/scripts/build.sh" build-bench Release -DKLIPORA_BENCH=ON -DKLIPORA_TESTS=OFF || exit 1
exe="$root/build-bench/bin/klipora"
probe="$root/build-bench/bin/xprobe"
results=$(mktemp)
. "$root/scripts/xsession.sh"

now_ns() { date +%s%N; }
rss_mb() { awk '/VmRSS/ {printf "%.1f", $2 / 1024}' "/proc/$1/status" 2>/dev/null; }
# CPU time of every thread of a process, in nanoseconds
cpu_ns() { cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{s += $1} END {print s + 0}'; }
record() { echo "$1 $2 $3 $4" >>"$results"; } # tool size metric value
field() { awk -v k="$1" '$1 == k {print $2}' <<<"$2"; }

start_tool() { # tool → sets PID, prints nothing; records tray time
  local tool=$1 size=$2 out
  case $tool in
    klipora) out=$(XPROBE_CHILD_LOG="$XSESSION_DIR/klipora.log" "$probe" tray klipora -- "$exe") ;;
    flameshot) out=$(XPROBE_CHILD_LOG="$XSESSION_DIR/flameshot.log" "$probe" tray flameshot -- flameshot) ;;
  esac
  PID=$(field PID "$out")
  record "$tool" "$size" tray_ms "$(field TRAY_MS "$out")"
}

open_overlay() { # tool size [metric prefix]
  local out
  case $1 in
    klipora) out=$("$probe" overlay key F1) ;;
    flameshot) out=$("$probe" overlay exec -- flameshot gui) ;;
  esac
  [ -n "${3:-}" ] && record "$1" "$2" overlay_map_ms "$(field MAP_MS "$out")" \
    && record "$1" "$2" overlay_paint_ms "$(field PAINT_MS "$out")"
  sleep 0.3
}

close_overlay() { "$probe" key Escape; "$probe" fullscreen-gone; sleep 0.2; }

wait_png() { # until another process can read image/png from the clipboard
  local i
  for ((i = 0; i < 400; i++)); do
    if xclip -selection clipboard -t TARGETS -o 2>/dev/null | grep -q '^image/png$'; then
      xclip -selection clipboard -t image/png -o >"$1" 2>/dev/null && [ -s "$1" ] && return 0
    fi
    sleep 0.01
  done
  return 1
}

measure() { # tool size
  local tool=$1 size=$2 w=${2%x*} h=${2#*x} c0 c1 t0 t1
  start_tool "$tool" "$size"
  [ -n "$PID" ] || return
  sleep 5
  record "$tool" "$size" rss_idle_mb "$(rss_mb "$PID")"

  open_overlay "$tool" "$size" yes
  record "$tool" "$size" rss_overlay_mb "$(rss_mb "$PID")"
  c0=$(cpu_ns "$PID"); "$probe" drag 100 100 $((w - 100)) $((h - 100)) 500; sleep 0.5; c1=$(cpu_ns "$PID")
  record "$tool" "$size" drag_cpu_ms_per_move "$(awk -v a="$c0" -v b="$c1" 'BEGIN {printf "%.3f", (b - a) / 500 / 1e6}')"
  close_overlay

  open_overlay "$tool" "$size"
  c0=$(cpu_ns "$PID"); "$probe" hover 100 100 $((w - 100)) $((h - 100)) 500; sleep 0.5; c1=$(cpu_ns "$PID")
  record "$tool" "$size" hover_cpu_ms_per_move "$(awk -v a="$c0" -v b="$c1" 'BEGIN {printf "%.3f", (b - a) / 500 / 1e6}')"
  close_overlay

  # Return → the selection's PNG readable by another process (a 3/4 selection)
  local sw=$((w * 3 / 4 + 1)) sh=$((h * 3 / 4 + 1)) png="$XSESSION_DIR/clip.png"
  for ((i = 0; i < 10; i++)); do
    xclip -selection clipboard -i </dev/null >/dev/null 2>&1 # someone else owns it now
    open_overlay "$tool" "$size"
    "$probe" drag 50 50 $((50 + sw - 1)) $((50 + sh - 1)) 20
    sleep 0.3
    t0=$(now_ns); "$probe" key Return
    if wait_png "$png"; then
      t1=$(now_ns)
      [ "$i" = 0 ] && record "$tool" "$size" copy_png_ms "$(( (t1 - t0) / 1000000 ))" \
        && record "$tool" "$size" copy_png_kb "$(( $(stat -c %s "$png") / 1024 ))"
    fi
    "$probe" fullscreen-gone
  done
  sleep 1
  record "$tool" "$size" rss_after_10_snips_mb "$(rss_mb "$PID")"

  xsession_kill "$PID"
}

summarize() {
  awk -v order_sizes="$sizes" '
    { key = $1 " " $2 " " $3; vals[key] = vals[key] " " $4; tools[$1]; sizes[$2]; metrics[$3] }
    function med(s,   n, a, i, j, t) {
      n = split(s, a, " ")
      for (i = 1; i <= n; i++) for (j = i + 1; j <= n; j++) if (a[j] + 0 < a[i] + 0) { t = a[i]; a[i] = a[j]; a[j] = t }
      lo = a[1]; hi = a[n]
      return (n % 2) ? a[(n + 1) / 2] : (a[n / 2] + a[n / 2 + 1]) / 2
    }
    END {
      printf "| metric | size | Klipora median (min..max) | Flameshot median (min..max) | Klipora / Flameshot |\n"
      printf "|---|---|---|---|---|\n"
      split("tray_ms rss_idle_mb overlay_map_ms overlay_paint_ms rss_overlay_mb drag_cpu_ms_per_move hover_cpu_ms_per_move copy_png_ms copy_png_kb rss_after_10_snips_mb", order, " ")
      for (o = 1; o in order; o++) {
        m = order[o]
        ns = split(order_sizes, sz, " ")
        for (si = 1; si <= ns; si++) {
          s = sz[si]
          k = "klipora " s " " m; f = "flameshot " s " " m
          if (!(k in vals) && !(f in vals)) continue
          kc = "-"; fc = "-"; r = "-"
          if (k in vals) { km = med(vals[k]); kc = sprintf("%.2f (%s..%s)", km, lo, hi) }
          if (f in vals) { fm = med(vals[f]); fc = sprintf("%.2f (%s..%s)", fm, lo, hi) }
          if ((k in vals) && (f in vals) && fm + 0 != 0) r = sprintf("%.2f", km / fm)
          printf "| %s | %s | %s | %s | %s |\n", m, s, kc, fc, r
        }
      }
    }' "$results"
}

for size in $sizes; do
  xsession_start "$size" || exit 1
  # a known, detailed background so grabs and PNGs have real content
  /usr/bin/convert -size "$size" -seed 7 plasma:fractal "$XSESSION_DIR/bg.png" 2>/dev/null &&
    /usr/bin/display -window root "$XSESSION_DIR/bg.png" 2>/dev/null
  mkdir -p "$HOME/.config/flameshot"
  printf '[General]\nshowHelp=false\nshowStartupLaunchMessage=false\nshowDesktopNotification=false\ndisabledTrayIcon=false\n' \
    >"$HOME/.config/flameshot/flameshot.ini"
  eval "$(dbus-launch --sh-syntax)"
  XSESSION_PIDS=("$DBUS_SESSION_BUS_PID" "${XSESSION_PIDS[@]}")
  for ((run = 1; run <= runs; run++)); do
    for tool in $tools; do
      echo "run $run/$runs at $size: $tool" >&2
      measure "$tool" "$size"
    done
  done
  xsession_stop
  unset XSESSION_DIR
done

table=$(summarize)
echo "$table"
{
  echo "# Benchmarks"
  echo
  echo "Made by \`bench/run.sh\` on $(date -u +%Y-%m-%d): $(nproc) cores, $(awk '/MemTotal/ {printf "%.0f GiB", $2 / 1048576}' /proc/meminfo),"
  echo "$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), Xvfb + fluxbox, $runs runs each, tools alternating."
  echo "Flameshot $(flameshot --version 2>/dev/null | head -1 | awk '{print $2}') is started with \`flameshot gui\` (it registers no hotkey on X11); Klipora with its F1 hotkey."
  echo
  echo "$table"
} >"$root/bench/README.md"
rm -f "$results"
