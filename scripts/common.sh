# Sourced by the build scripts: installs deps, configures and builds.
# ZOLM_SANITIZE=1 builds into build-asan with ASan and UBSan.

ZOLM_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$ZOLM_ROOT"

"$ZOLM_ROOT/scripts/deps.sh"

if [[ "${ZOLM_SANITIZE:-0}" == "1" ]]; then
  BUILD_DIR="$ZOLM_ROOT/build-asan"
  SANITIZE=ON
  export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}"
  export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
else
  BUILD_DIR="$ZOLM_ROOT/build"
  SANITIZE=OFF
fi

# ZOLM_WERROR=1 (set by CI) makes every warning an error.
ZOLM_WERROR_FLAG=$([[ "${ZOLM_WERROR:-0}" == "1" ]] && echo ON || echo OFF)

cmake -S "$ZOLM_ROOT" -B "$BUILD_DIR" -G Ninja \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DZOLM_SANITIZE="$SANITIZE" -DZOLM_WERROR="$ZOLM_WERROR_FLAG"
cmake --build "$BUILD_DIR"
