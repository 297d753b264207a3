#!/usr/bin/env bash
# The pointer resting on the main window's menu bar, run under an X server
# (xvfb-run): the menu title under it lights with no click, and the bar is
# as before once the pointer has left the window. Then SIGTERM ends it.
#
#   window_hover.sh ZOLM FOLDER [zolm arguments...]
#
# Runs in FOLDER; leaves the program's stdout, stderr and exit status in
# out.txt, err.txt and status.txt there, and in hover.txt "lit" when the
# bar changed under the pointer, "cleared" when it was back as before
# after the pointer left. Exits 0 when every step was seen.
set -u
zolm=$1
cd "$2" || exit 1
shift 2

readonly SCRIPT_NAME="window hover"
source "$(dirname "${BASH_SOURCE[0]}")/window_common.sh"
readonly RESET_X=56 MENU_Y=10 # the menu title "reset", window coordinates
readonly BAR_W=300 BAR_H=20   # the part of the menu bar compared
readonly AWAY_X=1275 AWAY_Y=1020 # a corner of the screen no window covers

# A digest of the window's pixels in the rectangle 0,0 BAR_W x BAR_H.
bar_pixels() {
    python3 - "$1" "$BAR_W" "$BAR_H" <<'PY'
import ctypes, hashlib, sys
x = ctypes.cdll.LoadLibrary("libX11.so.6")
class XImage(ctypes.Structure):
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                ("format", ctypes.c_int), ("data", ctypes.c_void_p), ("byte_order", ctypes.c_int),
                ("bitmap_unit", ctypes.c_int), ("bitmap_bit_order", ctypes.c_int), ("bitmap_pad", ctypes.c_int),
                ("depth", ctypes.c_int), ("bytes_per_line", ctypes.c_int), ("bits_per_pixel", ctypes.c_int)]
x.XOpenDisplay.restype = ctypes.c_void_p
x.XOpenDisplay.argtypes = [ctypes.c_char_p]
x.XGetImage.restype = ctypes.POINTER(XImage)
x.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int, ctypes.c_uint, ctypes.c_uint,
                        ctypes.c_ulong, ctypes.c_int]
Z_PIXMAP, ALL_PLANES = 2, 0xFFFFFFFF
display = x.XOpenDisplay(None)
if not display:
    sys.exit(1)
w, h = int(sys.argv[2]), int(sys.argv[3])
image = x.XGetImage(display, int(sys.argv[1]), 0, 0, w, h, ALL_PLANES, Z_PIXMAP)
if not image:
    sys.exit(1)
print(hashlib.sha1(ctypes.string_at(image.contents.data, image.contents.bytes_per_line * h)).hexdigest())
PY
}

printf 'exit\n' | "$zolm" "$@" >out.txt 2>err.txt &
pid=$!

main=$(wait_for_window '^ZOLM [0-9]') || fail "no main window"
# The debugger's "exit" writes the settings: the window is idle from then on.
for ((i = 0; i < WAIT_STEPS; i++)); do
    [[ -e X68.CFG ]] && break
    sleep 0.1
done
xdotool mousemove "$AWAY_X" "$AWAY_Y"
sleep 0.5
away=$(bar_pixels "$main") || fail "no pixels of the window"
# The bar as it is once it became (or, after 10 s, never became) other
# than away, or the same, as wanted ("other" or "same").
bar_becomes() { # wanted
    local i now
    for ((i = 0; i < 100; i++)); do
        now=$(bar_pixels "$main") || fail "no pixels of the window"
        [[ $1 == other && $now != "$away" ]] && break
        [[ $1 == same && $now == "$away" ]] && break
        sleep 0.1
    done
    echo "$now"
}
xdotool mousemove --window "$main" "$RESET_X" "$MENU_Y"
over=$(bar_becomes other)
xdotool mousemove "$AWAY_X" "$AWAY_Y"
left=$(bar_becomes same)
: >hover.txt
[[ $over != "$away" ]] && echo lit >>hover.txt
[[ $left == "$away" ]] && echo cleared >>hover.txt
kill -TERM "$pid"
wait_end
