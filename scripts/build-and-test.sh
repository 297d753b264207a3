#!/usr/bin/env bash
# Builds everything (tests, test ROMs, benchmarks), runs the tests under the
# sanitizers (ZOLM_QUICK=1 skips that pass), then runs them as built.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

if [[ "${ZOLM_QUICK:-0}" != "1" && "${ZOLM_SANITIZE:-0}" != "1" ]]; then
  "$ZOLM_ROOT/scripts/sanitizer-checks.sh"
fi
ctest --test-dir "$BUILD_DIR" --output-on-failure --no-tests=error -j"$(nproc)"
