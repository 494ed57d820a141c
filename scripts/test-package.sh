#!/usr/bin/env bash
# Installs the Debian package into this machine, checks the installed program
# the way a user meets it, and removes the package again. Needs root.
#   test-package.sh dist/klipora_<version>_<arch>.deb
# Checks: the menu entry and the metadata validate, the manual page renders
# cleanly, /usr/bin/klipora started with a fresh HOME shows its tray icon and
# loads the Chinese translation from the installed folder, and a start-at-login
# entry left pointing elsewhere is pointed at /usr/bin/klipora again.
set -u
here=$(cd "$(dirname "$0")" && pwd)
deb=${1:?usage: test-package.sh PACKAGE.deb}
[ "$(id -u)" -eq 0 ] || { echo "test-package: needs root to install the package" >&2; exit 1; }
pass=0
fail=0
check() { # name, command...
  local name=$1; shift
  if "$@"; then pass=$((pass + 1)); echo "ok: $name"; else fail=$((fail + 1)); echo "FAILED: $name"; fi
}

# another package run may hold dpkg's lock for a while: wait for it
dpkg_run() {
  local i out
  for ((i = 0; i < 120; i++)); do
    out=$(DEBIAN_FRONTEND=noninteractive dpkg "$@" 2>&1) && return 0
    grep -q 'lock' <<<"$out" || { echo "$out" >&2; return 1; }
    sleep 5
  done
  echo "$out" >&2
  return 1
}

. "$here/xsession.sh"
cleanup() {
  xsession_stop
  dpkg_run --purge klipora || echo "test-package: could not remove klipora" >&2
}
trap cleanup EXIT
trap 'exit 143' TERM INT

dpkg_run -i "$deb" || { echo "test-package: dpkg -i $deb failed" >&2; exit 1; }
version=$(dpkg-query -W -f='${Version}' klipora)
echo "installed klipora $version"

check "the executable is /usr/bin/klipora" test -x /usr/bin/klipora
check "desktop-file-validate" desktop-file-validate /usr/share/applications/klipora.desktop
check "appstreamcli validate" appstreamcli validate --no-net /usr/share/metainfo/org.klipora.Klipora.metainfo.xml
newest=$(sed -n 's/.*<release version="\([^"]*\)".*/\1/p' /usr/share/metainfo/org.klipora.Klipora.metainfo.xml | head -1)
check "the newest release in the metadata is $version (found: $newest)" test "$newest" = "$version"
manwarn=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l /usr/share/man/man1/klipora.1.gz 2>&1 >/dev/null)
check "the manual page renders without warnings${manwarn:+: $manwarn}" test -z "$manwarn"
check "the manual page documents the commands" bash -c \
  "zcat /usr/share/man/man1/klipora.1.gz | grep -q 'Klipora $version' && man -l /usr/share/man/man1/klipora.1.gz 2>/dev/null | grep -q 'klipora record \[--gif\]'"
for size in 16 32 48 128 256; do
  check "the ${size}px icon is ${size}x${size}" bash -c \
    "identify -format '%wx%h' /usr/share/icons/hicolor/${size}x${size}/apps/klipora.png | grep -qx ${size}x${size}"
done
check "the scalable icon" test -s /usr/share/icons/hicolor/scalable/apps/klipora.svg
check "klipora --version prints the package version" bash -c \
  "/usr/bin/klipora --version | grep -qx 'klipora $version'"
check "the bash completion is installed" test -s /usr/share/bash-completion/completions/klipora
check "the translations are installed" test -s /usr/share/klipora/translations/klipora_zh_CN.qm

xsession_start 1280x800 || exit 1
log="$XSESSION_DIR/klipora.log"

# The tray icon: Klipora's small window embedded in the toolbar. Prints its
# "x y w h".
tray_icon() {
  local w info geo
  for w in $(xdotool search --classname klipora 2>/dev/null); do
    info=$(xwininfo -id "$w" 2>/dev/null) || continue
    grep -q 'Map State: IsViewable' <<<"$info" || continue
    geo=$(awk '/Absolute upper-left X:/ {x = $4} /Absolute upper-left Y:/ {y = $4}
               /Width:/ {wd = $2} /Height:/ {ht = $2} END {print x, y, wd, ht}' <<<"$info")
    read -r _ _ wd ht <<<"$geo"
    if [ "$wd" -le 64 ] && [ "$ht" -le 64 ]; then echo "$geo"; return 0; fi
  done
  return 1
}
# Share of the icon's pixels in its blue (#409eff), from a screenshot.
icon_blue_share() {
  local x y wd ht
  read -r x y wd ht <<<"$1"
  import -window root "$XSESSION_DIR/screen.png" 2>/dev/null || return 1
  convert "$XSESSION_DIR/screen.png" -crop "${wd}x${ht}+${x}+${y}" +repage \
    -fuzz 12% -fill white -opaque '#409eff' -fill black +opaque white -negate \
    -format '%[fx:int(100*(1-mean))]' info: 2>/dev/null
}
start_klipora() {
  /usr/bin/klipora >"$log" 2>&1 &
  kpid=$!
  XSESSION_PIDS+=($kpid)
}
stop_klipora() {
  xsession_kill "$kpid"
  XSESSION_PIDS=("${XSESSION_PIDS[@]/$kpid}")
}

# 1. A fresh HOME: the defaults, Chinese.
start_klipora
if xsession_wait "tray_icon" 400; then
  geo=$(tray_icon)
  check "the tray icon appears ($geo)" true
  share=$(icon_blue_share "$geo")
  check "the tray icon shows Klipora's blue (${share:-?}% of its pixels)" test "${share:-0}" -ge 20
else
  check "the tray icon appears" false
fi
xsession_wait "grep -q 'ready' '$log'" 400
check "the interface language is zh_CN" grep -q 'LANGUAGE: zh_CN' "$log"
check "the Chinese translation loads from the installed folder" \
  grep -q 'translation: /usr/share/klipora/translations/klipora_zh_CN' "$log"
check "no \"installTranslator faild\" in the log" bash -c "! grep -q 'installTranslator faild' '$log'"
stop_klipora

# 2. Start at login switched on, with an entry left by a program that moved.
config="$XDG_CONFIG_HOME/klipora/config.json"
entry="$XDG_CONFIG_HOME/autostart/klipora.desktop"
check "the first start wrote the settings" test -s "$config"
sed -i 's/"kliporaautorun": false/"kliporaautorun": true/' "$config"
mkdir -p "$(dirname "$entry")"
printf '[Desktop Entry]\nType=Application\nName=Klipora\nExec=/opt/old/klipora\n' > "$entry"
start_klipora
xsession_wait "grep -q 'ready' '$log'" 400
xsession_wait "grep -qx 'Exec=/usr/bin/klipora' '$entry'" 200
check "the start-at-login entry points at /usr/bin/klipora again" grep -qx 'Exec=/usr/bin/klipora' "$entry"
check "the entry is valid" desktop-file-validate "$entry"
stop_klipora

echo "package: $pass passed, $fail failed"
[ "$fail" -eq 0 ]
