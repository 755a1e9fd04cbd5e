#!/usr/bin/env bash
# The built lgt run as a script runs it, natively or (lgt.exe) under Wine: what only a real
# process shows, and the links and special files of the host, which a Windows program cannot make.
# Usage: lgt_process.sh LGT [--sanitized]  (built with sanitizers: no memory limits, and /proc kept)
set -u
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
source "$(dirname "$0")/../support/checks.sh"
use_lgt "$1"
run="'$lgt'"
name=café
[[ $program != *.exe ]] || name=$'caf\xe9'  # the name in the ANSI code page, 1252 under Wine here

check "a write with a non-ASCII file name and value" \
  lgt write "$at/café.lgt" --name café --sun-colour "255 200 150" --ambient-colour "40 40 60" \
  --terrain-ambient-colour "60 60 80" --sun-inclination 50 --sun-rotation 180
printf '%s\r\n' '\\Custom Light File Made With Kestrune Light Editor By Tolvane.' '' \
  "LightingSet \"$name\"" '' 'suncolor 255 200 150' '' 'sunspecular 255 255 255' '' \
  'ambientcolor 40 40 60' '' 'terrainambientcolor 60 60 80' '' 'suninclination 50' '' \
  ' sunrotation 180' >"$folder/expected.lgt"
check "the file written" cmp "$folder/expected.lgt" "$folder/café.lgt"
printf '%s\n' "Name=$name" 'SunColour=255 200 150' 'SunSpecular=255 255 255' \
  'AmbientColour=40 40 60' 'TerrainAmbientColour=60 60 80' 'SunInclination=50' \
  'SunRotation=180' >"$folder/expected.txt"
lgt read "$at/café.lgt" >"$folder/out" 2>&1
check "read prints the values in lines ending in LF alone" cmp "$folder/expected.txt" "$folder/out"

check "a file that cannot be read ends with 1" exits 1 lgt read "$at/missing.lgt"

full() {  # full ARGUMENTS...: output to a full disk ends with 1 and says so
  ! lgt "$@" >/dev/full 2>"$folder/err" &&
    grep -q '^lgt: cannot write to standard output' "$folder/err"
}
check "read into a full disk fails" full read "$at/café.lgt"

if [[ $program == *.exe ]]; then
  # Every path form Windows takes works as a pattern's folder: drive-relative, forward slashes,
  # the \\?\ form.
  mkdir "$folder/w" && cp "$folder/expected.lgt" "$folder/w/a.lgt"
  for pattern in 'Z:*.lgt' "Z:$folder/w/*.lgt" "\\\\?\\Z:$(tr / '\\' <<<"$folder")\\w\\*.lgt"; do
    check "the pattern $pattern matches" \
      bash -c "cd '$folder/w' && $run check '$pattern' 2>&1 | grep -q 'a.lgt: ok'"
  done
fi

# Saves through links and onto special files, which a Windows program cannot make itself.
written() {  # written NAME MESSAGE: a write of NAME is refused with MESSAGE
  refused "$2" lgt write "$at/$1" --name New --sun-inclination 1 --sun-rotation 2
}
mkdir "$folder/real"
printf 'old\r\n' >"$folder/real/orig.lgt"
ln -s real/orig.lgt "$folder/link.lgt"
ln -s "$folder/link.lgt" "$folder/link-to-link.lgt"
links=(link.lgt link-to-link.lgt) replaced=("$folder/real/orig.lgt")
if [[ $program != *.exe ]]; then  # Windows cannot follow a link to nothing: natively, it is
  ln -s real/new.lgt "$folder/dangling.lgt"  # followed to the file it names, which is made
  # The system follows at most 40 links in a row.
  for i in {1..41}; do ln -s "${previous:-real/orig.lgt}" "$folder/chain$i.lgt" && previous=chain$i.lgt; done
  links+=(dangling.lgt chain40.lgt) replaced+=("$folder/real/new.lgt")
fi
for link in "${links[@]}"; do
  check "save through $link" lgt write "$at/$link" --name New --sun-inclination 1 --sun-rotation 2
  check "$link is still a link" test -L "$folder/$link"
done
for file in "${replaced[@]}"; do
  check "$file was written" grep -q 'LightingSet "New"' "$file"
done

