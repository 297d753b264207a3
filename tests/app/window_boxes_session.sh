#!/usr/bin/env bash
# The program's boxes in its window, under an X server (xvfb-run), driven
# by xdotool as a user would: the console debugger gets "exit" at once.
#
#   window_boxes_session.sh MODE ZOLM FOLDER [zolm arguments...]
#
# MODE norom: no IPL ROM. The box "ZOLM initialize 1" comes at the start;
#   Enter closes it; after the repeat span "reset" brings it again, and
#   Enter ends the program.
# MODE norom-close: no IPL ROM. The box comes at the start; Enter closes
#   it; then the main window's close box (the window manager's request).
# MODE virus: a guest that writes the boot sector. "reset" starts it; the
#   question comes; Esc refuses, the question comes again; the check box
#   ticked and Enter allow with no more questions; then SIGTERM.
# MODE virus-close: the same guest, refused at every question, asks
#   again at once. The main window's close box while a question is up,
#   then Esc: no question follows, and the program ends.
# MODE notice: no CG ROM. The notice is seen while the font is rendered,
#   and is gone afterwards; then SIGTERM.
#
# Runs in FOLDER; leaves stdout, stderr and the exit status in out.txt,
# err.txt and status.txt, each box's geometry (xdotool's shell form) in
# box1.txt, box2.txt ..., and a shot of the screen with the first box in
# box.png when imagemagick's import is there. Exits 0 when every step was
# seen.
set -u
mode=$1
zolm=$2
cd "$3" || exit 1
shift 3

readonly RESET_X=56 MENU_Y=10
readonly SCRIPT_NAME="window boxes session"
source "$(dirname "${BASH_SOURCE[0]}")/window_common.sh"
boxes=0

wait_gone() { # regex
    local i
    for ((i = 0; i < WAIT_STEPS; i++)); do
        [[ -z $(find_window "$1") ]] && return 0
        sleep 0.1
    done
    return 1
}
record_box() { # id
    boxes=$((boxes + 1))
    xdotool getwindowgeometry --shell "$1" >"box$boxes.txt"
    if [[ $boxes == 1 ]] && command -v import >/dev/null; then
        [[ $mode == notice ]] || sleep 0.3 # drawn; a notice goes soon
        import -window root box.png 2>/dev/null
    fi
}
click_reset() {
    local main
    main=$(wait_for_window '^ZOLM [0-9]') || fail "no main window"
    click "$main" "$RESET_X" "$MENU_Y"
}

printf 'exit\n' | "$zolm" "$@" >out.txt 2>err.txt &
pid=$!

case $mode in
norom)
    box=$(wait_for_window '^ZOLM initialize 1$') || fail "no box at the start"
    record_box "$box"
    xdotool key Return
    wait_gone '^ZOLM initialize 1$' || fail "Enter left the box"
    sleep 2.5 # past the repeat span: the box is shown again, not counted
    click_reset
    box=$(wait_for_window '^ZOLM initialize 1$') || fail "no box after reset"
    record_box "$box"
    xdotool key Return
    wait_end
    ;;
norom-close)
    box=$(wait_for_window '^ZOLM initialize 1$') || fail "no box at the start"
    record_box "$box"
    xdotool key Return
    wait_gone '^ZOLM initialize 1$' || fail "Enter left the box"
    main=$(wait_for_window '^ZOLM [0-9]') || fail "no main window after the box"
    close_window "$main" || fail "no close request sent"
    wait_end
    ;;
virus)
    click_reset
    box=$(wait_for_window 'Virus') || fail "no question"
    record_box "$box"
    xdotool key Escape
    sleep 0.5
    box=$(wait_for_window 'Virus') || fail "no question after the refusal"
    record_box "$box"
    xdotool key Tab Tab space Return
    sleep 1.5
    [[ -n $(find_window 'Virus') ]] && fail "asked again after allow with the check box"
    kill -TERM "$pid"
    wait_end
    ;;
virus-close)
    click_reset
    box=$(wait_for_window 'Virus') || fail "no question"
    record_box "$box"
    main=$(wait_for_window '^ZOLM [0-9]') || fail "no main window"
    close_window "$main" || fail "no close request sent"
    sleep 0.3
    xdotool key Escape
    wait_end
    ;;
notice)
    for ((i = 0; i < 3000; i++)); do
        box=$(find_window 'cgrom.dat')
        [[ -n $box ]] && break
        kill -0 "$pid" 2>/dev/null || fail "ended before the notice"
    done
    [[ -n $box ]] || fail "no notice"
    record_box "$box"
    wait_gone 'cgrom.dat' || fail "the notice stayed"
    [[ -n $(find_window '^ZOLM [0-9]') ]] || fail "no main window after the notice"
    kill -TERM "$pid"
    wait_end
    ;;
*) fail "no such mode: $mode" ;;
esac
