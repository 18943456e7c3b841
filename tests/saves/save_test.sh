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
#   limit_overwrite: written in place over a file at least as long as the
#     new content (a folder that can't be written, an owner that can't be
#     kept), a file-size limit below the new length fails the save before
#     the first old byte changes.
#   link_count: a name whose links, in folder parts and last parts together,
#     pass the kernel's 40 is refused as the kernel refuses it; a chain of
#     exactly 40 is saved through.
#   link_rule: in a private mount namespace where the kernel's switch for
#     links in shared folders reads 0 or 1, a link followed by the save is
#     refused by the kernel's rule, row by row of a table (the folder sticky
#     or not, world-writable or not; the link the follower's, the folder
#     owner's or another's); where the switch reads what the machine's own
#     says, the kernel's own open agrees with each row.
#   planted_link: with that switch on, a link that another user planted in a
#     shared folder is not followed by wrta, savep or the exit save, to an
#     existing file or a dangling one, a FIFO or a device; nothing is
#     changed or made.
#   shared_files: in a shared folder, a save over another user's file or
#     FIFO, the folder owner's and the saver's own, is refused exactly where
#     the kernel's own open with O_CREAT is (by the machine's own switches),
#     and another user's file there is written in place by one who may not
#     replace it, replaced by root.
#   leased: a file that another process holds a lease on is saved once the
#     lease is given up, as a plain open waits for it.
#   no_rename: where no rename can replace the file (a file mounted on its
#     own, a folder that only takes new names), it is written in place and
#     no temporary is left.
#   savers: root, root without each of CAP_CHOWN, CAP_FOWNER,
#     CAP_DAC_OVERRIDE and CAP_FSETID, and an unprivileged user save with
#     wrta, savep and the exit save over a file of their own, another user's
#     and the folder owner's, in a plain folder and a shared one: each save
#     succeeds exactly where the kernel's own open with O_TRUNC does, and
#     leaves the file with the owner and mode that open leaves, or as it was
#     and no temporary.
# Every case works in a fresh directory and starts from a program memory
# filled almost to its end, so each save takes a while. A case that waits
# for the calculator gives up after a while (guarded), so that a save or a
# read that blocks fails the case instead of hanging it.
set -u
binary=$(realpath "$1")
case_name=$2

# The full disks, and the kernel's switches as the save reads them, are
# mounts of the case's own, where no one else sees them. These cases, and
# those that give files to other users, need root.
case $case_name in
  full_disk | limit_overwrite | link_rule | planted_link | shared_files | no_rename | savers)
    if [ "$(id -u)" -ne 0 ]; then
      echo "not root: skipped"
      exit 77
    fi
    ;;
esac
case $case_name in
  full_disk | link_rule | planted_link | no_rename)
    if [ -z "${ZQ_OWN_MOUNTS:-}" ]; then
      unshare --mount true 2> /dev/null || {
        echo "no mount namespace: skipped"
        exit 77
      }
      ZQ_OWN_MOUNTS=1 exec unshare --mount bash "$0" "$@"
    fi
    ;;
esac

work=$(mktemp -d)
trap 'umount "$work/disk" "$work/mounted/s.mem" 2> /dev/null; chattr -R -a "$work" 2> /dev/null; chmod -R u+w "$work"; rm -rf "$work"' EXIT
# Owners other than the one who saves: what another user made.
folder_owner=65534
another=65533
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

