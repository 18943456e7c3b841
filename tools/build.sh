#!/usr/bin/env bash
# Installs the packages the build needs (only those missing), then builds
# build/zq17. "test" runs every test, as CI does: the include layers and the
# source layout, the suite in build/, the same suite under AddressSanitizer
# and UndefinedBehaviorSanitizer in build-sanitize/, the suite on the
# library-only build (no quick routes) in build-library/, and a minute of
# each fuzzing harness. "check", "sanitize" and "library" run one suite alone.
# The test builds stop on any compiler warning in our code; the plain build
# only shows them.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/install_packages.sh cmake g++ make libgtest-dev gcc-12-source
# The save tests trace a save's opens where the machine's own switches for
# shared folders leave nothing else to see.
case "${1:-}" in test | check | sanitize | library) bash tools/install_packages.sh strace ;; esac

jobs=$(nproc)

check() {
  cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DZQ_WERROR=ON >/dev/null
  cmake --build build -j "$jobs"
  ctest --test-dir build -j "$jobs" --output-on-failure
}

# The same suite on the library-only build, every quick route off: both
# builds must give every result alike.
library() {
  cmake -S . -B build-library -DCMAKE_BUILD_TYPE=Release -DZQ_QUICK_ROUTES=OFF -DZQ_WERROR=ON >/dev/null
  cmake --build build-library -j "$1"
  ctest --test-dir build-library -j "$1" --output-on-failure
}

sanitize() {
  cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZQ_SANITIZE=ON -DZQ_WERROR=ON >/dev/null
  cmake --build build-sanitize -j "$jobs"
  ctest --test-dir build-sanitize -j "$jobs" --output-on-failure
}

case "${1:-}" in
  "")
    cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DZQ_WERROR=OFF >/dev/null
    cmake --build build -j "$jobs"
    ;;
  test)
    bash tools/check_layers.sh
    bash tools/check_format.sh
    check
    # The fuzzing harnesses run for a fixed minute on one core each: the
    # sanitizer suite builds and runs on the other cores meanwhile.
    mkdir -p build-fuzz
    bash tools/fuzz.sh 60 > build-fuzz/ci.log 2>&1 &
    fuzzing=$!
    # The library-only suite shares the cores with the sanitizer suite.
    library 2 > build-fuzz/library.log 2>&1 &
    library_run=$!
    sanitize
    library_status=0
    wait "$library_run" || library_status=$?
    cat build-fuzz/library.log
    fuzz_status=0
    wait "$fuzzing" || fuzz_status=$?
    cat build-fuzz/ci.log
    [ "$library_status" = 0 ] || exit "$library_status"
    exit "$fuzz_status"
    ;;
  check) check ;;
  sanitize) sanitize ;;
  library) library "$jobs" ;;
  *)
    echo "usage: $0 [test|check|sanitize|library]" >&2
    exit 2
    ;;
esac
