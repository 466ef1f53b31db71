#!/usr/bin/env bash
# CI checks on the sources themselves: clang-format with the checked-in style, and each
# library's includes against the layering table (no Qt in the core, only the allowed arrows).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
status=0
mapfile -t sources < <(git ls-files '*.cpp' '*.h')
if ! clang-format --dry-run -Werror "${sources[@]}"; then
  echo "Formatting differs from .clang-format (run clang-format -i on the files above)." >&2
  status=1
fi
# The includes of each folder under src/ against the arrows of cmake/Layering.cmake.
if ! cmake -P cmake/Layering.cmake; then
  echo "An include breaks the layering (above; the allowed arrows are in cmake/Layering.cmake)." >&2
  status=1
fi
exit $status
