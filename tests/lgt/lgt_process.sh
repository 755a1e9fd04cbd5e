#!/usr/bin/env bash
# The built lgt run as a script runs it, natively or (lgt.exe) under Wine: what only a real
# process shows. Usage: lgt_process.sh LGT [--no-memory-limit]
set -u
program=$1
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
source "$(dirname "$0")/../support/checks.sh"
if [[ $program == *.exe ]]; then
  source "$(dirname "$0")/../../scripts/lib/wine-env.sh"
  ensure_wine_prefix
  export LC_ALL=C.UTF-8  # Wine hands the program its UTF-8 arguments as UTF-16
  lgt() { wine "$program" "$@"; }
  at=Z:$folder name=$'caf\xe9'  # the name in the ANSI code page, 1252 under Wine here
else
  lgt() { "$program" "$@"; }
  at=$folder name=café
fi

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

status() {  # status N ARGUMENTS...: lgt ends with exit status N
  local expected=$1
  shift
  lgt "$@" >/dev/null 2>&1
  [ $? -eq "$expected" ]
}
check "a file that cannot be read ends with 1" status 1 read "$at/missing.lgt"
check "a usage mistake ends with 2" status 2 frobnicate

full() {  # full ARGUMENTS...: output to a full disk ends with 1 and says so
  ! lgt "$@" >/dev/full 2>"$folder/err" &&
    grep -q '^lgt: cannot write to standard output' "$folder/err"
}
check "read into a full disk fails" full read "$at/café.lgt"
check "--help into a full disk fails" full --help
check "--version into a full disk fails" full --version

# Memory is bounded: a line that names no field is skipped however long, and one that names a
# field is refused past its longest.
if [[ $program != *.exe && ${2:-} != --no-memory-limit ]]; then
  bounded() {  # bounded START ERROR: a line of START and 64 MiB more, read within 40 MB
    { printf '\r\n%s' "$1" && head -c $((64 << 20)) /dev/zero | tr '\0' x; } >"$folder/long.lgt"
    (ulimit -v 40000 && exec "$program" read "$folder/long.lgt") >/dev/null 2>"$folder/err"
    local status=$? expected_status=0
    [ -z "$2" ] || expected_status=1
    [ $status -eq $expected_status ] && [ "$(cat "$folder/err")" = "${2:+$folder/long.lgt:2: $2}" ]
  }
  check "a long line that sets nothing" bounded "" ""
  check "a long value line is refused" bounded "sunrotation " "line too long: more than 1,048,576 characters"
fi

finish
