#!/usr/bin/env bash
# Speed of three ordinary keystroke programs, each against Python 3 with its
# decimal module doing the same arithmetic (16 digits, half-even):
#   primes  counts the primes up to a limit by trial division (mod, x^2,
#           x<y?, x=0?, x<=y?);
#   newton  sums the square roots of 1 to n, each by 12 Newton steps
#           x := (a/x + x)/2 from x = a;
#   loop    the loop of bench/loop.sh, s := s + int(k)*1.0001, 50 times k
#           from 20,000 down to 1 (Python's k is whole, so it needs no int).
# zq17 runs each on two builds: the quick one (build/) and the library-only
# one (build-library/, configured with ZQ_QUICK_ROUTES=OFF), so the ratio of
# the two shows what the quick routes buy. Plain loop counters are decimal
# registers stepped by dse in zq17 and Python ints in Python, as a user of
# each would write them. Every runner is started alternately, one run each
# in turn, so that a change of machine load hits all alike; each also runs
# its program on a trivial input, and the difference of the medians is the
# time of the work without the start-up. Every full run's answer, shown to
# all 16 digits, must equal Python's, or the script stops.
#
# Usage: bench/programs.sh [runs]
#        bench/programs.sh path/to/quick/zq17 path/to/library-only/zq17 [runs]
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
bash "$repo/tools/install_packages.sh" cmake g++ make gcc-12-source python3

