#!/usr/bin/env bash
# Start-up and exit with empty input and no state file, against a C++
# program that does nothing, built and linked the same way. Prints the median
# time of each and their ratio (target: at most 1.15). For reference it also
# times the empty program with libm loaded, the one shared library that the
# calculator needs beyond libc.
#
# Usage: bench/startup.sh [path/to/zq17] [rounds] [runs per round]
set -eu

repo=$(cd "$(dirname "$0")/.." && pwd)
binary=$(realpath "${1:-$repo/build/zq17}")
rounds=${2:-5}
runs=${3:-500}
[ -x "$binary" ] || { echo "no binary at $binary (build first)" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf 'int main() { return 0; }\n' > "$work/empty.cpp"
flags=(-O2 -static-libstdc++ -static-libgcc)
c++ "${flags[@]}" "$work/empty.cpp" -o "$work/empty"
c++ "${flags[@]}" "$work/empty.cpp" -o "$work/empty_libm" -Wl,--no-as-needed -lm
# An empty directory: no zq17.mem is found, so no restore offer waits.
cd "$work"

# Rounds alternate the programs, so that a change of machine load hits all
# of them; the median of all runs is reported.
if command -v hyperfine > /dev/null; then
  for ((r = 0; r < rounds; r++)); do
    # hyperfine gives each run /dev/null as standard input.
    hyperfine -N --warmup 50 --runs "$runs" --output=null --export-json "$work/round$r.json" \
      "$work/empty" "$binary" "$work/empty_libm" > /dev/null 2>&1
  done
  python3 - "$work" "$rounds" <<'EOF'
import json, statistics, sys
work, rounds = sys.argv[1], int(sys.argv[2])
times = [[], [], []]
for r in range(rounds):
    for i, result in enumerate(json.load(open(f"{work}/round{r}.json"))["results"]):
        times[i] += result["times"]
with open(f"{work}/medians", "w") as f:
    f.write(" ".join(str(statistics.median(t)) for t in times) + "\n")
EOF
else
  # A plain loop: the mean time per run, process creation included.
  seconds() {
    local start end
    start=$(date +%s%N)
    for ((i = 0; i < runs; i++)); do "$1" < /dev/null > /dev/null; done
    end=$(date +%s%N)
    echo "($end - $start) / $runs / 1000000000" | bc -l
  }
  declare -a sums=(0 0 0)
  for ((r = 0; r < rounds; r++)); do
    k=0
    for program in "$work/empty" "$binary" "$work/empty_libm"; do
      sums[k]=$(echo "${sums[k]} + $(seconds "$program") / $rounds" | bc -l)
      k=$((k + 1))
    done
  done
  echo "${sums[*]}" > "$work/medians"
fi

read -r empty zq empty_libm < "$work/medians"
python3 - "$empty" "$zq" "$empty_libm" <<'EOF'
import sys
empty, zq, empty_libm = (float(v) for v in sys.argv[1:4])
print(f"empty C++ program:           {empty * 1e6:8.1f} us per run")
print(f"zq17 start-up and exit:      {zq * 1e6:8.1f} us per run")
print(f"ratio:                       {zq / empty:8.3f} (target <= 1.15)")
print(f"empty program loading libm:  {empty_libm * 1e6:8.1f} us per run "
      f"(zq17 / it: {zq / empty_libm:.3f})")
EOF
