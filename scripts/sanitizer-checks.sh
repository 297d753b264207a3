#!/usr/bin/env bash
# Runs the tests again under AddressSanitizer and UndefinedBehaviorSanitizer,
# and the host timer's thread test under ThreadSanitizer.
set -euo pipefail
ZOLM_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$ZOLM_ROOT"
WERROR=$([[ "${ZOLM_WERROR:-0}" == "1" ]] && echo ON || echo OFF)

export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DZOLM_SANITIZE=ON -DZOLM_TSAN=OFF -DZOLM_BUILD_BENCH=OFF -DZOLM_WERROR="$WERROR" >/dev/null
cmake --build build-asan
ctest --test-dir build-asan --output-on-failure --no-tests=error -j"$(nproc)"

export TSAN_OPTIONS="${TSAN_OPTIONS:-halt_on_error=1}"
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DZOLM_TSAN=ON -DZOLM_SANITIZE=OFF -DZOLM_BUILD_BENCH=OFF -DZOLM_WERROR="$WERROR" >/dev/null
cmake --build build-tsan --target test_machine
build-tsan/tests/machine/test_machine --gtest_filter='HostTimerThread*'
