#!/usr/bin/env bash
# Start-up and exit with empty input and no state file, against a C++
# program that does nothing, built and linked the same way (-O2, static).
# The two are started alternately, one run each in turn, so that a change of
# machine load hits both alike; the median time of each and their ratio are
# printed (target: at most 1.15).
#
# Usage: bench/startup.sh [path/to/zq17] [runs]
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
binary=$(realpath "${1:-$repo/build/zq17}")
runs=${2:-3000}
[ -x "$binary" ] || bash "$repo/tools/build.sh"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf 'int main() { return 0; }\n' > "$work/empty.cpp"
c++ -O2 -static "$work/empty.cpp" -o "$work/empty"

# An empty directory: no zq17.mem is found, so no restore offer waits.
cd "$work"
python3 - "$work/empty" "$binary" "$runs" <<'PY'
import os, statistics, sys, time
programs, runs = sys.argv[1:3], int(sys.argv[3])
null = os.open(os.devnull, os.O_RDWR)
redirect = [(os.POSIX_SPAWN_DUP2, null, 0), (os.POSIX_SPAWN_DUP2, null, 1)]
times = {p: [] for p in programs}
for _ in range(runs):
    for p in programs:
        start = time.perf_counter_ns()
        os.waitpid(os.posix_spawn(p, [p], os.environ, file_actions=redirect), 0)
        times[p].append(time.perf_counter_ns() - start)
empty, zq = (statistics.median(times[p]) / 1000 for p in programs)
print(f"empty C++ program:       {empty:7.1f} us per run")
print(f"zq17 start-up and exit:  {zq:7.1f} us per run")
print(f"ratio:                   {zq / empty:7.3f} (target <= 1.15)")
PY