printf 'old\r\n' >"$folder/h1.lgt"
ln "$folder/h1.lgt" "$folder/h2.lgt"
mkfifo "$folder/fifo.lgt"
# A device of the test's own: a save that wrongly went ahead would replace it, not /dev/null.
device=no
mknod "$folder/null" c 1 3 2>/dev/null && ln -s null "$folder/device.lgt" && device=yes
check "a hard link refused" written h2.lgt "other names (hard links)"
[[ $program == *.exe ]] || check "41 links in a row refused" written chain41.lgt "cannot follow the link"
check "the hard links still share the old text" test "$(cat "$folder/h2.lgt")" = $'old\r'
for special in fifo.lgt $([ "$device" = no ] || echo device.lgt); do  # read nothing, at once
  check "$special refused" written "$special" "not a regular file"
  check "$special not read" refused "not a regular file" lgt read "$at/$special"
  check "$special is as it was" test -p "$folder/$special" -o -c "$folder/$special"
done
check "no temporary file is left" test -z "$(find "$folder" -name '~lgt*')"

# Two sets at once: each holds the file from its read to its replace, so neither change is lost.
printf 'LightingSet "x"\r\nsuninclination 0\r\nsunrotation 0\r\n' >"$folder/both.lgt"
both() {
  for round in 1 2 3 4 5 6 7 8 9 10; do
    lgt set "$at/both.lgt" --sun-rotation "$round" & lgt set "$at/both.lgt" --name "$round" &
    wait
    lgt read "$at/both.lgt" | tr -d '\r' | grep -cxE "(SunRotation|Name)=$round" | grep -qx 2 || return 1
  done
}
check "two sets at once both change the file" both

# Fifty at once all land: each waits its turn however often the file is replaced meanwhile.
fifty() {
  local pids=() pid
  for i in $(seq 50); do lgt set "$at/both.lgt" --sun-rotation "$i" 2>>"$folder/err" & pids+=($!); done
  for pid in "${pids[@]}"; do wait "$pid" || return 1; done
}
[[ $program == *.exe ]] || check "fifty sets at once all land" fifty

