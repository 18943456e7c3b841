#!/usr/bin/env bash
# Saves that cannot lose data, shown on the built calculator: BINARY CASE.
#   kill_wrta, kill_exit, kill_savep: a loop of large saves is killed with
#     SIGKILL at random moments; after each kill the file is byte for byte
#     the old one or a complete new one.
#   kill_inplace: the same where the file is written in place, in a folder
#     that takes no new file: a kill may mix old and new, never cut the file.
#   limit_wrta, limit_exit, limit_savep: a file-size limit below the size of
#     the new file makes the write fail; the message follows, the old file
#     is intact and no temporary file is left, with SIGXFSZ ignored (the
#     write fails with EFBIG) and with SIGXFSZ at its default action.
#   unwritable_dir: where no temporary can be made beside the file, it is
#     written in place; a write-protected file is not replaced.
#   fifo_read: a FIFO is refused as a state file at once, at the restore
#     offer, by -r, reada and reads; the calculator goes on.
#   fifo_write: a save onto a FIFO that no one reads fails at once (wrta,
#     savep, the exit save); one with a reader gets the whole file, and a
#     save that waits for a reader who does not read can still be ended, and
#     one whose reader goes away fails without ending the calculator.
#   long_link: a link whose target's name is 4,088 characters long still
#     gets a temporary beside that target, so a file-size limit keeps it whole.
#   inplace_limit: written in place, a file keeps its old bytes when a
#     file-size limit stops the save, and is cut to a shorter new content.
#   full_disk: on a file system with no free inodes the save fails and the
#     old file stays; on a full one the same holds for a file written in place.
# Every case works in a fresh directory and starts from a program memory
# filled almost to its end, so each save takes a while. A case that waits
# for the calculator gives up after a while (guarded), so that a save or a
# read that blocks fails the case instead of hanging it.
set -u
binary=$(realpath "$1")
case_name=$2

# The full disks are file systems of the case's own, mounted where no one
# else sees them.
if [ "$case_name" = full_disk ] && [ -z "${ZQ_OWN_MOUNTS:-}" ]; then
  if [ "$(id -u)" -ne 0 ] || ! unshare --mount true 2> /dev/null; then
    echo "no mount namespace: skipped"
    exit 77
  fi
  ZQ_OWN_MOUNTS=1 exec unshare --mount bash "$0" "$@"
fi

work=$(mktemp -d)
trap 'umount "$work/disk" 2> /dev/null; chmod -R u+w "$work"; rm -rf "$work"' EXIT
cd "$work" || exit 1

fail() {
  echo "FAIL ($case_name): $*"
  exit 1
}

# guarded OUTPUT COMMAND...: runs COMMAND with standard input from input.txt
# and both outputs into OUTPUT; a run that takes longer than 20 s fails.
guarded() {
  local output=$1
  shift
  timeout -s KILL 20 "$@" < input.txt > "$output" 2>&1
  local status=$?
  [ "$status" -eq 137 ] && fail "still running after 20 s: $*"
  [ "$status" -eq 0 ] || fail "exit status $status: $*"
}

# The lines of out.txt that tell what became of files, and the goodbye.
file_messages() {
  grep -E '^(> )*(Read file|Write file|Writing|Reading|Overwriting|MEMORY LOST|Thanks|.* exists, Overwrite)' out.txt |
    sed -E 's/^(> )+//'
}

# run_as_user: the command prefix under which root, too, is held by
# permission bits (root passes over them; without the capability to do so
# the bits hold for it as for anyone else).
run_as_user=()
if [ "$(id -u)" -eq 0 ]; then
  run_as_user=(setpriv --bounding-set=-dac_override,-dac_read_search)
fi

# Makes the folders named read-only, or skips the case where they stay
# writable all the same.
protect() {
  if [ "$(id -u)" -eq 0 ] && ! command -v setpriv > /dev/null; then
    echo "no setpriv: skipped"
    exit 77
  fi
  chmod 555 "$@"
  if "${run_as_user[@]}" touch "$1/probe" 2> /dev/null; then
    echo "the directory stays writable here: skipped"
    exit 77
  fi
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
# counted and removed. With a fifth argument, mixed, TARGET is written in
# place: a kill in the middle of the write may leave old and new bytes mixed,
# but never a file of another length (OLD and NEW have the same length).
kill_trials() {
  local target=$1 old=$2 new=$3 command=$4 allowed=${5:-whole}
  local trials=25 cut=0 mixed=0 trial temp_pattern
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

    if [ "$allowed" = mixed ] && [ "$(stat -c %s "$target")" = "$(stat -c %s "$new")" ]; then
      cmp -s "$target" "$old" || cmp -s "$target" "$new" || ((++mixed))
    elif ! cmp -s "$target" "$old" && ! cmp -s "$target" "$new"; then
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
  if [ "$allowed" = mixed ]; then
    echo "$trials kills, $mixed of them in the middle of the write; $target kept its length after each"
  else
    echo "$trials kills, $cut of them in the middle of a save; $target was whole after each"
  fi
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
  kill_inplace)
    # The working directory takes no new file: big.mem is written in place.
    protect .
    kill_trials big.mem A.mem B.mem "yes 'x<>y wrta big.mem' | ${run_as_user[*]} '$binary' -r A.mem" mixed
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
    mkdir ro rw
    cp old.mem ro/s.mem
    printf 'old\n' > ro/p.txt
    cp old.mem rw/locked.mem
    chmod 444 rw/locked.mem
    protect ro
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
  fifo_read)
    mkfifo zq17.mem fifo
    printf '%s\n' r 'reada fifo' 'reads fifo' 'reada /dev/null' 'sf 59' > input.txt
    guarded out.txt "$binary" -r fifo
    expected=$'Read file: cannot open fifo\nRead file: cannot open zq17.mem\nRead file: cannot open fifo
