#!/usr/bin/env bash
# Start-up and exit with empty input and no state file, against a C++
# program that does nothing, built and linked the same way (-O2, static).
# Prints the median time of each over many runs and their ratio (target: at
# most 1.15).
#
# Usage: bench/startup.sh [path/to/zq17] [runs]
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
binary=$(realpath "${1:-$repo/build/zq17}")
runs=${2:-3000}
[ -x "$binary" ] || bash "$repo/tools/build.sh"
command -v hyperfine > /dev/null ||
  { apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq hyperfine > /dev/null; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf 'int main() { return 0; }\n' > "$work/empty.cpp"
c++ -O2 -static "$work/empty.cpp" -o "$work/empty"

# An empty directory: no zq17.mem is found, so no restore offer waits.
# hyperfine gives each run /dev/null as standard input.
cd "$work"
hyperfine -N --warmup 100 --runs "$runs" --output=null --export-json times.json \
  "$work/empty" "$binary" > /dev/null 2>&1
python3 - <<'PY'
import json, statistics
empty, zq = (statistics.median(r["times"]) for r in json.load(open("times.json"))["results"])
print(f"empty C++ program:       {empty * 1e6:7.1f} us per run")
print(f"zq17 start-up and exit:  {zq * 1e6:7.1f} us per run")
print(f"ratio:                   {zq / empty:7.3f} (target <= 1.15)")
PY
