#!/usr/bin/env bash
# scripts/check-includes.sh on a copy of the tree: a planted include that
# breaks a rule adds exactly one report, naming its file and line, and fails
# the check; an allowed one adds none. The copy's own reports (if any) are
# the baseline, so the cases hold whatever the tree holds.
#
#   check_includes_test.sh ROOT   (ROOT: the repository)
set -u
root=$1
check=$root/scripts/check-includes.sh
work=$(mktemp -d "${TMPDIR:-/tmp}/zolm-include-check-XXXXXX") || exit 1
trap 'rm -rf "$work"' EXIT
cp -r "$root/src" "$work/src" && cp -r "$root/src" "$work/pristine" || exit 1

# FILE (under src) | the line appended | caught or allowed
readonly CASES=(
    'machine/machine.cpp|#include "app/config.h"|caught'
    'machine/machine.cpp|#include <app/config.h>|caught'
    'storage/drive_slots.h|  #  include "app/disk_panel.h"|caught'
    'host/paths.cpp|#include "video/video_state.h"|caught'
    'host/paths.cpp|#include <input/mouse.h>|caught'
    'host/paths.cpp|#include "app/run_loop.h"|caught'
    'host/signals.cpp|#include "core/cpu_regs.h"|allowed'
    'host/paths.cpp|#include <SDL2/SDL.h>|allowed'
    'app/main.cpp|#include "app/config.h"|allowed'
)

bash "$check" "$work/src" >"$work/before.txt"
before_status=$?
failures=0
for row in "${CASES[@]}"; do
    IFS='|' read -r file line expect <<<"$row"
    echo "$line" >>"$work/src/$file"
    at=$(wc -l <"$work/src/$file")
    bash "$check" "$work/src" >"$work/after.txt"
    status=$?
    added=$(diff "$work/before.txt" "$work/after.txt" | grep '^>' | cut -c3-)
    removed=$(diff "$work/before.txt" "$work/after.txt" | grep -c '^<')
    if [[ $expect == caught ]]; then
        if [[ $status -ne 1 || $removed -ne 0 || $(wc -l <<<"$added") -ne 1 ||
              $added != "$work/src/$file:$at: "* ]]; then
            echo "FAIL: $file: '$line' not caught as one report at line $at (status $status): $added"
            failures=$((failures + 1))
        fi
    elif [[ $status -ne $before_status || -n $added || $removed -ne 0 ]]; then
        echo "FAIL: $file: '$line' is allowed, yet reported (status $status): $added"
        failures=$((failures + 1))
    fi
    cp "$work/pristine/$file" "$work/src/$file"
done
((failures == 0)) && echo "every planted include judged as it should be"
exit $((failures != 0))
