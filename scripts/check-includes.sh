#!/usr/bin/env bash
# The include rules of the source tree:
#  - only src/app includes "app/..." headers (the interface sits on top);
#  - src/host includes host/ headers, and of the lower layers only those on
#    HOST_ALLOWED: the run flags and the debugger's state a signal touches
#    (host/signals.cpp stops the CPU on SIGINT while the debugger runs).
# Reports every breach as FILE:LINE and exits 1 when there is one.
#
#   check-includes.sh [SRC]   (SRC: the source folder, by default ../src)
set -u
src=${1:-$(dirname "$0")/../src}
[[ -d $src/app && -d $src/host ]] || { echo "check-includes: $src is not a source folder" >&2; exit 2; }
src=$(cd "$src" && pwd)

readonly HOST_ALLOWED=(core/boundary.h core/cpu_regs.h)
readonly INCLUDE='^[[:space:]]*#[[:space:]]*include[[:space:]]*'
readonly NAMED='#[[:space:]]*include[[:space:]]*(["<])([^">]*)[">]'

status=0
breach() { # FILE:LINE:TEXT (as grep -n gives it), why
    local file=${1%%:*} rest=${1#*:}
    echo "$file:${rest%%:*}: $2"
    status=1
}
header_of() { [[ $1 =~ $NAMED ]] && quote=${BASH_REMATCH[1]} && header=${BASH_REMATCH[2]}; }

# Above app nothing: "app/..." from any other folder.
for entry in "$src"/*; do
    [[ $entry == "$src/app" ]] && continue
    while IFS= read -r hit; do
        header_of "$hit"
        breach "$hit" "includes $header; only src/app includes app/ headers"
    done < <(grep -rnHE "${INCLUDE}[\"<]app/" "$entry")
done

# The host layer: its own headers and the allowed lower ones; <...> names
# only system headers unless it names a folder of the tree.
while IFS= read -r hit; do
    header_of "$hit" || continue
    [[ $quote == '<' && ! -d $src/${header%%/*} ]] && continue
    [[ $header == host/* || $header == app/* ]] && continue  # app/ is reported above
    allowed=0
    for ok in "${HOST_ALLOWED[@]}"; do [[ $header == "$ok" ]] && allowed=1; done
    ((allowed)) || breach "$hit" "host includes $header; it may include host/ and ${HOST_ALLOWED[*]}"
done < <(grep -rnHE "${INCLUDE}[\"<]" "$src/host")

exit $status
