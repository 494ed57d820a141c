#!/usr/bin/env bash
# Installs the Debian packages Klipora needs to build, run and test.
# Quick when everything is present: apt-get runs only for what is missing.
set -euo pipefail

PACKAGES=(
  # build
  g++ cmake ninja-build pkg-config
  # the icons are drawn as SVG and rendered by scripts/render-icons.sh
  librsvg2-bin
  qtbase5-dev qttools5-dev qttools5-dev-tools libqt5x11extras5-dev
  nlohmann-json3-dev zlib1g-dev x11proto-dev libxcb1-dev libxcb-keysyms1-dev libxcb-shm0-dev libxcb-xtest0-dev
  # the Windows files checked with a cross compiler; the package and its checks
  g++-mingw-w64-x86-64-posix dpkg-dev lintian appstream desktop-file-utils man-db
  # run
  ffmpeg fonts-wqy-microhei qttranslations5-l10n
  # test sessions ask libX11 who owns a selection through python3
  python3
  # private X server, window manager with a tray, and the tools tests look with
  xvfb xauth fluxbox xdotool x11-utils x11-xserver-utils xclip imagemagick xcompmgr
  xserver-xorg-core xserver-xorg-video-dummy
  pulseaudio pulseaudio-utils
  # Wayland: the toolkit's plugin, a headless compositor with its own bus, and
  # the tools the Wayland backend runs and its tests look with
  qtwayland5 sway dbus grim wf-recorder wtype wl-clipboard
  # KDE Plasma's compositor (headless for tests, with kglobalaccel inside)
  # and the bus client its session script waits with
  kwin-wayland qdbus-qt5
  # GNOME: gsettings and the media-keys schema the shortcut writer fills in;
  # recording through Mutter's screen cast with PipeWire and GStreamer
  # (x264enc is in plugins-ugly)
  libglib2.0-bin gnome-settings-daemon-common
  pipewire wireplumber gstreamer1.0-tools gstreamer1.0-pipewire gstreamer1.0-plugins-base
  gstreamer1.0-plugins-good gstreamer1.0-plugins-ugly
)

missing=()
for p in "${PACKAGES[@]}"; do
  # dpkg-query answers "install ok installed" only for a fully installed package
  if [ "$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null)" != "install ok installed" ]; then
    missing+=("$p")
  fi
done

[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
echo "installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
# another apt run may hold the lock: wait for it rather than fail
APT_OPTS=(-o DPkg::Lock::Timeout=600 -y -q)
$SUDO apt-get "${APT_OPTS[@]}" update
$SUDO apt-get "${APT_OPTS[@]}" install --no-install-recommends "${missing[@]}"
