#!/usr/bin/env bash
# Builds the Debian package dist/klipora_<version>_<arch>.deb from a build
# installed under /usr, and checks it with lintian where that is installed.
#   package.sh                   configure and build build-pkg (no tests)
#   package.sh --build-dir DIR   package an existing plain build instead
#   package.sh --install         then install it (with sudo unless root)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-pkg"
reuse=0
install=0
while [ $# -gt 0 ]; do
  case "$1" in
    --build-dir) build=$(cd "${2:?--build-dir needs a folder}" && pwd); reuse=1; shift 2 ;;
    --install) install=1; shift ;;
    *) echo "usage: package.sh [--build-dir DIR] [--install]" >&2; exit 2 ;;
  esac
done
[ "$reuse" = 1 ] || "$root/scripts/install-deps.sh"

if [ "$reuse" = 1 ]; then
  if grep -q '^KLIPORA_SANITIZE:BOOL=ON' "$build/CMakeCache.txt"; then
    echo "package: $build is a sanitizer build; package a plain one" >&2
    exit 1
  fi
  # the manual page names the installed folders, so the prefix must be /usr
  cmake -S "$root" -B "$build" -DCMAKE_INSTALL_PREFIX=/usr >/dev/null
  # only what gets installed
  cmake --build "$build" --target klipora translations -- -j"$(nproc)"
else
  "$root/scripts/build.sh" "$build" RelWithDebInfo -DKLIPORA_TESTS=OFF -DCMAKE_INSTALL_PREFIX=/usr
fi

version=$(cat "$build/klipora-version.txt")
arch=$(dpkg --print-architecture)
work=$(mktemp -d "${TMPDIR:-/tmp}/klipora-pkg.XXXXXX")
trap 'rm -rf "$work"' EXIT
stage="$work/root"
umask 022
DESTDIR="$stage" cmake --install "$build" --prefix /usr --strip >/dev/null

doc="$stage/usr/share/doc/klipora"
mkdir -p "$doc"
install -m 644 "$root/resources/debian/copyright" "$doc/copyright"
printf 'klipora (%s) unstable; urgency=medium\n\n  * Release %s.\n\n -- The Klipora developers <developers@klipora.org>  %s\n' \
  "$version" "$version" "$(date -R -d "$(sed -n 's/^.TH [^"]*"\([0-9-]*\)".*/\1/p' "$build/klipora.1")")" \
  | gzip -9n > "$doc/changelog.gz"
gzip -9n "$stage/usr/share/man/man1/klipora.1"

# Libraries from the binary itself; dpkg-shlibdeps wants a source package
# around it, so it gets a minimal one.
mkdir -p "$work/src/debian"
printf 'Source: klipora\n\nPackage: klipora\nArchitecture: any\n' > "$work/src/debian/control"
shlibs=$(cd "$work/src" && dpkg-shlibdeps -O -e"$stage/usr/bin/klipora" 2>/dev/null | sed -n 's/^shlibs:Depends=//p')
[ -n "$shlibs" ] || { echo "package: dpkg-shlibdeps found no libraries" >&2; exit 1; }
# and the programs it runs: ffmpeg records, pactl lists the microphones
depends="$shlibs, ffmpeg, pulseaudio-utils"

mkdir -p "$stage/DEBIAN"
size=$(du -sk --exclude=DEBIAN "$stage" | cut -f1)
sed -e "s/@VERSION@/$version/" -e "s/@ARCH@/$arch/" -e "s/@SIZE@/$size/" -e "s/@DEPENDS@/$depends/" \
  "$root/resources/debian/control.in" > "$stage/DEBIAN/control"
(cd "$stage" && find usr -type f -print0 | sort -z | xargs -0 md5sum) > "$stage/DEBIAN/md5sums"
chmod 644 "$stage/DEBIAN/control" "$stage/DEBIAN/md5sums"

mkdir -p "$root/dist"
deb="$root/dist/klipora_${version}_${arch}.deb"
dpkg-deb --root-owner-group -Zxz --build "$stage" "$deb" >/dev/null
echo "package: $deb"
if command -v lintian >/dev/null 2>&1; then
  # errors fail the package; warnings are printed for the reader
  lintian --fail-on error --tag-display-limit 0 "$deb"
fi
if [ "$install" = 1 ]; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO=sudo
  # apt-get rather than dpkg: it brings in what Depends names
  $SUDO env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 -y -q \
    install --no-install-recommends "$deb"
  echo "installed: start Klipora from the application menu, or run klipora"
fi
