#!/usr/bin/env bash
# Saves through the host's links and onto special files with the real lgt.exe under Wine, where
# a Windows program cannot make such files itself. Usage: links_under_wine.sh LGT_EXE
set -u
source "$(dirname "$0")/../../scripts/lib/wine-env.sh"
lgt=$1
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
source "$(dirname "$0")/../support/checks.sh"
save() {  # save NAME: exit status of lgt write; its messages go to $folder/err
  wine "$lgt" write "Z:$folder/$1" --name New --sun-inclination 1 --sun-rotation 2 2>"$folder/err"
}
refused() {  # refused NAME REASON
  ! save "$1" && grep -q "$2" "$folder/err"
}

mkdir "$folder/real"
printf 'old\r\n' >"$folder/real/orig.lgt"
ln -s real/orig.lgt "$folder/link.lgt"
ln -s "$folder/link.lgt" "$folder/link-to-link.lgt"
for link in link.lgt link-to-link.lgt; do
  check "save through $link" save "$link"
  check "$link is still a link" test -L "$folder/$link"
done
check "the linked file was replaced" grep -q 'LightingSet "New"' "$folder/real/orig.lgt"

printf 'old\r\n' >"$folder/h1.lgt"
ln "$folder/h1.lgt" "$folder/h2.lgt"
mkfifo "$folder/fifo.lgt"
# A device of the test's own: a save that wrongly went ahead would replace it, not /dev/null.
device=no
mknod "$folder/null" c 1 3 2>/dev/null && ln -s null "$folder/device.lgt" && device=yes
check "a hard link refused" refused h2.lgt "other names (hard links)"
check "a fifo refused" refused fifo.lgt "not a regular file"
[ "$device" = no ] || check "a device refused" refused device.lgt "not a regular file"
check "the hard links still share the old text" test "$(cat "$folder/h2.lgt")" = $'old\r'
check "the fifo is still a fifo" test -p "$folder/fifo.lgt"
[ "$device" = no ] || check "the device is still a device" test -c "$folder/null"
check "no temporary file is left" test -z "$(find "$folder" -name '~lgt*')"

finish
