#!/usr/bin/env bash
# Saves that cannot lose data, shown on the built calculator: BINARY CASE.
#   kill_wrta, kill_exit, kill_savep: a loop of large saves is killed with
#     SIGKILL at random moments; after each kill the file is byte for byte
#     the old one or a complete new one.
#   limit_wrta, limit_exit, limit_savep: a file-size limit below the size of
#     the new file makes the write fail; the message follows, the old file
#     is intact and no temporary file is left, with SIGXFSZ ignored (the
#     write fails with EFBIG) and with SIGXFSZ at its default action.
#   unwritable_dir: where no temporary can be made beside the file, it is
#     written in place; a write-protected file is not replaced.
# Every case works in a fresh directory and starts from a program memory
# filled almost to its end, so each save takes a while.
set -u
binary=$(realpath "$1")
case_name=$2

work=$(mktemp -d)
trap 'chmod -R u+w "$work"; rm -rf "$work"' EXIT
cd "$work" || exit 1

fail() {
  echo "FAIL ($case_name): $*"
  exit 1
}

# A.mem and B.mem: write-all files of a full program memory that differ in
# X and Y (swapped), with flag 59 clear so that an exit save takes place.
# ref_lines.txt and ref_plain.txt: the program BIG saved with and without
# line numbers. old.mem: a status file.
make_fixtures() {
  awk 'BEGIN { print "lbl \"BIG\""
               for (i = 0; i < 20000; i++) { print "sto 0" i % 10; print "rcl 1" i % 10; print "+" }
               print "rtn" }' > big_program.txt
  printf '%s\n' 'cf 59' 2 1 'wrta A.mem' 'x<>y wrta B.mem' 'x<>y wrts old.mem' \
    '"BIG,ref_lines.txt"' savep 'sf 58' '"BIG,ref_plain.txt"' savep 'sf 59' |
    "$binary" -l big_program.txt > /dev/null 2>&1
  for f in A.mem B.mem old.mem ref_lines.txt ref_plain.txt; do
    [ -s "$f" ] || fail "fixture $f was not written"
  done
  cmp -s A.mem B.mem && fail "fixtures A.mem and B.mem are equal"
  rm big_program.txt
}

# The files of the directory, one a line, besides the fixtures.
other_files() {
  ls -A | grep -vxE 'A\.mem|B\.mem|old\.mem|ref_lines\.txt|ref_plain\.txt|out\.txt'
}

# Inode and modification time: they change with every save.
stamp() { stat -c '%i %.9Y' "$1" 2> /dev/null; }

# Whether a process of the group still runs. Killed processes whose parent
# was killed with them stay zombies until init reaps them; a zombie has done
# all it will ever do.
group_running() {
  local stat fields state group
  for stat in /proc/[0-9]*/stat; do
    { fields=$(< "$stat"); } 2> /dev/null || continue
    read -r state _ group _ <<< "${fields##*) }"
    [ "$group" = "$1" ] && [ "$state" != Z ] && return 0
  done
  return 1
}

# kill_trials TARGET OLD NEW COMMAND: starts COMMAND (a loop that saves
# TARGET over and over, alternately with the content of OLD and NEW) in a
# process group of its own, waits until it has saved once, waits a random
# 0 to 39 ms more and kills the whole group with SIGKILL. Then TARGET must
# equal OLD or NEW. A kill in the middle of a save leaves its temporary,
# named .TARGET.XXXXXX beside it, which can never be taken for TARGET; it is
# counted and removed.
kill_trials() {
  local target=$1 old=$2 new=$3 command=$4
  local trials=25 cut=0 trial temp_pattern
  temp_pattern="\\.$(sed 's/\./\\./g' <<< "$target")\\.[A-Za-z0-9]{6}"
  cp "$old" "$target"
  for ((trial = 1; trial <= trials; trial++)); do
    local before waited=0 delay job
    before=$(stamp "$target")
    set -m
    bash -c "$command" > /dev/null 2>&1 &
    job=$!
    set +m
    while [ "$(stamp "$target")" = "$before" ]; do
      ((++waited > 4000)) && { kill -KILL -- -"$job"; fail "trial $trial: no save within 20 s"; }
      sleep 0.005
    done
    delay=$(printf '0.%03d' $((RANDOM % 40)))
    sleep "$delay"
    kill -KILL -- -"$job"
    wait "$job" 2> /dev/null
    while group_running "$job"; do sleep 0.005; done

    if ! cmp -s "$target" "$old" && ! cmp -s "$target" "$new"; then
      fail "trial $trial (killed $delay s after the saves began): $target ($(stat -c %s "$target") bytes) is neither the old file nor a new one"
    fi
    local leftovers
    leftovers=$(other_files | grep -vxF "$target")
    if [ -n "$leftovers" ]; then
      echo "$leftovers" | grep -qvxE "$temp_pattern" && fail "trial $trial: unexpected files: $leftovers"
      ((++cut))
      rm -f -- $leftovers
    fi
  done
  echo "$trials kills, $cut of them in the middle of a save; $target was whole after each"
}

