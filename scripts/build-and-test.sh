#!/usr/bin/env bash
# Builds everything (tests, test ROMs, benchmarks) and runs the tests.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

ctest --test-dir "$BUILD_DIR" --output-on-failure --no-tests=error -j"$(nproc)"
