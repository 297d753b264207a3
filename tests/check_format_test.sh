#!/usr/bin/env bash
# The format check fails on a file that .clang-format would lay out
# otherwise, naming it, and passes once the file is formatted. Works in a
# temporary copy of .clang-format; the tree itself is left alone.
set -euo pipefail
ROOT=$1
FORMAT=${CLANG_FORMAT:-clang-format}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$ROOT/.clang-format" "$work/"
mkdir -p "$work/src" "$work/tests" "$work/bench"
printf 'int  f( ){return 1;}\n' > "$work/src/planted.cpp"
if out=$(bash "$ROOT/scripts/check-format.sh" "$work"); then
  echo "the check passed an unformatted file"; exit 1
fi
[[ "$out" == "not formatted: src/planted.cpp" ]] || { echo "unexpected report: $out"; exit 1; }
"$FORMAT" -i "$work/src/planted.cpp"
bash "$ROOT/scripts/check-format.sh" "$work" || { echo "the check failed a formatted file"; exit 1; }
echo "format check: caught and cleared"
