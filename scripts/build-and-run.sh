#!/usr/bin/env bash
# Builds ZOLM and runs it; arguments go to the program.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

exec "$BUILD_DIR/zolm" "$@"
