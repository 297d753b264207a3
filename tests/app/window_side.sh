#!/usr/bin/env bash
# The disk panel and the debug information beside the main window, run
# under an X server (xvfb-run). The program starts idle (the debugger reads
# "exit"); once its windows stand, their places go to places.txt (one line
# a window: name, x, y, width, height of the client area on the screen),
# every size the X server gave a top-level window until then to sizes.txt
# (id, width, height), the main window's id to main_id.txt and the panel's
# picture to panel.ppm. With ZOLM_SESSION=refusal the panel's
# drive 0 button opens the file chooser, the name "bad.DIM" (a file too
# short for a .DIM header) is chosen, and the panel's picture while the
# refusal's box waits goes to panel_box.ppm, and after the box was moved
# over the panel and away to panel_uncovered.ppm; Enter closes the box. Then
# SIGTERM ends the program. With ZOLM_SESSION=resize the panel is moved over
# the main window, then "reset" runs the demo, which gives the main window
# another size, and the places once the windows stand apart again go to
# places_resized.txt.
#
#   window_side.sh ZOLM FOLDER [zolm arguments...]
#
# Runs in FOLDER; leaves the program's stdout, stderr and exit status in
# out.txt, err.txt and status.txt there. Exits 0 when every step was seen.
set -u
zolm=$1
cd "$2" || exit 1
shift 2

readonly SCRIPT_NAME="window side"
source "$(dirname "${BASH_SOURCE[0]}")/window_common.sh"
readonly FD0_X=120 FD0_Y=18 # the panel's drive 0 button
readonly RESET_X=56 MENU_Y=10 # the main window's "reset"

# Prints "x y width height" of a window's client area on the screen.
place_of() {
    local x y w h
    eval "$(xdotool getwindowgeometry --shell "$1")"
    x=$X y=$Y w=$WIDTH h=$HEIGHT
    echo "$x $y $w $h"
}

# Writes a window's picture as it is on the screen to a PPM file.
grab() { # window file
    python3 - "$1" "$2" <<'PY'
import ctypes, sys
x = ctypes.cdll.LoadLibrary("libX11.so.6")
x.XOpenDisplay.restype = ctypes.c_void_p
x.XOpenDisplay.argtypes = [ctypes.c_char_p]
class Attributes(ctypes.Structure):
    _fields_ = [("x", ctypes.c_int), ("y", ctypes.c_int), ("width", ctypes.c_int), ("height", ctypes.c_int),
                ("pad", ctypes.c_long * 32)]
x.XGetWindowAttributes.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.POINTER(Attributes)]
x.XGetImage.restype = ctypes.c_void_p
x.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int, ctypes.c_uint, ctypes.c_uint,
                        ctypes.c_ulong, ctypes.c_int]
x.XGetPixel.restype = ctypes.c_ulong
x.XGetPixel.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int]
Z_PIXMAP, ALL_PLANES = 2, 0xFFFFFFFF
display = x.XOpenDisplay(None)
if not display:
    sys.exit(1)
window = int(sys.argv[1])
a = Attributes()
if not x.XGetWindowAttributes(display, window, ctypes.byref(a)):
    sys.exit(1)
image = x.XGetImage(display, window, 0, 0, a.width, a.height, ALL_PLANES, Z_PIXMAP)
if not image:
    sys.exit(1)
rgb = bytearray()
for row in range(a.height):
    for col in range(a.width):
        p = x.XGetPixel(image, col, row)
        rgb += bytes(((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF))
with open(sys.argv[2], "wb") as out:
    out.write(b"P6\n%d %d\n255\n" % (a.width, a.height) + bytes(rgb))
PY
}

# grab, once the window's picture stands: two grabs 0.3 s apart alike and
# not of one colour (a loaded machine may not have drawn it yet).
grab_settled() { # window file
    local i
    for ((i = 0; i < 40; i++)); do
        grab "$1" "$2.a" && sleep 0.3 && grab "$1" "$2" || return 1
        if cmp -s "$2.a" "$2" && python3 - "$2" <<'PY'; then
import sys
data = open(sys.argv[1], "rb").read().split(b"\n", 3)[3]
sys.exit(0 if len({data[i:i + 3] for i in range(0, len(data), 3)}) > 1 else 1)
PY
            rm -f "$2.a"
            return 0
        fi
    done
    rm -f "$2.a"
    return 0 # the test compares what it has
}

# Notes every size the X server gives a top-level window (created or
# changed), one line each: the window's id, width and height.
watch_sizes() { # file seconds
    exec python3 - "$1" "$2" <<'PY'
import ctypes, sys, time
x = ctypes.cdll.LoadLibrary("libX11.so.6")
x.XOpenDisplay.restype = ctypes.c_void_p
x.XOpenDisplay.argtypes = [ctypes.c_char_p]
x.XDefaultRootWindow.restype = ctypes.c_ulong
x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
x.XSelectInput.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_long]
x.XPending.argtypes = [ctypes.c_void_p]
x.XFlush.argtypes = [ctypes.c_void_p]
class Event(ctypes.Structure):  # the common head of CreateNotify and ConfigureNotify
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("parent", ctypes.c_ulong), ("window", ctypes.c_ulong),
                ("x", ctypes.c_int), ("y", ctypes.c_int), ("width", ctypes.c_int), ("height", ctypes.c_int),
                ("pad", ctypes.c_long * 24)]
