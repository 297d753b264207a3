#!/usr/bin/env bash
# Emulated MHz on the compute test ROM, headless and in the window (under
# Xvfb, FRAME on), one after the other in the same run; prints both and the
# window's share of the headless figure.
#
#   tests/app/window_speed.sh BUILD_DIR [FRAMES]
set -euo pipefail
build=$(cd "$1" && pwd)
frames=${2:-1100}
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
dir=$(mktemp -d "${TMPDIR:-/tmp}/zolm-speed-XXXXXX")
trap 'rm -rf "$dir"' EXIT
cp "$build/roms/compute.rom" "$dir/iplrom.dat"

mhz() { sed -n 's/.*X68000 \([0-9.]*\)MHz.*/\1/p' "$1" | tail -n 1; }

(cd "$dir" && "$build/zolm" --headless -n --set FRAME=1 --frames "$frames" >headless.txt)
xvfb-run -a -s '-screen 0 1280x1024x24' "$here/window_session.sh" "$build/zolm" "$dir" \
    -n --set FRAME=1 --frames "$frames"
headless=$(mhz "$dir/headless.txt")
window=$(mhz "$dir/out.txt")
echo "headless: $headless MHz"
echo "window:   $window MHz"
awk -v h="$headless" -v w="$window" 'BEGIN { printf "window / headless: %.1f %%\n", 100 * w / h }'
