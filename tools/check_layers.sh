#!/usr/bin/env bash
# Fails when a file under src/ includes a header from a layer above its own.
# Data flows one way, from the top layer down:
#
#   6  src/main.cpp
#   5  src/interp/main_loop.*  options, welcome, the loop over lines, exit save
#   4  src/commands/           the handlers; file commands call files/
#   3  src/files/              state and program files; the loader feeds the parser
#   2  src/interp/             command table, splitter, parser, executor, program
#                              memory, labels, listing, input, interrupt, init
#   1  src/state/              registers, alpha, flags, errors, display, and the
#                              execution state that handlers and reporters share
#   0  src/number/             the decimal number layer
#
# A file may include headers of its own layer and of the layers below. The
# allow-list below holds the few calls up that the interpreter is built on,
# each with its reason; an entry that no include needs any more is an error
# too, so the list stays as short as the code allows. Tests are not checked.
#
# Usage: check_layers.sh [ROOT]   (ROOT defaults to the repository)
set -euo pipefail
root=${1:-"$(dirname "$0")/.."}
cd "$root"

# "file header": header may be a glob.
allowed=(
  # Dispatch: the command table names every handler.
  "src/interp/command_table.cpp commands/*.h"
  # In trace mode the stack display follows every command.
  "src/interp/parser.cpp commands/display.h"
  # A step of unknown length stops the run as stop does.
  "src/interp/program.cpp commands/program.h"
  # Initialisation clears the registers, the stack and alpha as clrg, clst
  # and cla do.
  "src/interp/init.cpp commands/registers.h"
  "src/interp/init.cpp commands/alpha.h"
)

layer_of() {
  case "$1" in
    src/main.cpp) echo 6 ;;
    src/interp/main_loop.*) echo 5 ;;
    src/commands/*) echo 4 ;;
    src/files/*) echo 3 ;;
    src/interp/*) echo 2 ;;
    src/state/*) echo 1 ;;
    src/number/*) echo 0 ;;
    *) echo none ;;
  esac
}

names=(number state interp files commands main_loop main)

failed=0
used=()
while IFS= read -r file; do
  own=$(layer_of "$file")
  if [ "$own" = none ]; then
    echo "check_layers: $file lies in no layer; give its folder one in $0" >&2
    failed=1
    continue
  fi
  # Project headers are named by folder and file; bare names are decNumber's.
  while IFS=: read -r line header; do
    [ -n "$header" ] || continue
    theirs=$(layer_of "src/$header")
    if [ "$theirs" = none ]; then
      echo "check_layers: $file:$line includes $header, which lies in no layer" >&2
      failed=1
      continue
    fi
    [ "$theirs" -le "$own" ] && continue
    exempt=0
    for entry in "${!allowed[@]}"; do
      read -r allowed_file allowed_header <<<"${allowed[$entry]}"
      # shellcheck disable=SC2053  # the header side is a glob on purpose
      if [ "$file" = "$allowed_file" ] && [[ $header == $allowed_header ]]; then
        exempt=1
        used[entry]=1
      fi
    done
    if [ "$exempt" = 0 ]; then
      echo "check_layers: $file:$line includes $header from layer $theirs (${names[theirs]})," \
        "above its own layer $own (${names[own]})" >&2
      failed=1
    fi
  done < <(awk 'match($0, /^#include "[a-z_]+\/[a-z_]+\.h"/) {
                  h = substr($0, RSTART + 10, RLENGTH - 11); print FNR ":" h }' "$file")
done < <(find src -name '*.cpp' -o -name '*.h' | sort)

for entry in "${!allowed[@]}"; do
  if [ -z "${used[entry]:-}" ]; then
    echo "check_layers: allow-list entry '${allowed[$entry]}' matches no include; remove it" >&2
    failed=1
  fi
done

# Only the number layer calls decNumber, knows the decimal64 encoding or
# takes a quick route past the library.
if grep -rnE 'decDouble|decNumber|decContext|zqm_(un)?pack|zqm_divide' src --exclude-dir=number >&2; then
  echo "check_layers: the lines above reach past the number layer into decNumber or the encoding" >&2
  failed=1
fi

if [ "$failed" = 0 ]; then
  echo "check_layers: no include reaches above its own layer but the allowed calls"
fi
exit "$failed"
