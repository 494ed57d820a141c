#!/usr/bin/env bash
# Renders resources/icon/svg/*.svg to resources/icon/res/*.png.
# Each SVG carries its own pixel size (width/height), so the PNG size is
# decided where the icon is drawn. Needs rsvg-convert (Debian: librsvg2-bin).
#
#   scripts/render-icons.sh            render every icon
#   scripts/render-icons.sh NAME...    render only these (without .svg)
#   scripts/render-icons.sh --sheet F  also write a contact sheet to F
#                                      (needs ImageMagick's montage/convert)
#   scripts/render-icons.sh --theme    render the application icon (icon.svg)
#                                      at the icon theme's sizes into
#                                      resources/icon/hicolor, for installing
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
svgdir="$root/resources/icon/svg"
resdir="$root/resources/icon/res"

if ! command -v rsvg-convert >/dev/null 2>&1; then
  echo "render-icons: rsvg-convert not found; install the Debian package librsvg2-bin" >&2
  exit 1
fi

sheet=""
names=()
while [ $# -gt 0 ]; do
  case "$1" in
    --theme)
      # A desktop picks the nearest size; the scalable SVG covers the rest.
      for size in 16 22 24 32 48 64 128 256 512; do
        dir="$root/resources/icon/hicolor/${size}x${size}/apps"
        mkdir -p "$dir"
        rsvg-convert --format=png -w "$size" -h "$size" "$svgdir/icon.svg" -o "$dir/klipora.png"
      done
      echo "rendered the application icon into $root/resources/icon/hicolor"
      exit 0 ;;
    --sheet) sheet="${2:?--sheet needs a file name}"; shift 2 ;;
    *) names+=("$1"); shift ;;
  esac
done
if [ ${#names[@]} -eq 0 ]; then
  for f in "$svgdir"/*.svg; do names+=("$(basename "$f" .svg)"); done
fi

for n in "${names[@]}"; do
  src="$svgdir/$n.svg"
  [ -f "$src" ] || { echo "render-icons: no such icon: $src" >&2; exit 1; }
  rsvg-convert --format=png "$src" -o "$resdir/$n.png"
done
echo "rendered ${#names[@]} icon(s) into $resdir"

[ -n "$sheet" ] || exit 0

IM=/usr/bin
for t in montage convert; do
  [ -x "$IM/$t" ] || { echo "render-icons: $IM/$t missing; install imagemagick" >&2; exit 1; }
done

# The toolbar paints icons as one-colour silhouettes: every pixel that is not
# fully transparent becomes opaque. Show them that way, unchecked and checked,
# beside the plain renders on white and on the black recording bar.
toolbar=" rectangle circle arrow line feather text mosaic eraser counter highlighter blur undo redo pin save wrong right fill close "
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
rows=()
for size in 16 25 64; do
  for bg in white black toolbar checked; do
    tiles=()
    mkdir -p "$tmp/$size-$bg"
    for f in "$resdir"/*.png; do
      n="$(basename "$f" .png)"
      out="$tmp/$size-$bg/$n.png"
      case "$bg" in
        white|black)
          "$IM/convert" "$f" -resize "${size}x${size}" -background "$bg" -gravity center \
            -extent "$((size + 8))x$((size + 8))" -flatten "$out" ;;
        toolbar|checked)
          if [[ "$toolbar" != *" $n "* ]]; then continue; fi
          fg='#383838'; back='#f0f0f6'
          [ "$bg" = checked ] && { fg='#ffffff'; back='#409eff'; }
          "$IM/convert" "$f" -alpha extract -threshold 0 -resize "${size}x${size}" "$tmp/mask.png"
          "$IM/convert" -size "${size}x${size}" "xc:$fg" "$tmp/mask.png" -alpha off \
            -compose CopyOpacity -composite -compose Over -background "$back" -gravity center \
            -extent "$((size + 8))x$((size + 8))" -flatten "$out" ;;
      esac
      tiles+=("$out")
    done
    # the names go under the largest plain row only
    label=()
    [ "$size" = 64 ] && [ "$bg" = white ] && label=(-label '%t' -pointsize 11)
    "$IM/montage" "${label[@]}" "${tiles[@]}" -tile "${#tiles[@]}x1" -geometry +2+2 \
      -background '#c8c8c8' "$tmp/row-$size-$bg.png"
    rows+=("$tmp/row-$size-$bg.png")
  done
done
"$IM/convert" "${rows[@]}" -background '#c8c8c8' -gravity west -append "$sheet"
echo "contact sheet: $sheet"
