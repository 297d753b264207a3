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
click() { # window x y
    xdotool mousemove --window "$1" "$2" "$3"
    sleep 0.3
    xdotool click 1
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
