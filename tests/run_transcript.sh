#!/usr/bin/env bash
# Runs one transcript case: feeds CASE.in to the calculator, started with the
# arguments of CASE.args in a fresh directory (so no state file is met or
# left behind), and compares its whole standard output with CASE.out.
# A directory CASE.files, when present, is copied into the working directory
# first.
set -u
binary=$1
case_path=$2

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
[ -d "$case_path.files" ] && cp -r "$case_path.files/." "$work/"

args=()
[ -f "$case_path.args" ] && read -r -a args < "$case_path.args"
expected_status=0
[ -f "$case_path.status" ] && expected_status=$(cat "$case_path.status")

(cd "$work" && "$binary" "${args[@]}" < "$case_path.in" > "$work/.actual" 2> "$work/.stderr")
status=$?

if ! diff -u "$case_path.out" "$work/.actual"; then
  echo "transcript $(basename "$case_path"): standard output differs (--- expected, +++ actual)"
  exit 1
fi
if [ "$status" -ne "$expected_status" ]; then
  echo "transcript $(basename "$case_path"): exit status $status, expected $expected_status"
  cat "$work/.stderr"
  exit 1
fi
