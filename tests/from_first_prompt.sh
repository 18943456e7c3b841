#!/usr/bin/env bash
# Cuts each transcript output file NAME.out (or NAME.out2) given to what it
# holds from its first prompt line on, in place: only the start-up cases,
# named startup_* or options_*, compare what the calculator prints before its
# first prompt (the welcome text, the restore offer, MEMORY LOST, what the
# options print). A file that already starts at its prompt is left as it is,
# so an expected output written in the old, whole form is converted with
#   bash tests/from_first_prompt.sh tests/transcripts/NAME.out
# The runner cuts the actual output by the same rule before comparing.
set -eu
for file in "$@"; do
  case $(basename "$file") in
    startup_* | options_*) continue ;;
  esac
  # The byte offset of the first line that starts with a prompt: ">", or
  # "USER>", "TRACE>" or "USER:TRACE>", each followed by a blank.
  offset=$(grep -a -b -m 1 -E '^(USER:TRACE|USER|TRACE)?> ' "$file" | cut -d : -f 1) || true
  if [ -z "$offset" ]; then
    echo "$file: no prompt; nothing is kept" >&2
    offset=$(stat -c %s "$file")
  fi
  [ "$offset" -eq 0 ] && continue
  tail -c +"$((offset + 1))" "$file" > "$file.cut"
  mv "$file.cut" "$file"
done
