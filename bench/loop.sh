#!/usr/bin/env bash
# Speed of a running program loop: zq17 runs a keystroke program of
# 1,000,000 iterations of 7 steps (rcl, int, a number, *, st+, dse, gto),
# and bc, Python 3 with its decimal module (16 digits) and GNU dc run the
# same arithmetic, s := s + k*1.0001 for k from 1,000,000 down to 1. The four
# are started alternately, one run each in turn, so that a change of machine
# load hits all alike. Each also runs its loop once with one iteration; the
# difference of the medians over 999,999 is its time per iteration, without
# its start-up. Prints nanoseconds per iteration for each and zq17's ratio to
# each peer (target: below 1.0 against all three).
#
# Usage: bench/loop.sh [path/to/zq17] [runs]
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
binary=$(realpath "${1:-$repo/build/zq17}")
runs=${2:-5}
[ -x "$binary" ] || bash "$repo/tools/build.sh"

bash "$repo/tools/install_packages.sh" bc dc python3

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

# The program: outer times inner iterations; 50 times 20,000 is 1,000,000.
write_program() {
  printf '%s\n' 'lbl "bench"' 0 'sto 01' "$2" 'sto 02' 'lbl 10' "$3" 'sto 00' 'lbl 11' 'rcl 00' int 1.0001 '*' \
    'st+ 01' 'dse 00' 'gto 11' 'dse 02' 'gto 10' 'rcl 01' > "$1"
}
write_program loop.zq 50 20000
write_program once.zq 1 1

for n in 1000000 1; do
  echo "scale=16; s=0; for(k=$n;k>0;k--) s=s+k*1.0001; s" > "bc_$n.txt"
  echo "16k 0ss ${n}sk [lk1.0001*ls+ss lk1-dsk0<L]sL lLx lsp" > "dc_$n.txt"
  cat > "py_$n.py" <<PY
from decimal import Decimal, getcontext
getcontext().prec = 16
s = Decimal(0)
k = Decimal($n)
c = Decimal("1.0001")
one = Decimal(1)
while k > 0:
    s = s + k*c
    k = k - one
print(s)
PY
done

python3 - "$binary" "$runs" <<'PY'
import os, statistics, subprocess, sys, time
binary, runs = sys.argv[1], int(sys.argv[2])
iterations = 1000000
python = "/usr/bin/python3"
peers = {
    "zq17": ([binary, "-x", "loop.zq"], [binary, "-x", "once.zq"], None, "x: 10,001,500,050.0000 "),
    "bc": (["bc", "bc_1000000.txt"], ["bc", "bc_1.txt"], "", "500050500050.0000"),
    "python decimal": ([python, "py_1000000.py"], [python, "py_1.py"], None, "500050500050.0000"),
    "dc": (["dc", "dc_1000000.txt"], ["dc", "dc_1.txt"], None, "500050500050.0000"),
}

def timed(command, stdin):
    start = time.perf_counter_ns()
    result = subprocess.run(command, input=stdin, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                            text=True, check=True)
    return time.perf_counter_ns() - start, result.stdout

times = {name: ([], []) for name in peers}
for _ in range(runs):
    for name, (full, once, stdin, expected) in peers.items():
        elapsed, output = timed(full, stdin if stdin is not None else "")
        if expected not in output:
            sys.exit(f"{name}: the loop did not give {expected!r}:\n{output[-300:]}")
        times[name][0].append(elapsed)
        times[name][1].append(timed(once, stdin if stdin is not None else "")[0])

per_iteration = {name: (statistics.median(full) - statistics.median(once)) / (iterations - 1)
                 for name, (full, once) in times.items()}
zq = per_iteration["zq17"]
print(f"{'':16}ns/iteration  zq17 ratio")
for name, ns in per_iteration.items():
    ratio = "" if name == "zq17" else f"{zq / ns:10.2f}"
    print(f"{name:16}{ns:12.0f}  {ratio}")
print("target: every ratio below 1.00")
PY
