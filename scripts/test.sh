#!/usr/bin/env bash
# Installs what is missing, builds Klipora twice (plain, and with ASan+UBSan)
# and runs the whole test suite in both builds.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh" || exit 1
status=0
for variant in asan plain; do
  if [ "$variant" = asan ]; then
    dir="$root/build-asan"; opts=(Debug -DKLIPORA_SANITIZE=ON -DKLIPORA_TESTS=ON)
  else
    dir="$root/build"; opts=(RelWithDebInfo -DKLIPORA_SANITIZE=OFF -DKLIPORA_TESTS=ON)
  fi
  echo "== $variant build: $dir"
  "$root/scripts/build.sh" "$dir" "${opts[@]}" || { status=1; continue; }
  echo "== $variant tests"
  (cd "$dir" && ctest --output-on-failure -j2 --timeout 600) || status=1
done
exit $status
