#!/usr/bin/env bash
# Collects every tr() text of src/ into the translation sources, keeping the
# translations already made; texts no longer in the code are dropped.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
lupdate=$(command -v lupdate || echo /usr/lib/qt5/bin/lupdate)
"$lupdate" -no-obsolete -locations none -extensions cpp,h "$root/src" \
  -ts "$root/translations/klipora_zh_CN.ts" "$root/translations/klipora_en_US.ts"
