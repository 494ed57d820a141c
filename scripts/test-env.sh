#!/usr/bin/env bash
# Runs a test without a display, with a private HOME and XDG folders.
set -u
dir=$(mktemp -d "${TMPDIR:-/tmp}/klipora-t.XXXXXX")
trap 'rm -rf "$dir"' EXIT
export HOME="$dir/home" XDG_CONFIG_HOME="$dir/home/.config" XDG_DATA_HOME="$dir/home/.local/share"
export XDG_CACHE_HOME="$dir/home/.cache" XDG_RUNTIME_DIR="$dir/run" KLIPORA_TEST_TMP="$dir"
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR"; chmod 700 "$XDG_RUNTIME_DIR"
export QT_QPA_PLATFORM=offscreen
"$@"