# Builds (or brings up to date) build dir $1 with the extra options after it.
build() {
  local dir=$1
  shift
  cmake -S "$repo" -B "$repo/$dir" -DCMAKE_BUILD_TYPE=Release -DZQ_WERROR=OFF --no-warn-unused-cli "$@" >/dev/null
  cmake --build "$repo/$dir" -j 3 --target zq17 >/dev/null
}
if [ $# -ge 2 ]; then
  quick=$(realpath "$1")
  library=$(realpath "$2")
  runs=${3:-5}
else
  runs=${1:-5}
  build build
  build build-library -DZQ_QUICK_ROUTES=OFF
  quick=$repo/build/zq17
  library=$repo/build-library/zq17
  grep -q ZQ_QUICK_ROUTES "$repo/CMakeLists.txt" ||
    echo "note: this tree has no ZQ_QUICK_ROUTES option, so both builds take the quick routes"
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

# Each program ends by showing x to all 16 digits, for the check.
write_primes() {
  printf '%s\n' 'lbl "primes"' 1 'sto 01' 3 'sto 02' \
    'lbl 10' 3 'sto 03' \
    'lbl 11' 'rcl 03' 'x^2' 'rcl 02' 'x<y?' 'gto 13' \
    'rcl 02' 'rcl 03' mod 'x=0?' 'gto 14' 2 'st+ 03' 'gto 11' \
    'lbl 13' 1 'st+ 01' \
    'lbl 14' 2 'st+ 02' "$2" 'rcl 02' 'x<=y?' 'gto 10' \
    'rcl 01' 'sci 15' > "$1"
  cat > "$3" <<PY
from decimal import Decimal, getcontext, ROUND_HALF_EVEN
getcontext().prec = 16
getcontext().rounding = ROUND_HALF_EVEN
limit = Decimal($2)
one = Decimal(1)
two = Decimal(2)
count = one
n = Decimal(3)
while n <= limit:
    d = Decimal(3)
    while True:
        if n < d * d:
            count = count + one
            break
        if n % d == 0:
            break
        d = d + two
    n = n + two
print(count)
PY
}

write_newton() {
  printf '%s\n' 'lbl "newton"' 0 'sto 01' "$2" 'sto 02' \
    'lbl 10' 12 'sto 03' 'rcl 02' 'sto 04' \
    'lbl 11' 'rcl 02' 'rcl 04' / 'rcl 04' + 2 / 'sto 04' 'dse 03' 'gto 11' \
    'rcl 04' 'st+ 01' 'dse 02' 'gto 10' \
    'rcl 01' 'sci 15' > "$1"
  cat > "$3" <<PY
from decimal import Decimal, getcontext, ROUND_HALF_EVEN
getcontext().prec = 16
getcontext().rounding = ROUND_HALF_EVEN
one = Decimal(1)
two = Decimal(2)
s = Decimal(0)
a = Decimal($2)
while a > 0:
    x = a
    for _ in range(12):
        x = (a / x + x) / two
    s = s + x
    a = a - one
print(s)
PY
}

# The program of bench/loop.sh: outer times inner iterations.
write_loop() {
  printf '%s\n' 'lbl "bench"' 0 'sto 01' "${2% *}" 'sto 02' 'lbl 10' "${2#* }" 'sto 00' 'lbl 11' 'rcl 00' int 1.0001 '*' \
    'st+ 01' 'dse 00' 'gto 11' 'dse 02' 'gto 10' 'rcl 01' 'sci 15' > "$1"
  cat > "$3" <<PY
from decimal import Decimal, getcontext, ROUND_HALF_EVEN
getcontext().prec = 16
getcontext().rounding = ROUND_HALF_EVEN
one = Decimal(1)
c = Decimal("1.0001")
s = Decimal(0)
for _ in range(${2% *}):
    k = Decimal(${2#* })
    while k > 0:
        s = s + k * c
        k = k - one
print(s)
PY
}

# Program, full size, trivial size.
programs=("primes 100000 3" "newton 30000 1" "loop 50_20000 1_1")
for entry in "${programs[@]}"; do
  read -r name full trivial <<< "$entry"
  for size in "$full" "$trivial"; do
    "write_$name" "${name}_$size.zq" "${size/_/ }" "${name}_$size.py"
  done
done

python3 - "$quick" "$library" "$runs" "${programs[@]}" <<'PY'
import re, statistics, subprocess, sys, time
from decimal import Decimal
quick, library, runs = sys.argv[1], sys.argv[2], int(sys.argv[3])
programs = [entry.split() for entry in sys.argv[4:]]
python = "/usr/bin/python3"
runners = {"python": lambda f: [python, f + ".py"],
           "quick": lambda f: [quick, "-x", f + ".zq"],
           "library": lambda f: [library, "-x", f + ".zq"]}

def timed(command):
    start = time.perf_counter_ns()
    result = subprocess.run(command, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                            stderr=subprocess.STDOUT, text=True, check=True)
    return time.perf_counter_ns() - start, result.stdout

def answer(runner, output):
    if runner == "python":
        return Decimal(output.strip())
    shown = re.findall(r"x: *(\S+)", output)
    return Decimal(shown[-1].replace(",", "")) if shown else None

per_run = {}
for name, full, trivial in programs:
    times = {runner: ([], []) for runner in runners}
    expected = None
    for _ in range(runs):
        for runner, command in runners.items():
            elapsed, output = timed(command(f"{name}_{full}"))
            got = answer(runner, output)
            expected = got if expected is None else expected
            if got != expected:
                sys.exit(f"{name} on the {runner} build gave {got}, python {expected}:\n{output[-300:]}")
            times[runner][0].append(elapsed)
            times[runner][1].append(timed(command(f"{name}_{trivial}"))[0])
    per_run[name] = ({runner: (statistics.median(a) - statistics.median(b)) / 1e6
                      for runner, (a, b) in times.items()}, expected)

print(f"{'':8}{'quick ms':>10}{'library ms':>12}{'python ms':>11}"
      f"{'quick/python':>14}{'library/python':>16}{'quick/library':>15}  answer")
for name, (ms, expected) in per_run.items():
    print(f"{name:8}{ms['quick']:10.1f}{ms['library']:12.1f}{ms['python']:11.1f}"
          f"{ms['quick'] / ms['python']:14.2f}{ms['library'] / ms['python']:16.2f}"
          f"{ms['quick'] / ms['library']:15.2f}  {expected}")
print("milliseconds per run without the start-up; every answer equal to Python's to 16 digits")
PY
