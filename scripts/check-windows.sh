#!/usr/bin/env bash
# Compiles the Windows build's sources with the MinGW-w64 cross compiler in
# syntax-only mode against the toolkit's headers, so the Windows platform
# files cannot rot unseen. Nothing is linked and no moc runs.
#   check-windows.sh [FILE...]   default: every source outside the Linux
#                                platform folders, tests included but
#                                those that need an X or Wayland session
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cxx=""
for c in x86_64-w64-mingw32-g++-posix x86_64-w64-mingw32-g++; do
  command -v "$c" >/dev/null 2>&1 && { cxx=$c; break; }
done
[ -n "$cxx" ] || { echo "check-windows: no MinGW-w64 compiler; install g++-mingw-w64-x86-64-posix" >&2; exit 1; }
qt=$(qmake -query QT_INSTALL_HEADERS 2>/dev/null || true)
[ -d "$qt/QtCore" ] || qt=/usr/include/x86_64-linux-gnu/qt5
cd "$root"
# Headers of libraries that are header-only or portable come from the host,
# one by one: the host's own C library must stay out of the search path.
inc=$(mktemp -d "${TMPDIR:-/tmp}/klipora-win.XXXXXX")
trap 'rm -rf "$inc"' EXIT
ln -s /usr/include/nlohmann "$inc/nlohmann"
ln -s /usr/include/zlib.h "$inc/zlib.h"
ln -s /usr/include/zconf.h "$inc/zconf.h"
files=("$@")
if [ ${#files[@]} -eq 0 ]; then
  # tests that run only in a private X session are X11 code themselves
  mapfile -t files < <(find src tests -name '*.cpp' ! -path 'src/platform/x11/*' ! -path 'src/platform/linux/*' \
      ! -path 'src/platform/wayland/*' ! -path 'src/platform/kde/*' ! -path 'src/platform/gnome/*' \
      ! -path 'tests/platform/wayland/*' ! -path 'tests/platform/kde/*' ! -path 'tests/platform/gnome/*' \
      ! -path 'tests/platform/linux/*' | sort |
    while read -r f; do grep -q '^// klipora-test: *\(x11\|wayland\|kde\|gnome\)' "$f" || echo "$f"; done)
fi
flags=(-std=c++17 -fsyntax-only -Wall -Wextra -Werror
  -DKLIPORA_WIN -DQT_CORE_LIB -DQT_GUI_LIB -DQT_WIDGETS_LIB -DQT_NETWORK_LIB -DQT_TESTLIB_LIB -DQT_MESSAGELOGCONTEXT -DQT_NO_CAST_FROM_BYTEARRAY -DUNICODE -D_UNICODE
  -DKLIPORA_VERSION=\"0\" -DKLIPORA_SOURCE_DIR=\"\" -DKLIPORA_BIN_DIR=\"\"
  -Isrc -Itests/common -I"$inc" -isystem "$qt")
for m in QtCore QtGui QtWidgets QtNetwork QtTest; do flags+=(-isystem "$qt/$m"); done
# test files include their own moc output
moc=$(command -v moc || echo /usr/lib/qt5/bin/moc)
for f in "${files[@]}"; do
  if grep -q '^#include "\(.*\)\.moc"' "$f"; then
    "$moc" -DKLIPORA_WIN "$f" -o "$inc/$(basename "$f" .cpp).moc" || exit 1
  fi
done
failed=0
# two at a time: the machine has two cores
printf '%s\n' "${files[@]}" | xargs -P 2 -I{} sh -c '"$0" "$@" {} || { echo "check-windows: {} failed" >&2; exit 1; }' "$cxx" "${flags[@]}" || failed=1
if [ "$failed" = 0 ]; then
  echo "check-windows: ${#files[@]} source(s) compile for Windows"
fi
exit $failed
