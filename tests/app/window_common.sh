# Shared by the window test scripts, which source it: waiting for windows,
# clicks and the program's end. The sourcing script sets SCRIPT_NAME, and
# pid once it started the program.

readonly WAIT_STEPS=300 # of 0.1 s

find_window() { # regex; prints the id of a visible window of that name
    xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1
}
wait_for_window() { # regex; prints its id
    local i id
    for ((i = 0; i < WAIT_STEPS; i++)); do
        id=$(find_window "$1")
        if [[ -n $id ]]; then echo "$id"; return 0; fi
        sleep 0.1
    done
    return 1
}
# Waits until the program has placed a side window beside the main window
# (they no longer overlap), so that a move of the test's own comes after it.
wait_beside() { # main side
    local i X Y WIDTH HEIGHT SCREEN WINDOW mx my mw mh
    for ((i = 0; i < WAIT_STEPS; i++)); do
        eval "$(xdotool getwindowgeometry --shell "$1")"
        mx=$X my=$Y mw=$WIDTH mh=$HEIGHT
        eval "$(xdotool getwindowgeometry --shell "$2")"
        if ((X >= mx + mw || X + WIDTH <= mx || Y >= my + mh || Y + HEIGHT <= my)); then return 0; fi
        sleep 0.1
    done
    return 1
}
click() { # window x y
    xdotool mousemove --window "$1" "$2" "$3"
    sleep 0.3
    xdotool click 1
}
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
fail() {
    echo "$SCRIPT_NAME: $1" >&2
    kill -TERM "$pid" 2>/dev/null
    sleep 1
    kill -KILL "$pid" 2>/dev/null
    wait "$pid"
    exit 1
}
wait_end() { # waits for the program's end, leaves its status in status.txt and exits 0
    local i
    for ((i = 0; i < WAIT_STEPS; i++)); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    kill -0 "$pid" 2>/dev/null && fail "still running"
    wait "$pid"
    echo $? >status.txt
    exit 0
}
