#!/usr/bin/env bash
# Fails when a C++ source or header under src/ or tests/ is not laid out as
# .clang-format says, naming each place. "fix" rewrites them in place
# instead. tests/unit/decimal_cases.inc stays as its generator writes it.
# The layout is that of clang-format 14, Debian 12's; it is installed when
# missing.
#
# Usage: check_format.sh [fix]
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/install_packages.sh clang-format

mapfile -t files < <(find src tests -name '*.cpp' -o -name '*.h' | sort)
case "${1:-}" in
  "")
    if ! clang-format --dry-run --Werror "${files[@]}"; then
      echo "check_format: run 'bash tools/check_format.sh fix' to lay these files out" >&2
      exit 1
    fi
    ;;
  fix) clang-format -i "${files[@]}" ;;
  *)
    echo "usage: $0 [fix]" >&2
    exit 2
    ;;
esac
