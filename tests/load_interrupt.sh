#!/usr/bin/env bash
# An interrupt stops a load that a running program makes from a FIFO that
# never ends: once while the FIFO keeps giving lines, once while it gives
# nothing and the read waits. What was read stays recorded, the run stops,
# and the calculator goes on reading typed lines.
set -u
binary=$1
work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT
cd "$work" || exit 1

fail() {
  echo "load_interrupt ($1): $2"
  echo "--- standard output"
  cat out.txt
  exit 1
}

# $1 names the case; $2 is what the writer does once the FIFO is open.
interrupt_case() {
  rm -f fifo opened out.txt
  mkfifo fifo
  printf 'lbl "LD"\n"fifo"\ngetsub\n7\nend\n' > prog.txt
  # After the interrupt: a typed sum, and the label that the FIFO gave.
  printf '2 3 +\nxeq "BB"\n' > typed.txt
  # Opening the FIFO waits for the calculator's open.
  ( printf 'lbl "BB"\n'; : > opened; eval "$2" ) > fifo 2>/dev/null &
  pids+=($!)
  "$binary" -x prog.txt < typed.txt > out.txt 2>&1 &
  local calc=$!
  pids+=($calc)
  local tries
  for tries in $(seq 100); do
    [ -e opened ] && break
    sleep 0.05
  done
  [ -e opened ] || fail "$1" "the calculator never opened the FIFO"
  sleep 0.2
  kill -INT "$calc"
  for tries in $(seq 100); do
    kill -0 "$calc" 2>/dev/null || break
    sleep 0.05
  done
  kill -0 "$calc" 2>/dev/null && fail "$1" "the calculator still runs after the interrupt"
  wait "$calc"
  local status=$?
  [ "$status" -eq 0 ] || fail "$1" "exit status $status"
  grep -qx 'getp: loading fifo interrupted.' out.txt || fail "$1" "no notice of the interrupted load"
  # The run stopped at the loading step: 7 was never pushed (the sines the
  # FIFO gave may leave an X that merely begins with 7).
  grep -qE '(^|> )x: 7\.0000 ' out.txt && fail "$1" "the run went on after the load"
  grep -qE '(^|> )x: 5\.0000 ' out.txt || fail "$1" "typed lines were not read after the interrupt"
  grep -q 'NONEXISTENT' out.txt && fail "$1" "the label read before the interrupt was lost"
  return 0
}

interrupt_case flowing 'while printf "sin\n"; do sleep 0.01; done'
interrupt_case waiting 'exec sleep 30'
echo "load_interrupt: 2 passed, 0 failed"
