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

printf 'exit\n' | "$zolm" "$@" >out.txt 2>err.txt &
pid=$!

main=$(wait_for_window '^ZOLM [0-9]') || fail "no main window"
panel=$(wait_for_window '^X68000') || fail "no panel"
wait_beside "$main" "$panel" || fail "the panel never stood beside the main window"
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
