#!/usr/bin/env bash
# CI checks on the sources themselves: clang-format with the checked-in style, and no Qt or
# window header in the core libraries.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
status=0
mapfile -t sources < <(git ls-files '*.cpp' '*.h')
if ! clang-format --dry-run -Werror "${sources[@]}"; then
  echo "Formatting differs from .clang-format (run clang-format -i on the files above)." >&2
  status=1
fi
if grep -nE '^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"](Q[A-Za-z]*|app/|cli/)' \
  src/wave/* src/process/* src/tempo/* src/beats/* src/analysis/* src/slices/*; then
  echo "The core libraries include a Qt or window header (above)." >&2
  status=1
fi
exit $status
