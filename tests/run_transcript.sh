#!/usr/bin/env bash
# Runs one transcript case: bash run_transcript.sh BINARY CASE, where CASE is
# the path of the case's files without their extension (relative paths are
# taken from the current directory). The calculator is started as "zq17" in a
# fresh working directory, so no state file is met or left behind, with
#   CASE.args    its command-line arguments (optional)
#   CASE.files/  copied into the working directory first (optional)
#   CASE.in      typed as its standard input
# and then
#   CASE.out     is compared with its standard output. A start-up case, named
#                startup_* or options_*, compares the whole output; any other
#                case compares it from the first prompt line on, as
#                from_first_prompt.sh cuts it (which also converts an
#                expected output written whole).
#   CASE.err     is compared with its standard error; without it, standard
#                error must stay empty.
#   CASE.status  is the exit status expected (0 without it).
#   CASE.expect/ holds files that the working directory must hold afterwards,
#                byte for byte (optional; other files are not looked at).
#   CASE.in2     when present, is typed into a second start in the same
#                working directory after the first one has ended, with the
#                same arguments; its output is compared with CASE.out2 by the
#                rule of CASE.out, its standard error joins the first one's,
#                and its exit status must be the same.
set -u
binary=$(realpath -- "$1")
case_path=$(realpath -m -- "$2")
name=$(basename "$case_path")
here=$(dirname "$(realpath -- "$0")")

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
work=$tmp/work
mkdir "$work"
[ -d "$case_path.files" ] && cp -r "$case_path.files/." "$work/"

args=()
[ -f "$case_path.args" ] && read -r -a args < "$case_path.args"
expected_status=0
[ -f "$case_path.status" ] && expected_status=$(cat "$case_path.status")
if [ -f "$case_path.err" ]; then expected_err=$case_path.err; else expected_err=/dev/null; fi

failed=0
fail() {
  echo "transcript $name: $1"
  failed=1
}

# One start of the calculator with input $1; its output is compared with $2.
session() {
  local input=$1 expected=$2
  local actual=$tmp/$(basename "$expected")
  (cd "$work" && exec -a zq17 "$binary" "${args[@]}" < "$input" > "$actual" 2>> "$tmp/stderr")
  local status=$?
  bash "$here/from_first_prompt.sh" "$actual"
  diff -u "$expected" "$actual" || fail "standard output differs from $(basename "$expected") (--- expected, +++ actual)"
  [ "$status" -eq "$expected_status" ] || fail "exit status $status, expected $expected_status"
}

session "$case_path.in" "$case_path.out"
[ -f "$case_path.in2" ] && session "$case_path.in2" "$case_path.out2"

diff -u "$expected_err" "$tmp/stderr" || fail "standard error differs (--- expected, +++ actual)"
if [ -d "$case_path.expect" ]; then
  while IFS= read -r -d '' file; do
    cmp -- "$case_path.expect/$file" "$work/$file" || fail "$file differs from the expected one or is missing"
  done < <(cd "$case_path.expect" && find . -type f -printf '%P\0')
fi
exit "$failed"
