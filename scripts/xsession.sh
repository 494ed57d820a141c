# Private X session for tests, the headless run and benchmarks. Source it, then:
#   xsession_start [WIDTHxHEIGHT]   Xvfb on a free display + fluxbox with a tray
#   xsession_stop                   stops exactly what xsession_start started
# Sets DISPLAY and XSESSION_DIR (a private HOME with XDG folders inside).

XSESSION_PIDS=()

xsession_home() {
  # Point every per-user folder at a private directory: nothing touches the
  # real user's configuration, pictures or videos.
  export XSESSION_DIR; XSESSION_DIR=$(mktemp -d "${TMPDIR:-/tmp}/klipora-x.XXXXXX")
  export HOME="$XSESSION_DIR/home"
  export XDG_CONFIG_HOME="$HOME/.config" XDG_DATA_HOME="$HOME/.local/share"
  export XDG_CACHE_HOME="$HOME/.cache" XDG_RUNTIME_DIR="$XSESSION_DIR/run"
  mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_CACHE_HOME" "$XDG_RUNTIME_DIR"
  chmod 700 "$XDG_RUNTIME_DIR"
  # keep the desktop's own directory settings out of the way
  printf 'XDG_VIDEOS_DIR="$HOME/Videos"\nXDG_PICTURES_DIR="$HOME/Pictures"\n' > "$XDG_CONFIG_HOME/user-dirs.dirs"
}

xsession_fluxbox_config() {
  local fb="$HOME/.fluxbox"
  mkdir -p "$fb/styles"
  # empty keys file: fluxbox's defaults grab Ctrl+F1.. and would steal hotkeys
  : > "$fb/keys"; : > "$fb/menu"; : > "$fb/apps"
  # a flat background: the default style runs a wallpaper setter that fails
  printf 'background: flat\nbackground.color: #3a6ea5\n' > "$fb/styles/flat"
  cat > "$fb/init" <<INIT
session.screen0.toolbar.visible: true
session.screen0.toolbar.tools: prevworkspace, workspacename, nextworkspace, iconbar, systemtray, clock
session.screen0.toolbar.placement: BottomCenter
session.screen0.toolbar.widthPercent: 100
session.screen0.workspaces: 1
session.keyFile: $fb/keys
session.styleFile: $fb/styles/flat
session.menuFile: $fb/menu
session.appsFile: $fb/apps
session.screen0.rootCommand:
INIT
}

xsession_wait() { # command, tries of 50 ms
  local i
  for ((i = 0; i < $2; i++)); do
    eval "$1" >/dev/null 2>&1 && return 0
    sleep 0.05
  done
  return 1
}

# Whether an X selection (e.g. _NET_SYSTEM_TRAY_S0) has an owner. No X
# utility asks that, so libX11 is called directly.
xsession_owned() {
  python3 - "$1" <<'PY'
import ctypes, sys
x = ctypes.CDLL("libX11.so.6")
x.XOpenDisplay.restype = ctypes.c_void_p
x.XOpenDisplay.argtypes = [ctypes.c_char_p]
x.XInternAtom.restype = ctypes.c_ulong
x.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
x.XGetSelectionOwner.restype = ctypes.c_ulong
x.XGetSelectionOwner.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
x.XCloseDisplay.argtypes = [ctypes.c_void_p]
d = x.XOpenDisplay(None)
if not d:
    sys.exit(2)
owner = x.XGetSelectionOwner(d, x.XInternAtom(d, sys.argv[1].encode(), 0))
x.XCloseDisplay(d)
sys.exit(0 if owner else 1)
PY
}

# Two monitors, a 1920x1080 primary (DUMMY0) and a 1280x1024 one (DUMMY1),
# on Xorg with the dummy driver (Xvfb cannot give the toolkit two screens).
# XSESSION_LAYOUT places them:
#   side           the second right of the primary, both at the top (default)
#   stacked        the second below the primary, both at the left
#   primary-right  the second at the left, the primary right of it
#   offset         the primary 300 rows lower than the second, at its left
xsession_dual_server() {
  local conf="$XSESSION_DIR/xorg.conf"
  mkdir -p "$XSESSION_DIR/xorg.conf.d"
  cat > "$conf" <<'CONF'
Section "ServerFlags"
  Option "AutoAddDevices" "false"
  Option "AutoAddGPU" "false"
EndSection
Section "Device"
  Identifier "dummy"
  Driver "dummy"
  VideoRam 256000
EndSection
Section "Monitor"
  Identifier "monitor"
  HorizSync 5.0-1000.0
  VertRefresh 5.0-200.0
EndSection
Section "Screen"
  Identifier "screen"
  Device "dummy"
  Monitor "monitor"
  DefaultDepth 24
  SubSection "Display"
    Depth 24
    Virtual 4096 2160
  EndSubSection
EndSection
CONF
  Xorg -displayfd 7 -noreset -nolisten tcp -config "$conf" -configdir "$XSESSION_DIR/xorg.conf.d" \
    -logfile "$XSESSION_DIR/xorg.log" 7>"$1" >"$XSESSION_DIR/xorg.out" 2>&1 &
}

