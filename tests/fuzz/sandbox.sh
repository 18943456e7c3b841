#!/usr/bin/env bash
# Makes the fuzzing harnesses' copy of the core library, in which the calls
# that read typed input, end the process or reach the file system, the shell
# or a pause go to the sandbox of fuzz_support.cpp (zq_sandbox_NAME) instead
# of the C library; libFuzzer's own calls stay the library's. A call that
# could create, change or remove a file and that the sandbox does not take
# stops the build.
# usage: sandbox.sh OBJCOPY NM LIBRARY OUTPUT
set -euo pipefail
objcopy=$1
nm=$2
library=$3
output=$4

taken=(read fopen open remove access opendir system sleep exit openat renameat unlinkat)
uncovered=$("$nm" -u "$library" | awk '{print $NF}' | sort -u |
  grep -xE 'open64|openat|creat|fopen64|freopen|mkstemp|mkostemp|rename|unlink|mkstemps|mkostemps|mkdtemp|tmpfile|renameat2?|unlinkat|rmdir|mkdir|mkdirat|truncate|link|linkat|symlink|symlinkat|chmod|chown|lchown|popen|execv|execvp|execve|execl|execlp|fork|vfork|posix_spawnp?|nanosleep|usleep' || true)
uncovered=$(grep -vxF -f <(printf '%s\n' "${taken[@]}") <<< "$uncovered" || true)
if [ -n "$uncovered" ]; then
  echo "the fuzzing sandbox does not take: $(echo $uncovered)" >&2
  exit 1
fi
renames=()
for name in "${taken[@]}"; do renames+=(--redefine-sym "$name=zq_sandbox_$name"); done
"$objcopy" "${renames[@]}" "$library" "$output"
