#!/usr/bin/env bash
# Configures and builds one build folder.
#   build.sh <folder> [Debug|Release|RelWithDebInfo] [extra cmake options...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:-build}
type=${2:-RelWithDebInfo}
shift $(( $# > 2 ? 2 : $# ))
case "$dir" in /*) ;; *) dir="$root/$dir" ;; esac
launcher=()
# a compiler cache, where one is installed, makes rebuilds cheap; no base folder,
# as that would turn __FILE__ relative and the log names would lose their prefix map
if command -v ccache >/dev/null 2>&1; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE="$type" "${launcher[@]}" "$@" >/dev/null
# two cores: more jobs only thrash
cmake --build "$dir" -- -j"$(nproc)"
