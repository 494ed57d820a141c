#!/usr/bin/env bash
# Configures and builds one build folder.
#   build.sh <folder> [Debug|Release|RelWithDebInfo] [extra cmake options...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:-build}
type=${2:-RelWithDebInfo}
shift $(( $# > 2 ? 2 : $# ))
case "$dir" in /*) ;; *) dir="$root/$dir" ;; esac
cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE="$type" "$@" >/dev/null
# two cores: more jobs only thrash
cmake --build "$dir" -- -j"$(nproc)"