x.XNextEvent.argtypes = [ctypes.c_void_p, ctypes.POINTER(Event)]
CREATE_NOTIFY, CONFIGURE_NOTIFY, SUBSTRUCTURE_NOTIFY_MASK = 16, 22, 1 << 19
display = x.XOpenDisplay(None)
if not display:
    sys.exit(1)
x.XSelectInput(display, x.XDefaultRootWindow(display), SUBSTRUCTURE_NOTIFY_MASK)
x.XFlush(display)
out = open(sys.argv[1], "w")
out.write("watching\n")
out.flush()
end = time.time() + float(sys.argv[2])
ev = Event()
while time.time() < end:
    while x.XPending(display):
        x.XNextEvent(display, ctypes.byref(ev))
        if ev.type in (CREATE_NOTIFY, CONFIGURE_NOTIFY):
            out.write("%d %d %d\n" % (ev.window, ev.width, ev.height))
            out.flush()
    time.sleep(0.002)
PY
}

watch_sizes sizes.txt 30 &
watcher=$!
for ((i = 0; i < WAIT_STEPS; i++)); do
    [[ -s sizes.txt ]] && break
    sleep 0.1
done
printf 'exit\n' | "$zolm" "$@" >out.txt 2>err.txt &
pid=$!

main=$(wait_for_window '^ZOLM [0-9]') || fail "no main window"
panel=$(wait_for_window '^X68000') || fail "no panel"
# The debugger's "exit" writes the settings: the window is idle from then on.
for ((i = 0; i < WAIT_STEPS; i++)); do
    [[ -e X68.CFG ]] && break
    sleep 0.1
done
# xdotool's name search misses the Japanese caption: the program's third
# window, looked for once the start's notice (the font being rendered) is gone.
debug=
for w in $(xdotool search --onlyvisible --pid "$pid" 2>/dev/null); do
    [[ $w != "$main" && $w != "$panel" ]] && xdotool getwindowgeometry "$w" >/dev/null 2>&1 && debug=$w
done
[[ -n $debug ]] || fail "no debug information"
# The side windows move once the main window's frame is known: the places
# are taken when no window covers another, or after the wait.
apart() { # "x y w h" twice
    local a=($1) b=($2)
    ((a[0] + a[2] <= b[0] || b[0] + b[2] <= a[0] || a[1] + a[3] <= b[1] || b[1] + b[3] <= a[1]))
}
wait_apart() {
    local i m p d
    for ((i = 0; i < WAIT_STEPS; i++)); do
        m=$(place_of "$main") p=$(place_of "$panel") d=$(place_of "$debug")
        apart "$m" "$p" && apart "$m" "$d" && apart "$p" "$d" && break
        sleep 0.1
    done
    sleep 0.5
}
places() { # file
    printf 'main %s\npanel %s\ndebug %s\n' "$(place_of "$main")" "$(place_of "$panel")" "$(place_of "$debug")" >"$1"
}
wait_apart
echo "$main" >main_id.txt
places places.txt
if [[ ${ZOLM_SESSION:-} == resize ]]; then
    # The panel put over the main window, then "reset" runs the demo, whose
    # picture gives the window another size: the side windows move beside it.
    read -r mx my _ < <(place_of "$main")
    xdotool windowmove "$panel" $((mx + 20)) $((my + 40))
    sleep 0.5
    click "$main" "$RESET_X" "$MENU_Y"
    sleep 1
    wait_apart
    places places_resized.txt
fi
xdotool mousemove --window "$main" 300 300 # the pointer over no control of the panel
sleep 0.5
grab_settled "$panel" panel.ppm || fail "no picture of the panel"
if [[ ${ZOLM_SESSION:-} == refusal ]]; then
    closed=$(place_of "$panel")
    click "$panel" "$FD0_X" "$FD0_Y"
    # The panel grows for the chooser: then it takes the keys.
    for ((i = 0; i < WAIT_STEPS; i++)); do
        [[ $(place_of "$panel") != "$closed" ]] && break
        sleep 0.1
    done
    sleep 1
    xdotool type --delay 50 bad.DIM
    xdotool mousemove --window "$main" 300 300
    sleep 0.3
    xdotool key Return
    box=$(wait_for_window '^FD0$') || fail "no refusal box"
    sleep 1
    grab_settled "$panel" panel_box.ppm || fail "no picture of the panel behind the box"
    # The box moved over the panel and away again: what it uncovers must be
    # drawn again while the box still waits.
    read -r px py _ < <(place_of "$panel")
    read -r bx by _ < <(place_of "$box")
    xdotool windowmove "$box" "$px" "$py"
    sleep 0.5
    xdotool windowmove "$box" "$bx" "$by"
    sleep 1
    grab_settled "$panel" panel_uncovered.ppm || fail "no picture of the panel the box uncovered"
    xdotool key Return
    sleep 0.5
fi
kill "$watcher" 2>/dev/null
kill -TERM "$pid"
wait_end