Read file: cannot open fifo\nRead file: cannot open /dev/null\nThanks for using ZQ17!'
    [ "$(file_messages)" = "$expected" ] || fail "messages: $(file_messages)"
    # Refused by the restore offer, the start goes on as after any failed restore.
    printf '%s\n' r 'sf 59' > input.txt
    guarded out.txt "$binary"
    [ "$(file_messages)" = $'Read file: cannot open zq17.mem\nMEMORY LOST\nThanks for using ZQ17!' ] ||
      fail "restore offer: $(file_messages)"
    [ -p zq17.mem ] && [ -p fifo ] || fail "a FIFO was replaced"
    echo "FIFOs refused at once as state files, and the calculator went on"
    ;;
  fifo_write)
    mkfifo nobody.mem p.txt zq17.mem
    # A.mem leaves flag 59 clear: the end of input saves to zq17.mem.
    printf '%s\n' s 'wrta nobody.mem' '"BIG,p.txt"' savep y > input.txt
    guarded out.txt "$binary" -r A.mem
    expected=$'Reading A.mem\nWrite file: cannot open nobody.mem\np.txt exists, Overwrite (Y)es or (N)o
Overwriting file: p.txt\nWrite file: cannot open p.txt\nWrite file: cannot open zq17.mem\nThanks for using ZQ17!'
    [ "$(file_messages)" = "$expected" ] || fail "messages: $(file_messages)"
    [ -p nobody.mem ] && [ -p p.txt ] && [ -p zq17.mem ] || fail "a FIFO was replaced"
    rm zq17.mem

    # A FIFO with a reader is written in place. The case holds the FIFO open
    # for reading and writing, so that it has a reader from the start.
    mkfifo read.mem
    exec 4<> read.mem
    head -c "$(stat -c %s A.mem)" <&4 > got.mem &
    reader=$!
    exec 4<&-
    printf '%s\n' 'wrta read.mem' 'sf 59' > input.txt
    guarded out.txt "$binary" -r A.mem
    wait "$reader"
    cmp -s got.mem A.mem || fail "the reader got $(stat -c %s got.mem) bytes, not the whole state"
    [ -p read.mem ] || fail "the FIFO was replaced"

    # A reader that goes away in the middle of the save: the write fails,
    # and the calculator goes on to the next line.
    exec 4<> read.mem
    head -c 1000 <&4 > /dev/null &
    reader=$!
    exec 4<&-
    printf '%s\n' 'wrta read.mem' '"after"' 'sf 59' > input.txt
    guarded out.txt "$binary" -r A.mem
    wait "$reader"
    expected=$'Reading A.mem\nWriting read.mem\nWrite file: cannot write read.mem\nThanks for using ZQ17!'
    [ "$(file_messages)" = "$expected" ] || fail "a reader that left: $(file_messages)"
    grep -q 'a: after' out.txt || fail "the calculator did not go on after the reader left"

    # A reader that never reads: the save waits once the pipe is full, and a
    # signal still ends it.
    exec 4<> read.mem
    "$binary" -r A.mem < input.txt > out.txt 2>&1 &
    calculator=$!
    sleep 0.5
    kill -0 "$calculator" 2> /dev/null || fail "the save into a full pipe did not wait"
    kill -TERM "$calculator"
    for _ in $(seq 100); do
      kill -0 "$calculator" 2> /dev/null || break
      sleep 0.05
    done
    kill -0 "$calculator" 2> /dev/null && { kill -KILL "$calculator"; fail "SIGTERM did not end a save into a pipe"; }
    exec 4<&-
    rm -f got.mem
    [ "$(other_files)" = $'input.txt\nnobody.mem\np.txt\nread.mem' ] || fail "files left: $(other_files)"
    echo "a FIFO without a reader refused at once; with one, written whole; a reader that left, a failed write; a waiting write ended by SIGTERM"
    ;;
  long_link)
    # 16 folders of 254 characters and real.mem: 4,088 characters.
    folder=
    for _ in $(seq 16); do folder+=$(printf 'f%.0s' $(seq 254))/; done
    mkdir -p "$folder"
    cp B.mem "$folder/real.mem"
    ln -s "${folder}real.mem" s.mem
    printf '%s\n' 'wrta s.mem' 'sf 59' > input.txt
    guarded out.txt prlimit --fsize=100000 -- "$binary" -r A.mem
    [ "$(file_messages)" = $'Reading A.mem\nWriting s.mem\nWrite file: cannot write s.mem\nThanks for using ZQ17!' ] ||
      fail "messages: $(file_messages)"
    cmp -s "$folder/real.mem" B.mem || fail "real.mem changed: $(stat -c %s "$folder/real.mem") bytes"
    [ "$(ls -A "$folder")" = real.mem ] || fail "files beside real.mem: $(ls -A "$folder")"
    # Without the limit the target is replaced, and the link stays.
    guarded out.txt "$binary" -r A.mem
    cmp -s "$folder/real.mem" A.mem || fail "real.mem was not replaced"
    [ -L s.mem ] || fail "s.mem is no link any more"
    [ "$(ls -A "$folder")" = real.mem ] || fail "files beside real.mem: $(ls -A "$folder")"
    echo "a temporary beside a target 4,088 characters away; the size limit kept it whole"
    ;;
  inplace_limit)
    mkdir ro rw
    cp old.mem ro/s.mem
    cp ref_plain.txt ro/p.txt
    cp A.mem ro/big.mem
    protect ro
    inodes=$(stat -c %i ro/s.mem ro/p.txt ro/big.mem)
    # The status file is shorter than big.mem was, and no longer than the limit.
    printf '%s\n' 'wrta ro/s.mem' '"BIG,ro/p.txt"' savep y 'wrts ro/big.mem' 'wrts rw/status.mem' 'sf 59' > input.txt
    for disposition in ignored default; do
      (
        ulimit -f 64
        if [ "$disposition" = ignored ]; then trap '' XFSZ; else trap - XFSZ; fi
        guarded out.txt "${run_as_user[@]}" "$binary" -r A.mem
      ) || exit 1
      expected=$'Reading A.mem\nWriting ro/s.mem\nWrite file: cannot write ro/s.mem