# limit_case EXPECTED FILE INPUT ARGUMENTS...: runs the calculator under a
# file-size limit of 64 KiB with SIGXFSZ ignored and at its default. Its
# output must hold EXPECTED and end with the goodbye, FILE must be as it
# was, and no other file may appear.
limit_case() {
  local expected=$1 file=$2 input=$3
  shift 3
  cp "$file" kept
  local disposition
  for disposition in ignored default; do
    (
      ulimit -f 64
      if [ "$disposition" = ignored ]; then trap '' XFSZ; else trap - XFSZ; fi
      exec "$binary" "$@" < "$input" > out.txt 2>&1
    )
    local status=$?
    [ "$status" -eq 0 ] || fail "SIGXFSZ $disposition: exit status $status"
    local output
    output=$(cat out.txt)
    [[ $output == *"$expected"* ]] || fail "SIGXFSZ $disposition: output lacks \"$expected\": $output"
    [[ $output == *"Thanks for using ZQ17!" ]] || fail "SIGXFSZ $disposition: the calculator did not go on"
    cmp -s "$file" kept || fail "SIGXFSZ $disposition: $file changed"
    [ "$(other_files | grep -vxF -e "$file" -e kept -e "$input")" = "" ] ||
      fail "SIGXFSZ $disposition: files left: $(other_files)"
  done
  rm kept
  echo "the failed save was reported and $file kept, with SIGXFSZ ignored and at its default"
}

make_fixtures
case $case_name in
  kill_wrta)
    kill_trials big.mem A.mem B.mem "yes 'x<>y wrta big.mem' | '$binary' -r A.mem"
    ;;
  kill_exit)
    # Each run restores one of the two states, skips the restore offer and
    # saves that state to zq17.mem at the end of its input.
    kill_trials zq17.mem A.mem B.mem \
      "while :; do echo s | '$binary' -r B.mem; echo s | '$binary' -r A.mem; done"
    ;;
  kill_savep)
    # Overwrites big.txt, with and without line numbers in turn.
    kill_trials big.txt ref_lines.txt ref_plain.txt \
      "{ echo '\"BIG,big.txt\"'; yes \$'sf 58\\nsavep\\ny\\ncf 58\\nsavep\\ny'; } | '$binary' -r A.mem"
    ;;
  limit_wrta)
    cp old.mem big.mem
    printf '%s\n' 'sf 59' 'wrta big.mem' > input.txt
    limit_case $'Writing big.mem\nWrite file: cannot write big.mem\n' big.mem input.txt -r A.mem
    ;;
  limit_exit)
    cp old.mem zq17.mem
    printf '%s\n' s > input.txt
    limit_case $'Writing zq17.mem\nWrite file: cannot write zq17.mem\nThanks' zq17.mem input.txt -r A.mem
    ;;
  limit_savep)
    printf '%s\n' '01 lbl "OLD"' '02 .end. ' > big.txt
    printf '%s\n' 'sf 59' '"BIG,big.txt"' savep y > input.txt
    limit_case $'big.txt exists, Overwrite (Y)es or (N)o\nOverwriting file: big.txt\n\nWrite file: cannot write big.txt\n' \
      big.txt input.txt -r A.mem
    ;;
  unwritable_dir)
    # Root passes over permission bits; without the capability to do so the
    # directory's bits hold for it as for anyone else.
    run_as_user=()
    if [ "$(id -u)" -eq 0 ]; then
      command -v setpriv > /dev/null || { echo "no setpriv: skipped"; exit 77; }
      run_as_user=(setpriv --bounding-set=-dac_override,-dac_read_search)
    fi
    mkdir ro rw
    cp old.mem ro/s.mem
    printf 'old\n' > ro/p.txt
    cp old.mem rw/locked.mem
    chmod 444 rw/locked.mem
    chmod 555 ro
    if "${run_as_user[@]}" touch ro/probe 2> /dev/null; then
      echo "the directory stays writable here: skipped"
      exit 77
    fi
    inode=$(stat -c %i ro/s.mem)
    printf '%s\n' 'wrta ro/s.mem' '"BIG,ro/p.txt"' savep y 'wrta ro/new.mem' 'wrta rw/locked.mem' 'sf 59' > input.txt
    "${run_as_user[@]}" "$binary" -r A.mem < input.txt > out.txt 2>&1
    output=$(cat out.txt)
    cmp -s ro/s.mem A.mem || fail "ro/s.mem was not written in place"
    [ "$(stat -c %i ro/s.mem)" = "$inode" ] || fail "ro/s.mem was replaced, not written in place"
    cmp -s ro/p.txt ref_lines.txt || fail "ro/p.txt was not written in place"
    [[ $output == *$'Writing ro/s.mem\n'* ]] || fail "no \"Writing ro/s.mem\": $output"
    [[ $output == *$'Write file: cannot open ro/new.mem\n'* ]] || fail "a new file was made: $output"
    [[ $output == *$'Write file: cannot open rw/locked.mem\n'* ]] || fail "a write-protected file was written: $output"
    cmp -s rw/locked.mem old.mem || fail "rw/locked.mem changed"
    [ "$(ls -A ro)" = $'p.txt\ns.mem' ] || fail "files in ro: $(ls -A ro)"
    [ "$(ls -A rw)" = locked.mem ] || fail "files in rw: $(ls -A rw)"
    echo "written in place where no temporary could be made; the write-protected file kept"
    ;;
  *)
    fail "unknown case"
    ;;
esac