xsession_dual_outputs() {
  local place
  case "${XSESSION_LAYOUT:-side}" in
    side) place=(--output DUMMY0 --pos 0x0 --output DUMMY1 --pos 1920x0) ;;
    stacked) place=(--output DUMMY0 --pos 0x0 --output DUMMY1 --pos 0x1080) ;;
    primary-right) place=(--output DUMMY1 --pos 0x0 --output DUMMY0 --pos 1280x0) ;;
    offset) place=(--output DUMMY0 --pos 0x300 --output DUMMY1 --pos 1920x0) ;;
    *) echo "xsession: unknown layout ${XSESSION_LAYOUT}" >&2; return 1 ;;
  esac
  xrandr --output DUMMY0 --mode 1920x1080 --primary &&
  xrandr --newmode 1280x1024_k 108.00 1280 1328 1440 1688 1024 1025 1028 1066 +hsync +vsync &&
  xrandr --addmode DUMMY1 1280x1024_k &&
  xrandr --output DUMMY1 --mode 1280x1024_k --right-of DUMMY0 &&
  xrandr "${place[@]}" &&
  # the toolkit sees the second screen only after one plain query
  xrandr >/dev/null
}

xsession_start() {
  local size=${1:-1920x1080}
  [ -n "${XSESSION_DIR:-}" ] || xsession_home
  local fifo="$XSESSION_DIR/displayfd"
  mkfifo "$fifo"
  # -displayfd: the server picks a free display number and writes it when ready
  if [ "${XSESSION_DUAL:-0}" = 1 ]; then
    xsession_dual_server "$fifo"
  else
    Xvfb -displayfd 7 -screen 0 "${size}x24" -nolisten tcp -noreset +extension DAMAGE \
       7>"$fifo" >"$XSESSION_DIR/xvfb.log" 2>&1 &
  fi
  XSESSION_PIDS+=($!)
  # the bench adds the server's CPU to what a client costs it
  export XSESSION_SERVER_PID=$!
  local num
  if ! read -r -t 20 num <"$fifo"; then
    echo "xsession: X server did not start" >&2
    cat "$XSESSION_DIR/xvfb.log" "$XSESSION_DIR/xorg.log" 2>/dev/null | tail -40 >&2
    return 1
  fi
  export DISPLAY=":$num"
  if [ "${XSESSION_DUAL:-0}" = 1 ] && ! xsession_dual_outputs; then
    echo "xsession: could not set up two monitors" >&2
    return 1
  fi
  [ "${XSESSION_NO_WM:-0}" = 1 ] && return 0
  xsession_fluxbox_config
  local try
  for try in 1 2 3; do
    fluxbox -rc "$HOME/.fluxbox/init" >"$XSESSION_DIR/fluxbox.log" 2>&1 &
    local fpid=$!
    if xsession_wait "xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id'" 200; then
      XSESSION_PIDS+=($fpid)
      # the tray lives in the toolbar, mapped right after the check
      xsession_wait "xsession_owned _NET_SYSTEM_TRAY_S0" 100 || echo "xsession: no system tray" >&2
      return 0
    fi
    kill "$fpid" 2>/dev/null; wait "$fpid" 2>/dev/null
  done
  echo "xsession: fluxbox did not start" >&2
  return 1
}

# Stops a process we started: TERM, then KILL after a few seconds.
xsession_kill() {
  local pid=$1 i
  kill -TERM "$pid" 2>/dev/null || return 0
  for ((i = 0; i < 60; i++)); do
    kill -0 "$pid" 2>/dev/null || { wait "$pid" 2>/dev/null; return 0; }
    sleep 0.05
  done
  kill -KILL "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
}

xsession_stop() {
  local i
  for ((i = ${#XSESSION_PIDS[@]} - 1; i >= 0; i--)); do
    xsession_kill "${XSESSION_PIDS[$i]}"
  done
  XSESSION_PIDS=()
  [ "${XSESSION_KEEP:-0}" = 1 ] || { [ -n "${XSESSION_DIR:-}" ] && rm -rf "$XSESSION_DIR"; }
}
