#!/usr/bin/env bash
# The disk panel beside the main window, run under an X server (xvfb-run):
# the panel is given the keyboard (as a window manager does on a click),
# then clicked where it has no control: the keyboard must be back with the
# main window. Then the panel's close box (WM_DELETE_WINDOW, as a window
# manager sends it) must end the program like AC plug.
#
#   window_panel.sh ZOLM FOLDER [zolm arguments...]
#
# Runs in FOLDER; leaves the program's stdout, stderr and exit status in
# out.txt, err.txt and status.txt there, and the name of the window that
# had the keyboard after the click in focus.txt. Exits 0 when every step
# was seen.
set -u
zolm=$1
cd "$2" || exit 1
shift 2

readonly SCRIPT_NAME="window panel"
source "$(dirname "${BASH_SOURCE[0]}")/window_common.sh"
readonly PANEL_X=700 PANEL_Y=600 # where the panel is moved, clear of the other windows
readonly BLANK_X=470 BLANK_Y=220 # a spot of the panel without a control

# Sends the window manager's close request to a window.
close_window() {
    python3 - "$1" <<'PY'
import ctypes, sys
x = ctypes.cdll.LoadLibrary("libX11.so.6")
x.XOpenDisplay.restype = ctypes.c_void_p
x.XOpenDisplay.argtypes = [ctypes.c_char_p]
x.XInternAtom.restype = ctypes.c_ulong
x.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
class ClientMessage(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                ("format", ctypes.c_int), ("l", ctypes.c_long * 5)]
class XEvent(ctypes.Union):
    _fields_ = [("xclient", ClientMessage), ("pad", ctypes.c_long * 24)]
x.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long, ctypes.POINTER(XEvent)]
x.XFlush.argtypes = [ctypes.c_void_p]
CLIENT_MESSAGE = 33
display = x.XOpenDisplay(None)
if not display:
    sys.exit(1)
window = int(sys.argv[1])
ev = XEvent()
ev.xclient.type = CLIENT_MESSAGE
ev.xclient.window = window
ev.xclient.message_type = x.XInternAtom(display, b"WM_PROTOCOLS", 0)
ev.xclient.format = 32
ev.xclient.l[0] = x.XInternAtom(display, b"WM_DELETE_WINDOW", 0)
x.XSendEvent(display, window, 0, 0, ctypes.byref(ev))
x.XFlush(display)
PY
}

printf 'exit\n' | "$zolm" "$@" >out.txt 2>err.txt &
pid=$!

main=$(wait_for_window '^ZOLM [0-9]') || fail "no main window"
panel=$(wait_for_window '^X68000') || fail "no panel"
# The debugger's "exit" writes the settings: the window is idle from then on.
for ((i = 0; i < WAIT_STEPS; i++)); do
    [[ -e X68.CFG ]] && break
    sleep 0.1
done
sleep 0.5
xdotool windowmove "$panel" "$PANEL_X" "$PANEL_Y"
xdotool windowfocus "$panel"
sleep 0.3
xdotool mousemove --window "$panel" "$BLANK_X" "$BLANK_Y"
sleep 0.3
xdotool click 1
echo other >focus.txt
for ((i = 0; i < WAIT_STEPS; i++)); do
    if [[ $(xdotool getwindowfocus) == "$main" ]]; then echo main >focus.txt; break; fi
    sleep 0.1
done
close_window "$panel" || fail "no close request sent"
wait_end
