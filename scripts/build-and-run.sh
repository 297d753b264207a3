#!/usr/bin/env bash
# Builds ZOLM and runs it headless. With no arguments it runs the project's
# own demo IPL ROM in build/demo-run until the machine powers off; with
# arguments it runs in the current folder with them.
set -euo pipefail
caller_dir=$PWD
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

if [[ $# -eq 0 ]]; then
  run_dir="$BUILD_DIR/demo-run"
  mkdir -p "$run_dir"
  cp "$BUILD_DIR/roms/demo.rom" "$run_dir/iplrom.dat"
  cd "$run_dir"
  exec "$BUILD_DIR/zolm" --headless
fi
cd "$caller_dir"
exec "$BUILD_DIR/zolm" "$@"