# limited DISPOSITION COMMAND...: guarded out.txt COMMAND under a file-size
# limit of 64 KiB, with SIGXFSZ ignored or at its default.
limited() {
  local disposition=$1
  shift
  (
    ulimit -f 64
    if [ "$disposition" = ignored ]; then trap '' XFSZ; else trap - XFSZ; fi
    guarded out.txt "$@"
  ) || exit 1
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

# with_switch VALUE COMMAND...: runs COMMAND while the kernel's switch for
# links in shared folders reads VALUE (a file bound over it, in this case's
# own mount namespace); the kernel itself keeps the machine's setting.
with_switch() {
  local value=$1 setting=/proc/sys/fs/protected_symlinks
  shift
  echo "$value" > switch.txt
  mount --bind switch.txt "$setting" || fail "cannot bind over $setting"
  [ "$(cat "$setting")" = "$value" ] || fail "$setting does not read $value"
  "$@"
  local status=$?
  umount "$setting"
  rm switch.txt
  return "$status"
}

# save_message NAME REFUSED: the line that a save of NAME prints when it
# opens, refused (yes) or not (no).
save_message() {
  if [ "$2" = yes ]; then echo "Write file: cannot open $1"; else echo "Writing $1"; fi
}

# kernel_opens NAME [PREFIX...]: whether the kernel's own open(NAME,
# O_WRONLY | O_CREAT) succeeds for the one that PREFIX runs as (an existing
# file keeps its bytes: the shell appends nothing).
kernel_opens() {
  local name=$1
  shift
  "$@" bash -c ': >> "$1"' _ "$name" 2> /dev/null
}

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
      limited "$disposition" "${run_as_user[@]}" "$binary" -r A.mem
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
  limit_overwrite)
    # Each old file is at least as long as its new content, so reserving the
    # room for it grows no file and meets no limit.
    mkdir ro rw
    cp B.mem ro/f.mem
    cp ref_lines.txt ro/p.txt
    cp B.mem rw/o.mem
    chown "$another:$another" rw/o.mem
    chmod 666 rw/o.mem
    protect ro
    inodes=$(stat -c %i ro/f.mem ro/p.txt rw/o.mem)
    # Without the right to give a file away, the new rw/o.mem could not keep
    # its owner: it too is written in place.
    saver=(setpriv --bounding-set=-dac_override,-dac_read_search,-chown)
    printf '%s\n' 'wrta ro/f.mem' 'wrta rw/o.mem' 'sf 58' '"BIG,ro/p.txt"' savep y 'sf 59' > input.txt
    for disposition in ignored default; do
      limited "$disposition" "${saver[@]}" "$binary" -r A.mem
      expected=$'Reading A.mem\nWriting ro/f.mem\nWrite file: cannot write ro/f.mem
Writing rw/o.mem\nWrite file: cannot write rw/o.mem\nro/p.txt exists, Overwrite (Y)es or (N)o
Overwriting file: ro/p.txt\nWrite file: cannot write ro/p.txt\nThanks for using ZQ17!'
      [ "$(file_messages)" = "$expected" ] || fail "SIGXFSZ $disposition: messages: $(file_messages)"
      cmp -s ro/f.mem B.mem || fail "SIGXFSZ $disposition: ro/f.mem changed"
      cmp -s rw/o.mem B.mem || fail "SIGXFSZ $disposition: rw/o.mem changed"
      cmp -s ro/p.txt ref_lines.txt || fail "SIGXFSZ $disposition: ro/p.txt changed"
    done
    # Without the limit the same saves go through, in place.
    guarded out.txt "${saver[@]}" "$binary" -r A.mem
    cmp -s ro/f.mem A.mem && cmp -s rw/o.mem A.mem && cmp -s ro/p.txt ref_plain.txt ||
      fail "without the limit the files were not written: $(file_messages)"
    [ "$(stat -c %i ro/f.mem ro/p.txt rw/o.mem)" = "$inodes" ] || fail "a file was replaced, not written in place"
    [ "$(stat -c '%u %a' rw/o.mem)" = "$another 666" ] || fail "rw/o.mem: owner and mode $(stat -c '%u %a' rw/o.mem)"
    [ "$(ls -A ro) $(ls -A rw)" = $'f.mem\np.txt o.mem' ] || fail "files left: $(ls -A ro rw)"
    echo "written in place over files as long, a size limit kept every old byte; without it they were written"
    ;;
  link_count)
    # dl leads to its own folder, so each pass through it is one more link
    # in a folder part. q0 -> dl/q1 -> ... -> dl/q20 -> q.mem holds 21 links
    # in last parts and 20 in folder parts; r0 -> q1 is 40 links in all.
    ln -s . dl
    ln -s dl/q1 q0
    for i in $(seq 19); do ln -s "dl/q$((i + 1))" "q$i"; done
    ln -s q.mem q20
    ln -s q1 r0
    # dl/p0 -> p1 -> ... -> p39 -> p.mem: one folder link and 40 in the last
    # part; dl/p1 is 40 links in all.
    for i in $(seq 0 38); do ln -s "p$((i + 1))" "p$i"; done
    ln -s p.mem p39
    links=$(find . -maxdepth 1 -type l | sort)
    for name in q0 dl/p0; do kernel_opens "$name" && fail "the kernel's open took $name"; done
    printf '%s\n' 'wrta q0' 'wrta dl/p0' 'reada q0' 'sf 59' > input.txt
    guarded out.txt "$binary" -r A.mem
    expected=$'Reading A.mem\nWrite file: cannot open q0\nWrite file: cannot open dl/p0