ro/p.txt exists, Overwrite (Y)es or (N)o\nOverwriting file: ro/p.txt\nWrite file: cannot write ro/p.txt
Writing ro/big.mem\nWriting rw/status.mem\nThanks for using ZQ17!'
      [ "$(file_messages)" = "$expected" ] || fail "SIGXFSZ $disposition: messages: $(file_messages)"
      cmp -s ro/s.mem old.mem || fail "SIGXFSZ $disposition: ro/s.mem changed"
      cmp -s ro/p.txt ref_plain.txt || fail "SIGXFSZ $disposition: ro/p.txt changed"
      cmp -s ro/big.mem rw/status.mem || fail "SIGXFSZ $disposition: ro/big.mem is not the new status file"
      [ "$(stat -c %i ro/s.mem ro/p.txt ro/big.mem)" = "$inodes" ] || fail "a file was replaced, not written in place"
      [ "$(ls -A ro)" = $'big.mem\np.txt\ns.mem' ] || fail "files in ro: $(ls -A ro)"
      chmod 755 ro
      cp A.mem ro/big.mem
      chmod 555 ro
    done
    echo "written in place, the old bytes stayed where the limit stopped the save; a shorter file was cut to its length"
    ;;
  full_disk)
    mkdir disk
    mount -t tmpfs -o size=512k,nr_inodes=8 zq-full disk 2> /dev/null || { echo "no tmpfs: skipped"; exit 77; }
    mkdir disk/rw disk/ro
    cp old.mem disk/rw/s.mem
    cp old.mem disk/ro/s.mem
    protect disk/ro
    # No inode is left for a temporary, and little room.
    for n in $(seq 8); do { : > "disk/inode$n"; } 2> /dev/null || break; done
    { : > disk/one_more; } 2> /dev/null && fail "the file system still has inodes"
    printf '%s\n' 'wrta disk/rw/s.mem' 'sf 59' > input.txt
    guarded out.txt "$binary" -r A.mem
    [ "$(file_messages)" = $'Reading A.mem\nWrite file: cannot open disk/rw/s.mem\nThanks for using ZQ17!' ] ||
      fail "no inodes: messages: $(file_messages)"
    cmp -s disk/rw/s.mem old.mem || fail "no inodes: s.mem changed ($(stat -c %s disk/rw/s.mem) bytes)"
    [ "$(ls -A disk/rw)" = s.mem ] || fail "files in disk/rw: $(ls -A disk/rw)"
    # No room for the new file where it is written in place.
    head -c 1M /dev/zero > disk/inode1 2> /dev/null
    printf '%s\n' 'wrta disk/ro/s.mem' 'sf 59' > input.txt
    guarded out.txt "${run_as_user[@]}" "$binary" -r A.mem
    [ "$(file_messages)" = $'Reading A.mem\nWriting disk/ro/s.mem\nWrite file: cannot write disk/ro/s.mem\nThanks for using ZQ17!' ] ||
      fail "full: messages: $(file_messages)"
    cmp -s disk/ro/s.mem old.mem || fail "full: s.mem changed ($(stat -c %s disk/ro/s.mem) bytes)"
    umount disk
    echo "no inodes: the save refused and the old file kept; a full disk kept a file written in place"
    ;;
  *)
    fail "unknown case"
    ;;
esac
