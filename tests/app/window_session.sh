#!/usr/bin/env bash
# One session of zolm in its window, run under an X server (xvfb-run):
# the console debugger gets "exit", then the menu's "reset" starts the
# machine; once the disk panel's caption shows the statistics, "power"
# switches it off and the program ends.
#
#   window_session.sh ZOLM FOLDER [zolm arguments...]
#
# With ZOLM_SESSION=sigterm the program gets SIGTERM once its window is
# there (and the file ZOLM_AFTER, when named, exists), instead of the
# clicks; with ZOLM_SESSION=chooser once "reset" runs the machine and the
# disk panel's file chooser is open. ZOLM_INPUT is the debugger's input
# ("exit" by default). ZOLM_CAPTION is the caption (a regex) the panel must
# show before "power"; the clock statistics by default.
#
# Runs in FOLDER; leaves the program's stdout, stderr and exit status in
# out.txt, err.txt and status.txt there. Exits 0 when every step was seen.
set -u
zolm=$1
cd "$2" || exit 1
shift 2

# Menu bar items, centres in window coordinates, for the UI font (16 px).
readonly RESET_X=56 POWER_X=216 MENU_Y=10
readonly FD0_X=120 FD0_Y=18 # the disk panel's drive 0 button
readonly SCRIPT_NAME="window session"
source "$(dirname "${BASH_SOURCE[0]}")/window_common.sh"

printf "${ZOLM_INPUT:-exit\\n}" | "$zolm" "$@" >out.txt 2>err.txt &
pid=$!

main=$(wait_for_window '^ZOLM [0-9]') || fail "no main window"
sleep 0.5
sigterm_and_wait() { # SIGTERM is the AC plug: the program ends as from the menu
    kill -TERM "$pid"
    wait_end
}
if [[ ${ZOLM_SESSION:-} == sigterm ]]; then
    for ((i = 0; i < WAIT_STEPS; i++)); do
        [[ -z ${ZOLM_AFTER:-} || -e ${ZOLM_AFTER:-} ]] && break
        sleep 0.1
    done
    [[ -z ${ZOLM_AFTER:-} || -e $ZOLM_AFTER ]] || fail "$ZOLM_AFTER never came"
    sigterm_and_wait
fi
click "$main" "$RESET_X" "$MENU_Y"
caption=${ZOLM_CAPTION:-'^X68000 [0-9.]+MHz'}
wait_for_window "$caption" >/dev/null || fail "the panel never showed the caption $caption"
sleep 0.5
# The main window's place on the screen, as the window shows the picture.
xdotool getwindowgeometry "$main" >geometry.txt 2>&1
if [[ ${ZOLM_SESSION:-} == chooser ]]; then
    panel=$(wait_for_window '^X68000') || fail "no disk panel"
    click "$panel" "$FD0_X" "$FD0_Y"
    sleep 1
    sigterm_and_wait
fi
click "$main" "$POWER_X" "$MENU_Y"
wait_end