Read file: cannot open q0\nThanks for using ZQ17!'
    [ "$(file_messages)" = "$expected" ] || fail "41 links: messages: $(file_messages)"
    [ -e q.mem ] || [ -e p.mem ] && fail "a chain of 41 links made its file"
    printf '%s\n' 'wrta r0' 'wrta dl/p1' 'reada r0' 'reada dl/p1' 'sf 59' > input.txt
    guarded out.txt "$binary" -r A.mem
    expected=$'Reading A.mem\nWriting r0\nWriting dl/p1\nReading r0\nReading dl/p1\nThanks for using ZQ17!'
    [ "$(file_messages)" = "$expected" ] || fail "40 links: messages: $(file_messages)"
    cmp -s q.mem A.mem && cmp -s p.mem A.mem || fail "a chain of 40 links did not reach its file"
    [ "$(find . -maxdepth 1 -type l | sort)" = "$links" ] || fail "a link was replaced"
    echo "41 links refused as the kernel refuses them, in folder parts and last parts; 40 saved through"
    ;;
  link_rule)
    # Every folder belongs to folder_owner; its link l.mem leads out of it to
    # a file of the saver's. Refused only with the switch on, in a folder
    # that is sticky and world-writable, for a link neither the saver's nor
    # the folder owner's. The last row is such a link in the middle of a
    # name, to a folder: the rule is for the link a name ends in, and it is
    # followed.
    machine=$(cat /proc/sys/fs/protected_symlinks)
    declare -A link_owner=([saver]=$(id -u) [folder]=$folder_owner [another]=$another)
    rows=() targets=() refused_when_on=()
    for mode in 1777 0777 1775 0755; do
      for owner in saver folder another; do
        folder=d$mode-$owner
        rows+=("$folder/l.mem")
        targets+=("t$mode-$owner.mem")
        refused_when_on+=("$([ "$mode-$owner" = 1777-another ] && echo yes || echo no)")
        mkdir "$folder"
        ln -s "../t$mode-$owner.mem" "$folder/l.mem"
        chown -h "${link_owner[$owner]}" "$folder/l.mem"
        chown "$folder_owner" "$folder"
        chmod "$mode" "$folder"
      done
    done
    ln -s .. d1777-another/up
    chown -h "$another" d1777-another/up
    rows+=(d1777-another/up/m.mem)
    targets+=(m.mem)
    refused_when_on+=(no)
    agreed=0
    for switch in 0 1; do
      input=('wrts ref.sts')
      expected=$'Reading A.mem\nWriting ref.sts'
      for i in "${!rows[@]}"; do
        cp old.mem "${targets[i]}"
        input+=("wrts ${rows[i]}")
        refused=no
        [ "$switch" = 1 ] && refused=${refused_when_on[i]}
        expected+=$'\n'$(save_message "${rows[i]}" "$refused")
        if [ "$switch" = "$machine" ]; then
          opened=yes
          kernel_opens "${rows[i]}" || opened=no
          [ "$opened" != "$refused" ] ||
            fail "switch $switch, ${rows[i]}: the kernel's own open disagrees (refused: $refused)"
          ((++agreed))
        fi
      done
      printf '%s\n' "${input[@]}" 'sf 59' > input.txt
      with_switch "$switch" guarded out.txt "$binary" -r A.mem
      [ "$(file_messages)" = "$expected"$'\nThanks for using ZQ17!' ] ||
        fail "switch $switch: messages: $(file_messages)"
      for i in "${!rows[@]}"; do
        if [ "$switch" = 1 ] && [ "${refused_when_on[i]}" = yes ]; then
          cmp -s "${targets[i]}" old.mem || fail "switch 1, ${rows[i]}: the file behind a refused link changed"
        else
          cmp -s "${targets[i]}" ref.sts || fail "switch $switch, ${rows[i]}: the link's file was not written"
        fi
      done
      [ "$(find d* -type l | wc -l)" = $((${#rows[@]})) ] || fail "switch $switch: a link was replaced"
    done
    echo "the link rule held in ${#rows[@]} rows with the switch off and on; the kernel's own open agreed in" \
      "$agreed (its switch: $machine)"
    ;;
  planted_link)
    # A shared folder as /tmp is: sticky, and everyone may write. Another
    # user planted links in it to files of the saver's, to one not made, to
    # a FIFO of the saver's that is read and to a device.
    mkdir shared
    chmod 1777 shared
    cp old.mem victim.mem
    cp ref_plain.txt victim.txt
    mkfifo victim.fifo
    exec 4<> victim.fifo
    ln -s ../victim.mem shared/calc.mem
    ln -s ../victim.txt shared/calc.txt
    ln -s ../victim.mem shared/zq17.mem
    ln -s ../made.mem shared/new.mem
    ln -s ../victim.fifo shared/fifo.mem
    ln -s /dev/null shared/null.mem
    chown -h "$another" shared/*
    printf '%s\n' 'wrta shared/calc.mem' '"BIG,shared/calc.txt"' savep y 'wrta shared/new.mem' \
      'wrts shared/fifo.mem' 'wrts shared/null.mem' 'sf 59' > input.txt
    with_switch 1 guarded out.txt "$binary" -r A.mem
    expected=$'Reading A.mem\nWrite file: cannot open shared/calc.mem
shared/calc.txt exists, Overwrite (Y)es or (N)o\nOverwriting file: shared/calc.txt
Write file: cannot open shared/calc.txt\nWrite file: cannot open shared/new.mem
Write file: cannot open shared/fifo.mem\nWrite file: cannot open shared/null.mem\nThanks for using ZQ17!'
    [ "$(file_messages)" = "$expected" ] || fail "wrta and savep: messages: $(file_messages)"
    exec 4<&-
    # The exit save, from the shared folder; the restore offer is skipped.
    printf '%s\n' s > input.txt
    with_switch 1 guarded out.txt env -C shared "$binary" -r ../A.mem
    [ "$(file_messages | tail -n 2)" = $'Write file: cannot open zq17.mem\nThanks for using ZQ17!' ] ||
      fail "exit save: messages: $(file_messages)"
    cmp -s victim.mem old.mem && cmp -s victim.txt ref_plain.txt || fail "a file behind a planted link changed"
    [ -e made.mem ] && fail "a planted dangling link made its file"
    [ "$(stat -c %u shared/*)" = "$(printf "$another\n%.0s" 1 2 3 4 5 6)" ] || fail "a planted link was replaced"
    # The same link, once it is the saver's own, is followed.
    chown -h "$(id -u)" shared/calc.mem
    printf '%s\n' 'wrta shared/calc.mem' 'sf 59' > input.txt
    with_switch 1 guarded out.txt "$binary" -r A.mem
    cmp -s victim.mem A.mem || fail "the saver's own link was not followed: $(file_messages)"
    [ "$(ls -A shared)" = $'calc.mem\ncalc.txt\nfifo.mem\nnew.mem\nnull.mem\nzq17.mem' ] ||
      fail "files in shared: $(ls -A shared)"
    echo "links planted in a shared folder were not followed by wrta, savep or the exit save; the saver's own was"
    ;;
  shared_files)
    # A shared folder of folder_owner's, sticky, that everyone may write:
    # another user's file and FIFO, the folder owner's file, the saver's own.
    # The save must refuse exactly what the kernel's own open refuses, by
    # the machine's switches for files and FIFOs in shared folders: saved by
    # root, and by a saver who may give a file away but not replace another
    # user's file in such a folder (no temporary may be left behind there).
    mkdir shared
    chown "$folder_owner" shared
    chmod 1777 shared
    mkfifo shared/fifo.mem
    # Where the machine's switches are off, the kernel refuses none of them:
    # the trace shows that each was opened as the kernel's own open would be,
    # with O_CREAT, so that the switches would apply, and without O_TRUNC.
    # The leak checker of a sanitizer build cannot run under a tracer.
    tracer=()
    strace -f -qq -o /dev/null true 2> /dev/null &&
      tracer=(env "ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
        strace -f -qq -e trace=openat -o trace.txt)
    refusals=0
    for saver in root without_fowner; do
      prefix=()
      [ "$saver" = without_fowner ] && prefix=(setpriv --bounding-set=-fowner,-dac_override,-dac_read_search)
      for file in other owner mine; do cp old.mem "shared/$file.mem"; done
      chown "$another" shared/other.mem shared/fifo.mem
      chown "$folder_owner" shared/owner.mem
      chmod 666 shared/*
      # The FIFO has a reader all along, who holds what is written.
      exec 4<> shared/fifo.mem
      inodes=$(stat -c %i shared/other.mem shared/owner.mem)
      input=('wrts ref.sts')
      expected=$'Reading A.mem\nWriting ref.sts'
      for file in other owner mine fifo; do
        input+=("wrts shared/$file.mem")
        refused=no
        kernel_opens "shared/$file.mem" "${prefix[@]}" || refused=yes
        [ "$refused" = yes ] && ((++refusals))
        expected+=$'\n'$(save_message "shared/$file.mem" "$refused")
      done
      printf '%s\n' "${input[@]}" 'sf 59' > input.txt
      guarded out.txt "${tracer[@]}" "${prefix[@]}" "$binary" -r A.mem
      exec 4<&-
      [ "$(file_messages)" = "$expected"$'\nThanks for using ZQ17!' ] || fail "$saver: messages: $(file_messages)"
      if [ ${#tracer[@]} -gt 0 ]; then
        for file in other owner mine fifo; do
          grep -qE "[\"/]$file\.mem\", O_WRONLY\|O_CREAT" trace.txt ||
            fail "$saver: shared/$file.mem was not opened with O_CREAT"
        done
        grep -E '"[a-z/]+\.mem", O_' trace.txt | grep -q O_TRUNC && fail "$saver: a target was opened with O_TRUNC"
      fi
      for file in other owner mine; do
        if [[ $expected == *"Writing shared/$file.mem"* ]]; then
          cmp -s "shared/$file.mem" ref.sts || fail "$saver: shared/$file.mem was not written"
        else
          cmp -s "shared/$file.mem" old.mem || fail "$saver: shared/$file.mem changed"
        fi
      done
      [ "$(stat -c %u shared/other.mem)" = "$another" ] || fail "$saver: shared/other.mem lost its owner"
      # Root may replace a file of anyone's, and does; the other saver writes
      # the two files that are not its own in place.
      if [[ $expected == *"Writing shared/other.mem"*"Writing shared/owner.mem"* ]]; then
        kept=yes
        [ "$(stat -c %i shared/other.mem shared/owner.mem)" = "$inodes" ] || kept=no
        [ "$kept" = "$([ "$saver" = root ] && echo no || echo yes)" ] ||
          fail "$saver: other.mem and owner.mem kept their inodes: $kept"
      fi
      [ "$(ls -A shared)" = $'fifo.mem\nmine.mem\nother.mem\nowner.mem' ] || fail "$saver: files in shared: $(ls -A shared)"
    done
    traced="not traced (no strace)"
    [ ${#tracer[@]} -gt 0 ] && traced="each opened with O_CREAT"
    echo "4 targets in a shared folder, 2 savers: the save and the kernel's own open agreed, $refusals refused" \
      "(fs.protected_regular $(cat /proc/sys/fs/protected_regular), fs.protected_fifos" \
      "$(cat /proc/sys/fs/protected_fifos)); $traced"
    ;;
  leased)
    # Another process holds a read lease on the file and gives it up when it
    # is told that someone opens the file for writing: the save waits for
    # that, as a plain open does, and goes through.
    cp old.mem leased.mem
    perl -e 'use Fcntl;
      my ($setlease, $unlock, $read_lease) = (1024, F_UNLCK, F_RDLCK);
      open(my $file, "<", "leased.mem") or die;
      $SIG{IO} = sub { fcntl($file, $setlease, $unlock); exit 0 };
      fcntl($file, $setlease, $read_lease) or die "no lease: $!";
      open(my $ready, ">", "ready.txt"); close($ready);
      sleep 20; exit 1' &
    holder=$!
    for _ in $(seq 200); do [ -e ready.txt ] && break; sleep 0.05; done
    [ -e ready.txt ] || fail "no lease could be taken"
    printf '%s\n' 'wrta leased.mem' 'sf 59' > input.txt
    guarded out.txt "$binary" -r A.mem
    kill "$holder" 2> /dev/null
    wait "$holder" 2> /dev/null
    [ "$(file_messages)" = $'Reading A.mem\nWriting leased.mem\nThanks for using ZQ17!' ] ||
      fail "messages: $(file_messages)"
    cmp -s leased.mem A.mem || fail "leased.mem was not written"
    echo "a leased file was saved once its holder gave the lease up"
    ;;
  no_rename)
    mkdir mounted append
    cp old.mem mounted/s.mem
    cp old.mem mounted.mem
    mount --bind mounted.mem mounted/s.mem || fail "cannot bind a file"
    cp old.mem append/s.mem
    chattr +a append 2> /dev/null || {
      echo "no append-only folders here: skipped"
      exit 77
    }
    printf '%s\n' 'wrta mounted/s.mem' 'wrta append/s.mem' 'sf 59' > input.txt
    guarded out.txt "$binary" -r A.mem
    [ "$(file_messages)" = $'Reading A.mem\nWriting mounted/s.mem\nWriting append/s.mem\nThanks for using ZQ17!' ] ||
      fail "messages: $(file_messages)"
    cmp -s mounted.mem A.mem || fail "the mounted file was not written"
    cmp -s append/s.mem A.mem || fail "the file in the append-only folder was not written"
    [ "$(ls -A mounted) $(ls -A append)" = "s.mem s.mem" ] || fail "files left: $(ls -A mounted append)"
    umount mounted/s.mem
    echo "a file mounted on its own and one in an append-only folder were written in place; no temporary left"
    ;;
  savers)
    # Each saver saves in six folders of folder_owner's, plain (0777) and
    # shared (1777), each holding three files of one owner: the saver's own
    # (0600), another user's that everyone may write (0646), or the folder
    # owner's with its set-group-ID bit (2644), which the kernel may drop for
    # one without CAP_FSETID, from the temporary and from the file itself.
    # The calculator runs in the folder, so that its exit save goes to the
    # zq17.mem there.
    umask 022
    chmod 755 "$work"
    cp "$binary" zq17
    saver_user=65532
    declare -A prefixes=(
      [root]=""
      [no_chown]="setpriv --inh-caps=-chown --bounding-set=-chown"
      [no_fowner]="setpriv --inh-caps=-fowner --bounding-set=-fowner"
      [no_dac_override]="setpriv --inh-caps=-dac_override --bounding-set=-dac_override"
      [no_fsetid]="setpriv --inh-caps=-fsetid --bounding-set=-fsetid"
      [user]="setpriv --reuid=$saver_user --regid=$saver_user --clear-groups"
    )
    declare -A file_modes=([mine]=600 [other]=646 [owner]=2644)
    printf 'old\n' > old.txt
    # make_folder FOLDER OWNER: the folder (its mode the first part of its
    # name, its kind the second), and in it w.mem, zq17.mem and p.txt of
    # OWNER's with their old content.
    make_folder() {
      rm -rf "$1"
      mkdir "$1"
      cp old.mem "$1/w.mem"
      cp old.mem "$1/zq17.mem"
      cp old.txt "$1/p.txt"
      chown "$2:$2" "$1"/*
      chmod "${file_modes[${1#*-}]}" "$1"/*
      chown "$folder_owner:$folder_owner" "$1"
      chmod "${1%-*}" "$1"
    }
    # Each file of FOLDER, one a line: its name, owner, group and mode.
    attributes() { stat -c '%n %u %g %a' "$1"/*; }
    refusals=0
    for saver in root no_chown no_fowner no_dac_override no_fsetid user; do
      read -r -a prefix <<< "${prefixes[$saver]}"
      declare -A owners=([mine]=0 [other]=$another [owner]=$folder_owner)
      [ "$saver" = user ] && owners[mine]=$saver_user
      folders=(0777-mine 0777-other 0777-owner 1777-mine 1777-other 1777-owner)
      # The kernel's own open(O_WRONLY | O_CREAT | O_TRUNC) of each file, by
      # the same saver, and the owners and modes it leaves (a set-group-ID
      # bit may go, as the kernel's rules for that bit say); the folders are
      # then made anew.
      declare -A refused=() opened=()
      for folder in "${folders[@]}"; do
        make_folder "$folder" "${owners[${folder#*-}]}"
        for file in w.mem p.txt zq17.mem; do
          refused[$folder/$file]=no
          "${prefix[@]}" bash -c ': > "$1"' _ "$folder/$file" 2> /dev/null || refused[$folder/$file]=yes
        done
        opened[$folder]=$(attributes "$folder")
        make_folder "$folder" "${owners[${folder#*-}]}"
      done
      reads=() read_messages=("Reading A.mem")
      for folder in "${folders[@]}"; do
        printf '%s\n' s 'wrta w.mem' '"BIG,p.txt"' savep y cla > input.txt
        guarded out.txt env -C "$folder" "${prefix[@]}" ../zq17 -r ../A.mem
        expected="Reading ../A.mem"$'\n'$(save_message w.mem "${refused[$folder/w.mem]}")
        expected+=$'\np.txt exists, Overwrite (Y)es or (N)o\nOverwriting file: p.txt'
        [ "${refused[$folder/p.txt]}" = yes ] && expected+=$'\nWrite file: cannot open p.txt'
        expected+=$'\n'$(save_message zq17.mem "${refused[$folder/zq17.mem]}")$'\nThanks for using ZQ17!'
        [ "$(file_messages)" = "$expected" ] || fail "$saver, $folder: messages: $(file_messages)"
        for file in w.mem p.txt zq17.mem; do
          old=old.mem new=A.mem
          [ "$file" = p.txt ] && old=old.txt new=ref_lines.txt
          if [ "${refused[$folder/$file]}" = yes ]; then
            ((++refusals))
            cmp -s "$folder/$file" "$old" || fail "$saver: a refused save changed $folder/$file"
          else
            cmp -s "$folder/$file" "$new" || fail "$saver: $folder/$file does not hold the new content"
            [ "$file" = p.txt ] && continue
            reads+=("reada $folder/$file")
            read_messages+=("Reading $folder/$file")
          fi
        done
        [ "$(attributes "$folder")" = "${opened[$folder]}" ] ||
          fail "$saver: the kernel's open left"$'\n'"${opened[$folder]}"$'\n'"the save"$'\n'"$(attributes "$folder")"
        [ "$(ls -A "$folder")" = $'p.txt\nw.mem\nzq17.mem' ] || fail "$saver, $folder: files: $(ls -A "$folder")"
      done
      # Every state file saved reads back.
      printf '%s\n' "${reads[@]}" 'sf 59' > input.txt
      guarded out.txt "$binary" -r A.mem
      [ "$(file_messages)" = "$(printf '%s\n' "${read_messages[@]}" 'Thanks for using ZQ17!')" ] ||
        fail "$saver: reading back: $(file_messages)"
    done
    echo "6 savers, 6 folders, 3 saves in each: the save and the kernel's own open agreed ($refusals refused)," \
      "and left each file with the same owner and mode"
    ;;
  *)
    fail "unknown case"
    ;;
esac
