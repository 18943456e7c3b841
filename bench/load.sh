#!/usr/bin/env bash
# Loading a large program: 5,000 and 20,000 lines with a jump every tenth
# line (gto to a numeric label that lies elsewhere in the program), against
# the same program with a one-word step in place of each jump. zq17 loads the
# file with -l and ends at once on empty input. The two are started
# alternately, one run each in turn; the median time of each and their ratio
# are printed (target: jumps at most 2.0 times the plain load).
#
# Usage: bench/load.sh [path/to/zq17] [runs]
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
binary=$(realpath "${1:-$repo/build/zq17}")
runs=${2:-21}
[ -x "$binary" ] || bash "$repo/tools/build.sh"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

# Line i: a jump to label i/10 when i ends in 0 (abs in the plain program),
# a label numbered from the other end when i ends in 5, sin otherwise.
for lines in 5000 20000; do
  for kind in jumps plain; do
    awk -v n="$lines" -v kind="$kind" 'BEGIN {
      print "lbl \"big\""
      for (i = 2; i < n; i++) {
        if (i % 10 == 0) print (kind == "jumps" ? "gto " int(i / 10) : "abs")
        else if (i % 10 == 5) print "lbl " int(n / 10) - int(i / 10)
        else print "sin"
      }
      print "end"
    }' > "${kind}_${lines}.zq"
  done
done

python3 - "$binary" "$runs" <<'PY'
import os, statistics, sys, time
binary, runs = sys.argv[1], int(sys.argv[2])
null = os.open(os.devnull, os.O_RDWR)
redirect = [(os.POSIX_SPAWN_DUP2, null, 0), (os.POSIX_SPAWN_DUP2, null, 1), (os.POSIX_SPAWN_DUP2, null, 2)]
for lines in (5000, 20000):
    files = [f"jumps_{lines}.zq", f"plain_{lines}.zq"]
    times = {f: [] for f in files}
    for _ in range(runs):
        for f in files:
            start = time.perf_counter_ns()
            os.waitpid(os.posix_spawn(binary, [binary, "-l", f], os.environ, file_actions=redirect), 0)
            times[f].append(time.perf_counter_ns() - start)
    jumps, plain = (statistics.median(times[f]) / 1e6 for f in files)
    print(f"{lines:6} lines: with jumps {jumps:7.2f} ms, without {plain:7.2f} ms, "
          f"ratio {jumps / plain:5.2f} (target <= 2.0)")
PY
