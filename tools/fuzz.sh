#!/usr/bin/env bash
# Builds the fuzzing harnesses of tests/fuzz (clang, libFuzzer, AddressSanitizer
# and UndefinedBehaviorSanitizer) in build-fuzz/ and runs them side by side,
# each for SECONDS (60 when not given), on their seed corpora: the committed
# ones under tests/fuzz/corpus/ and the transcript cases' inputs and files. A
# crash, a sanitizer report, a leak or an input that takes more than 30 s
# fails the run; the input that did it is left in build-fuzz/findings/.
# Inputs that reach new code are kept in build-fuzz/corpus/ for later runs.
# With -j N, N processes run each harness, sharing its corpus.
#
# usage: tools/fuzz.sh [-j N] [SECONDS] [typed|program|state|start|quick ...]
set -euo pipefail
cd "$(dirname "$0")/.."

workers=1
if [ "${1:-}" = -j ]; then
  workers=$2
  shift 2
fi
seconds=${1:-60}
if [ $# -gt 0 ]; then shift; fi
harnesses=("$@")
[ ${#harnesses[@]} -gt 0 ] || harnesses=(typed program state start quick)

bash tools/install_packages.sh cmake make clang libclang-rt-14-dev gcc-12-source

build=build-fuzz
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZQ_FUZZ=ON -DZQ_WERROR=ON \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$build" -j "$(nproc)" >/dev/null

# The transcript cases' typed inputs and the files they start from.
seeds=$build/seeds
rm -rf "$seeds"
mkdir -p "$seeds/typed" "$seeds/program" "$seeds/state" "$seeds/start" "$seeds/quick"
cp tests/transcripts/*.in "$seeds/typed/"
find tests/transcripts -path '*.files/*' -type f | while read -r file; do
  case_name=${file#tests/transcripts/}
  case_name=${case_name%%.files/*}
  case "$file" in
    *.mem) cp "$file" "$seeds/state/$case_name-$(basename "$file")" ;;
    *) cp "$file" "$seeds/program/$case_name-$(basename "$file")" ;;
  esac
done

# The harnesses' private directories, where inputs write their files: in
# memory when the machine has a place for it. A harness that stops on a
# finding leaves its own behind.
scratch_root=$PWD/$build
[ -d /dev/shm ] && [ -w /dev/shm ] && scratch_root=/dev/shm
scratch=$(mktemp -d "$scratch_root/zq-fuzz-run.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
rm -rf "$build/logs"
mkdir -p "$build/findings" "$build/logs"
# Inputs up to 16 KiB: typed lines longer than the line buffer and refills
# of the input buffer come often. The quick routes' chains are of words.
declare -A max_len=([typed]=16384 [program]=16384 [state]=16384 [start]=16384 [quick]=2048)
declare -A pids
for harness in "${harnesses[@]}"; do
  [ -n "${max_len[$harness]:-}" ] || { echo "unknown harness: $harness" >&2; exit 2; }
  mkdir -p "$build/corpus/$harness"
  options=(-max_total_time="$seconds" -timeout=30 -max_len="${max_len[$harness]}" -print_final_stats=1
           -artifact_prefix="$PWD/$build/findings/$harness-")
  case $harness in typed | program) options+=(-dict="$build/words.dict") ;; esac
  for worker in $(seq "$workers"); do
    TMPDIR=$scratch "$build/fuzz_$harness" "${options[@]}" "$build/corpus/$harness" "$seeds/$harness" \
      "tests/fuzz/corpus/$harness" > "$build/logs/$harness.$worker.log" 2>&1 &
    pids[$harness.$worker]=$!
  done
done

# Sums a final statistic of every process of a harness.
total() {
  cat "$build/logs/$1".*.log | sed -n "s/^stat::$2: *//p" | awk '{ sum += $1 } END { print sum + 0 }'
}

passed=0
failed=0
for harness in "${harnesses[@]}"; do
  verdict=ok
  for worker in $(seq "$workers"); do
    if ! wait "${pids[$harness.$worker]}"; then
      verdict=FAILED
      grep -v '^"' "$build/logs/$harness.$worker.log" | tail -n 60
    fi
  done
  if [ "$verdict" = ok ]; then passed=$((passed + 1)); else failed=$((failed + 1)); fi
  echo "fuzz $harness: $(total "$harness" number_of_executed_units) executions," \
    "$(total "$harness" average_exec_per_sec) per second, $verdict"
done
echo "fuzz: $passed harnesses clean, $failed with findings"
[ "$failed" -eq 0 ]