# A written line the reader would refuse as too long is refused before anything is written;
# the longest it reads round-trips. Read from either keyword, the value is written after the
# long one.
longest=1048576
long_line() {  # long_line KEYWORD DIGITS: a file whose rotation line holds DIGITS digits
  { printf 'LightingSet "x"\r\nsuninclination 1\r\n%s ' "$1" && head -c "$2" /dev/zero | tr '\0' 7; } >"$folder/long.lgt"
}
# Each file's rotation line is as long as the reader reads: from the short keyword it is refused.
for keyword in sunrotation sunrot; do
  long_line "$keyword" $((longest - ${#keyword} - 1))
  cp "$folder/long.lgt" "$folder/long.before"
  if [ "$keyword" = sunrotation ]; then
    check "the longest rotation round-trips" \
      bash -c "$run set '$at/long.lgt' --name y && $run read '$at/long.lgt' >/dev/null"
  else
    check "a rotation that would be written longer is refused" \
      refused "not written: the sun rotation is longer than" lgt set "$at/long.lgt" --name y
    check "with exit 2, the file as it was" \
      bash -c "$run set '$at/long.lgt' --name y 2>/dev/null; [ \$? -eq 2 ] && cmp -s '$folder/long.before' '$folder/long.lgt'"
  fi
done

# On a terminal a name's control bytes are shown escaped; into a pipe they stay exact.
printf 'LightingSet "\033[2K\033]0;pwned\007"\r\n' >"$folder/spoof.lgt"
# (Wine's console shows and hides the cursor around each character it writes.)
script -qc "$run read '$at/spoof.lgt'" /dev/null | sed 's/\x1b\[?25[lh]//g' >"$folder/out"
check "read on a terminal escapes control bytes" \
  grep -qF 'Name=\x1B[2K\x1B]0;pwned\x07' "$folder/out"
check "read into a pipe keeps them" \
  test "$(lgt read "$at/spoof.lgt" | od -An -c | tr -d ' \n')" = 'Name=033[2K033]0;pwned\a\n'

if [[ $program != *.exe ]]; then
  # On a terminal every byte from outside is shown safely, names in messages too; characters
  # of the file's code page show as themselves, and a typed "\x1B" cannot pass for an escape.
  evil=$'evil\e]0;OWNED\a\e[2J'
  cp "$folder/café.lgt" "$folder/$evil.lgt" && ln -s nothing "$folder/$evil.missing"
  printf 'LightingSet "D\xe4mmerung \\x1B"\r\n' >"$folder/dusk.lgt"
  on_terminal() { (cd "$folder" && LC_ALL=C.UTF-8 script -qc "$run $*" /dev/null) | tr -d '\r'; }
  # shellcheck disable=SC2016
  for shown in 'check evil*.lgt|evil\x1B]0;OWNED\x07\x1B[2J.lgt: ok' \
    'check evil*missing|evil\x1B]0;OWNED\x07\x1B[2J.missing: cannot open: No such file or directory' \
    'read dusk.lgt|Name=Dämmerung \\x1B'; do
    check "on a terminal, $shown" test "$(on_terminal "${shown%%|*}")" = "${shown#*|}"
  done
fi

if [[ $program != *.exe ]]; then
  # A save keeps who may read, write and own the file: its owner and group (as root, another
  # user's), mode, access control list and extended attributes stay, and a user who may write
  # another user's file may not make it theirs.
  printf 'LightingSet "x"\r\n' >"$folder/shared.lgt"
  chmod 640 "$folder/shared.lgt"
  [ "$(id -u)" -ne 0 ] || chown 65534:65534 "$folder/shared.lgt"
  setfacl -m u:65534:rw "$folder/shared.lgt" && setfattr -n user.note -v kept "$folder/shared.lgt"
  setfattr -n user.empty "$folder/shared.lgt"
  # In a folder whose new files get an access list, one file without a list and one with it.
  # (The one without a list holds an attribute, which the save sets after removing the list.)
  mkdir "$folder/inherits" && printf 'x\r\n' >"$folder/inherits/plain.lgt" &&
    setfattr -n user.kept -v yes "$folder/inherits/plain.lgt"
  # (The one with a list has one of its own, which the save sets over the one the folder gives.)
  setfacl -d -m u:65534:r "$folder/inherits" && printf 'x\r\n' >"$folder/inherits/listed.lgt" &&
    setfacl -m u:65534:rw "$folder/inherits/listed.lgt"
  attributes() { getfacl -c "$@"; getfattr -d "$@"; stat -c '%u %g %a' "$@"; } 2>/dev/null
  files=("$folder/shared.lgt" "$folder/inherits/plain.lgt" "$folder/inherits/listed.lgt")
  before=$(attributes "${files[@]}")
  saved=0
  for file in "${files[@]}"; do lgt set "$file" --sun-rotation 1 --sun-inclination 2 && saved=$((saved + 1)); done
  # (and fails where the tools that show them are missing, rather than comparing two blanks)
  check "a save keeps the owner, mode, access list and attributes" \
    test "$saved" = 3 -a "$before" = "$(attributes "${files[@]}")" -a "$before" != "${before/user.note}"
  if [ "$(id -u)" -eq 0 ]; then
    as_nobody() { setpriv --reuid=65534 --regid=65534 --clear-groups "$@"; }
    chmod 755 "$folder"
    chown 0:0 "$folder/shared.lgt"
    # What a plain write would refuse: a file in a read-only folder, another user's file that the
    # user may only read (in the user's own folder).
    mkdir "$folder/read-only" "$folder/own" && chown 65534 "$folder/own"
    cp "$folder/shared.lgt" "$folder/read-only/a.lgt" && chmod 666 "$folder/read-only/a.lgt"
    chmod 555 "$folder/read-only" && cp "$folder/shared.lgt" "$folder/own/roots.lgt"
    for file in read-only/a.lgt own/roots.lgt; do
      check "$file is refused" refused "Permission denied" \
        as_nobody "$program" write "$folder/$file" --sun-inclination 1 --sun-rotation 2
      check "and stays as it was" cmp "$folder/shared.lgt" "$folder/$file"
    done
    mkdir -m 775 "$folder/group" && chgrp 65534 "$folder/group" "$folder/shared.lgt"
    cp -p "$folder/shared.lgt" "$folder/group/theirs.lgt" && chmod 664 "$folder/group/theirs.lgt"
    cp -p "$folder/group/theirs.lgt" "$folder/theirs.before"
    check "another user's file is not made the saver's" refused "belongs to another user or group" \
      as_nobody "$program" set "$folder/group/theirs.lgt" --name y
    check "and stays as it was" cmp "$folder/theirs.before" "$folder/group/theirs.lgt"
    check "with no file beside it" test "$(ls "$folder/group")" = theirs.lgt
    # Without /proc an ordinary user could not name an unnamed new file before Linux 6.10; a shim
    # fails linkat as those systems did. A named file is made instead. (A sanitizer needs /proc.)
    printf '#include <errno.h>\nint linkat() { errno = ENOENT; return -1; }\n' >"$folder/nolink.c"
    cc -shared -fPIC -o "$folder/nolink.so" "$folder/nolink.c"
    [[ ${2:-} == --sanitized ]] || check "a save works without /proc" unshare -m sh -c "
      mount -t tmpfs none /proc && LD_PRELOAD='$folder/nolink.so' setpriv --reuid=65534 \
        --regid=65534 --clear-groups '$program' write '$folder/group/new.lgt' \
        --sun-inclination 1 --sun-rotation 2"
    check "and leaves no temporary file" test -z "$(ls "$folder/group" | grep -v '^new.lgt$\|^theirs.lgt$')"
    # A real full disk: a file system of 12 KiB, filled.
    full_disk() {
      mkdir "$folder/tiny" && mount -t tmpfs -o size=12k none "$folder/tiny" &&
        cp "$folder/theirs.before" "$folder/tiny/a.lgt" &&
        { dd if=/dev/zero of="$folder/tiny/fill" bs=1k count=100 2>/dev/null; true; } &&
        refused "cannot write: No space left on device" \
          "$program" set "$folder/tiny/a.lgt" --sun-inclination 1 --sun-rotation 2 &&
        cmp -s "$folder/theirs.before" "$folder/tiny/a.lgt" &&
        test "$(ls "$folder/tiny")" = "$(printf 'a.lgt\nfill')"
    }
    export -f full_disk refused
    export folder program
    check "a save onto a full disk says so and changes nothing" unshare -m bash -c full_disk

    # A link in a world-writable sticky folder that another user made is followed only where the
    # system would follow it (fs.protected_symlinks): here it would not.
    protected=$(cat /proc/sys/fs/protected_symlinks)
    trap 'echo "$protected" >/proc/sys/fs/protected_symlinks; rm -rf "$folder"' EXIT
    echo 1 >/proc/sys/fs/protected_symlinks
    mkdir -m 1777 "$folder/sticky" && cp "$folder/theirs.before" "$folder/roots.lgt"
    ln -s "$folder/roots.lgt" "$folder/sticky/link.lgt" && chown -h 65534 "$folder/sticky/link.lgt"
    check "a link the system would not follow is refused" refused "cannot follow the link" \
      "$program" write "$folder/sticky/link.lgt" --sun-inclination 1 --sun-rotation 2
    check "and what it points at stays" cmp "$folder/theirs.before" "$folder/roots.lgt"
  fi

  # A write cut short after one byte by a file-size limit (its signal ignored) fails at the next.
  # The message goes through a pipe, which the limit does not cut.
  check "a save cut short by a file-size limit says so" refused "cannot write: File too large" \
    bash -c "set -o pipefail; trap '' XFSZ; prlimit --fsize=1 '$program' write '$folder/café.lgt' \
      --sun-inclination 1 --sun-rotation 2 2>&1 | cat >&2"
  check "and changes nothing" cmp "$folder/expected.lgt" "$folder/café.lgt"

  # Memory is bounded: a line that names no field is skipped however long, and one that names a
  # field is refused past its longest, whatever the memory allowed.
  if [[ ${2:-} != --sanitized ]]; then
    { printf '\r\n' && head -c $((64 << 20)) /dev/zero | tr '\0' x; } >"$folder/junk.lgt"
    check "a 64 MiB line that names no field, within 40 MB" bash -c \
      "(ulimit -v 40000 && exec '$program' read '$folder/junk.lgt')"
    { printf '\r\nsuninclination ' && head -c $((200 << 20)) /dev/zero | tr '\0' 7; } >"$folder/huge.lgt"
    for limit in 40000 400000 800000; do
      for command in read set; do
        check "$command of a 200 MiB value within $limit KB" exits 1 bash -c \
          "ulimit -v $limit && exec '$program' $command '$folder/huge.lgt' 2>'$folder/err'"
        check "and says that the line is too long" \
          grep -q 'huge.lgt:2: line too long: more than 1,048,576 characters' "$folder/err"
      done
    done
  fi
fi

finish
