#!/usr/bin/env bash
# Typed-input throughput: "1", then 100,000 lines of "1.0001 *", piped into the
# calculator with its output sent to /dev/null; the same work in GNU dc
# ("1.0001*p" lines) side by side. Prints microseconds per line for both.
set -euo pipefail
cd "$(dirname "$0")/.."
lines=${LINES_COUNT:-100000}
runs=${RUNS:-5}

[ -x build/zq17 ] || bash tools/build.sh
command -v dc >/dev/null || { apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq dc >/dev/null; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
awk -v n="$lines" 'BEGIN { print 1; for (i = 0; i < n; i++) print "1.0001 *" }' > "$work/zq17.in"
awk -v n="$lines" 'BEGIN { print 1; for (i = 0; i < n; i++) print "1.0001*p" }' > "$work/dc.in"

# Best of several runs, in seconds.
best_of() {
  local best=""
  for _ in $(seq "$runs"); do
    local start end t
    start=$(date +%s.%N)
    "$@"
    end=$(date +%s.%N)
    t=$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.6f", b - a }')
    if [ -z "$best" ] || awk -v t="$t" -v b="$best" 'BEGIN { exit !(t < b) }'; then best=$t; fi
  done
  echo "$best"
}

zq_run() { (cd "$work" && "$OLDPWD/build/zq17" < zq17.in > /dev/null); }
dc_run() { dc < "$work/dc.in" > /dev/null; }

zq=$(best_of zq_run)
dcs=$(best_of dc_run)
per_line() { awk -v t="$1" -v n="$lines" 'BEGIN { printf "%.3f", t * 1000000 / n }'; }
echo "zq17: $(per_line "$zq") us/line ($zq s for $lines lines)"
echo "dc:   $(per_line "$dcs") us/line ($dcs s for $lines lines)"
