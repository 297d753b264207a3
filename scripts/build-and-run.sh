#!/usr/bin/env bash
# Builds ZOLM and runs it. With no arguments it starts zolm in its window
# on the project's own demo IPL ROM in build/demo-run (the console
# debugger opens on this terminal: "g" or "exit", then "reset", runs the
# demo; "power" ends it). Without a display zolm says so and runs headless,
# here for 600 frames. With arguments it runs zolm with them in the current
# folder.
set -euo pipefail
caller_dir=$PWD
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

if [[ $# -eq 0 ]]; then
  run_dir="$BUILD_DIR/demo-run"
  mkdir -p "$run_dir"
  cp "$BUILD_DIR/roms/demo.rom" "$run_dir/iplrom.dat"
  cd "$run_dir"
  if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
    exec "$BUILD_DIR/zolm" --frames 600
  fi
  exec "$BUILD_DIR/zolm"
fi
cd "$caller_dir"
exec "$BUILD_DIR/zolm" "$@"
