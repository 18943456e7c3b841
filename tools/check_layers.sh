#!/usr/bin/env bash
# Fails when a file under src/ reaches a layer above its own, by an include
# or, given the object files of src/, by naming what such a layer defines.
# Each folder is one layer, and data flows one way, from the top down:
#
#   6  src/main.cpp
#   5  src/app/       options, welcome, the loop over lines, exit save
#   4  src/commands/  the handlers; file commands call files/
#   3  src/files/     state and program files; the loader feeds the parser
#   2  src/interp/    command table, splitter, parser, executor, program
#                     memory, labels, listing, input, interrupt, init
#   1  src/state/     registers, alpha, flags, errors, the display formatter
#                     and stack display, and the execution state that
#                     handlers and reporters share
#   0  src/number/    the decimal number layer
#
# A file may include headers of its own layer and of the layers below, and
# use only what those define. The allow-list below holds the calls up that
# the interpreter is built on, with the reason of each; an entry that nothing
# needs any more is an error too, so the list stays as short as the code
# allows. With every arrow but the dispatch pointing down, no circle of
# includes or calls joins two folders: the command table names the handlers
# and calls none of them. Tests are not checked.
#
# Usage: check_layers.sh [ROOT [OBJECTS...]]   (ROOT defaults to the
# repository; OBJECTS, the compiled files of src/, may also come as one
# argument separated by ';', as CMake lists them)
set -euo pipefail
root=${1:-"$(dirname "$0")/.."}
shift || true
cd "$root"

# "file header": header may be a glob. A name used from another layer counts
# as an include of the header beside the file that defines it.
allowed=(
  # Dispatch: the command table names every handler.
  "src/interp/command_table.cpp commands/*.h"
)

# Sets layer to the layer of a path, or to "none". No subshell: it runs for
# every include.
layer_of() {
  case "$1" in
    src/app/*) layer=5 ;;
    src/commands/*) layer=4 ;;
    src/files/*) layer=3 ;;
    src/interp/*) layer=2 ;;
    src/state/*) layer=1 ;;
    src/number/*) layer=0 ;;
    src/*/*) layer=none ;;
    # The top of src/ holds main.cpp alone.
    src/*) layer=6 ;;
    *) layer=none ;;
  esac
}

names=(number state interp files commands app main)

failed=0
used=()

# Whether file may reach header of a higher layer; marks the entry used.
allowed_up() {
  local file=$1 header=$2 entry allowed_file allowed_header exempt=1
  for entry in "${!allowed[@]}"; do
    read -r allowed_file allowed_header <<<"${allowed[$entry]}"
    # shellcheck disable=SC2053  # the header side is a glob on purpose
    if [ "$file" = "$allowed_file" ] && [[ $header == $allowed_header ]]; then
      exempt=0
      used[entry]=1
    fi
  done
  return "$exempt"
}

mapfile -t files < <(find src -name '*.cpp' -o -name '*.h' | sort)
for file in "${files[@]}"; do
  layer_of "$file"
  if [ "$layer" = none ]; then
    echo "check_layers: $file lies in no layer; give its folder one in $0" >&2
    failed=1
  fi
done

# Project headers are named by folder and file; bare names are decNumber's.
while IFS=: read -r file line header; do
  layer_of "$file"
  own=$layer
  [ "$own" = none ] && continue
  layer_of "src/$header"
  theirs=$layer
  if [ "$theirs" = none ]; then
    echo "check_layers: $file:$line includes $header, which lies in no layer" >&2
    failed=1
    continue
  fi
  [ "$theirs" -le "$own" ] && continue
  if ! allowed_up "$file" "$header"; then
    echo "check_layers: $file:$line includes $header from layer $theirs (${names[theirs]})," \
      "above its own layer $own (${names[own]})" >&2
    failed=1
  fi
done < <(awk 'match($0, /^#include "[a-z_]+\/[a-z_]+\.h"/) {
                h = substr($0, RSTART + 10, RLENGTH - 11); print FILENAME ":" FNR ":" h }' "${files[@]}")

# A declaration written by hand instead of an include passes the check above;
# the object files show every name a file uses and which file defines it.
objects=()
for arg in "$@"; do
  IFS=';' read -r -a parts <<<"$arg"
  objects+=("${parts[@]}")
done
if [ "${#objects[@]}" -gt 0 ]; then
  # "file defining symbol" for each name that a file takes from another.
  uses=$(nm -A "${objects[@]}" | awk '
    { object = $1; sub(/:.*/, "", object)
      # The path of an object ends in that of its source, then ".o".
      match(object, /src\/([a-z0-9_]+\/)?[a-z0-9_]+\.cpp\.o(bj)?$/)
      source = substr(object, RSTART, RLENGTH); sub(/\.o(bj)?$/, "", source) }
    NF == 3 && $2 ~ /^[TDBR]$/ { definer[$3] = source }
    NF == 3 && $2 == "U" { n++; user[n] = source; symbol[n] = $3 }
    END { for (i = 1; i <= n; i++)
            if (symbol[i] in definer && definer[symbol[i]] != user[i])
              print user[i], definer[symbol[i]], symbol[i] }' | sort -u)
  while read -r file defining symbol; do
    [ -n "$file" ] || continue
    layer_of "$file"
    own=$layer
    layer_of "$defining"
    theirs=$layer
    # A file in no layer is reported above.
    if [ "$own" = none ] || [ "$theirs" = none ] || [ "$theirs" -le "$own" ]; then continue; fi
    header=${defining#src/}
    allowed_up "$file" "${header%.cpp}.h" && continue
    echo "check_layers: $file uses $(c++filt "$symbol") of $defining from layer $theirs" \
      "(${names[theirs]}), above its own layer $own (${names[own]})" >&2
    failed=1
  done <<<"$uses"
fi

for entry in "${!allowed[@]}"; do
  if [ -z "${used[entry]:-}" ]; then
    echo "check_layers: allow-list entry '${allowed[$entry]}' is needed by nothing; remove it" >&2
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
  echo "check_layers: nothing reaches above its own layer but the allowed calls"
fi
exit "$failed"
