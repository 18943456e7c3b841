#!/usr/bin/env bash
# Prints the line coverage of src/, file by file, that the fuzzing
# harnesses' corpora reach together: every harness built with clang's
# source-based coverage in build-coverage/ runs each input of its corpora
# once (the committed ones under tests/fuzz/corpus/, those that tools/fuzz.sh
# kept in build-fuzz/corpus/ and the transcript cases' seeds).
#
# usage: tools/coverage.sh
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/install_packages.sh cmake make clang llvm libclang-rt-14-dev gcc-12-source

build=build-coverage
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Debug -DZQ_FUZZ=ON -DZQ_FUZZ_COVERAGE=ON \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$build" -j 3 --target fuzz_typed fuzz_program fuzz_state fuzz_start fuzz_quick >/dev/null

profiles=$build/profiles
rm -rf "$profiles"
mkdir -p "$profiles"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
objects=()
for harness in typed program state start quick; do
  corpora=()
  for dir in "tests/fuzz/corpus/$harness" "build-fuzz/corpus/$harness" "build-fuzz/seeds/$harness"; do
    [ -d "$dir" ] && corpora+=("$dir")
  done
  # A finding kept in a corpus stops the run at that input: each input runs
  # in its own process only when the whole corpus fails.
  LLVM_PROFILE_FILE="$PWD/$profiles/$harness-%p.profraw" TMPDIR=$scratch \
    "$build/fuzz_$harness" -runs=0 "${corpora[@]}" >"$profiles/$harness.log" 2>&1 ||
    { echo "fuzz_$harness stopped on an input: see $profiles/$harness.log" >&2; exit 1; }
  objects+=(-object "$build/fuzz_$harness")
done
llvm-profdata merge -sparse "$profiles"/*.profraw -o "$profiles/all.profdata"
# The Lines columns of the report: lines, missed, cover.
llvm-cov report "${objects[@]:1}" -instr-profile="$profiles/all.profdata" "$PWD/src" |
  awk -v root="$PWD/src/" 'NR > 2 && NF >= 13 && $1 != "TOTAL" { sub(root, "", $1); printf "%-32s %6s lines %5s missed %8s\n", $1, $8, $9, $10 }
                           $1 == "TOTAL" { printf "%-32s %6s lines %5s missed %8s\n", "all of src/", $8, $9, $10 }'
