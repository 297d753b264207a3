#!/usr/bin/env bash
# Fails when a C++ file under src/, tests/ or bench/ of ROOT (default: this
# checkout) is not as .clang-format lays it out; names each such file.
# Mend with: clang-format -i FILE
set -euo pipefail
ROOT=${1:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
FORMAT=${CLANG_FORMAT:-clang-format}
cd "$ROOT"
mapfile -d '' files < <(find src tests bench -type f \( -name '*.cpp' -o -name '*.h' \) -print0 | sort -z)
bad=0
for f in "${files[@]}"; do
  if ! "$FORMAT" --style=file --dry-run --Werror "$f" >/dev/null 2>&1; then
    echo "not formatted: $f"
    bad=1
  fi
done
exit $bad
