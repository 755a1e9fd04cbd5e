#!/usr/bin/env bash
# lgt for pipelines, as the real program natively or (lgt.exe) under Wine: JSON out and in, read
# back by a JSON parser (jq); diff and its exit codes; the completion script in bash; the manual.
# Usage: lgt_json.sh LGT EXAMPLES [MANUAL]
set -u
examples=$2 manual=${3:-}
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
source "$(dirname "$0")/../support/checks.sh"
use_lgt "$1"
cp "$examples"/*.lgt "$folder"
json() {  # json FILTER EXPECTED: jq's compact answer for the last output
  [ "$(jq -c "$1" "$folder/out" 2>&1)" = "$2" ]
}
holds() { jq -e "$1" "$folder/out" >/dev/null; }  # holds TEST: jq finds TEST true of it

names=(dawn noon dusk night) files=()
for name in "${names[@]}"; do files+=("$at/$name.lgt"); done
check "read --json of every example" exits 0 lgt read --json "${files[@]}"
check "one object per file, in order" json '[.[].values.Name]' '["Dawn","Noon","Dusk","Moonlit Night"]'
check "colours as numbers, numbers as strings" \
  json '.[2].values | [.SunColour, .SunInclination, .SunRotation]' '[[255,200,150],"50","180"]'
for name in "${names[@]}"; do
  check "$name goes through --json and back byte for byte" bash -c \
    "'$lgt' read --json '$at/$name.lgt' | '$lgt' write '$at/$name.copy' --json - &&
      cmp '$folder/$name.lgt' '$folder/$name.copy'"
done

# Only what a file sets; errors as objects; text of the code page as characters, whatever bytes.
printf '  suncolour 300.7 -4 12\nsuninclination  4.5E1  \n' >"$folder/some.lgt"
printf 'LightingSet "a"\r\nsuncolor 1 x 3\r\n' >"$folder/bad.lgt"
printf 'LightingSet "\\ \001\033[2J \xe4\x80\x81 \\x1B"\r\n' >"$folder/bytes.lgt"
check "a broken file among good ones ends with 1" \
  exits 1 lgt read --json "$at/some.lgt" "$at/bad.lgt" "$at/bytes.lgt"
check "only the values a file sets" json '.[0].values' '{"SunColour":[255,0,12],"SunInclination":"4.5E1"}'
check "an error's line and message" \
  json '.[1].error' '{"line":2,"message":"sun colour: the green number \"x\" is not a whole number"}'
check "backslashes, control bytes and code-page characters" \
  holds '.[2].values.Name == "\\ \u0001\u001b[2J ä€\u0081 \\x1B"'
check "check --json gives no values" exits 1 lgt check --json "$at/some.lgt" "$at/bad.lgt"
check "and the same errors" json '[.[0], .[1].error.line]' '[{"file":"'"$at"'/some.lgt"},2]'
check "write --json - takes back what it read" bash -c \
  "'$lgt' read --json '$at/bytes.lgt' |
    jq '.[0].values += {SunInclination: \"1\", SunRotation: 2}' | '$lgt' write '$at/bytes.copy' --json -"
check "the same bytes" grep -qF $'LightingSet "\\ \001\033[2J \xe4\x80\x81 \\x1B"' "$folder/bytes.copy"
for refused in '{"values": {"Name": "漢"}}' '{"values": {"Nmae": "x"}}' \
  '{"values": {"SunColour": [1, 2]}}' '{"values": {"SunInclination": "x"}}' '[{"values": {}' '[]'; do
  check "write --json of $refused ends with 2, nothing written" bash -c \
    "'$lgt' write '$at/refused.lgt' --json - <<<'$refused' 2>/dev/null; [ \$? = 2 ] &&
      test ! -e '$folder/refused.lgt'"
done
if [[ $program != *.exe ]]; then
  # A file name is any bytes on Linux: quotes, backslashes, bytes that are not UTF-8.
  cp "$folder/dusk.lgt" "$folder/a\"b\\c"$'\xff.lgt'
  check "any file name gives valid JSON" exits 0 lgt check --json "$folder/a\"b\\c"$'\xff.lgt'
  check "with the bytes that are no UTF-8 replaced" holds ".[0].file == \"$folder/a\\\"b\\\\c\\ufffd.lgt\""
fi

# diff compares values, not bytes.
printf '\\\\ notes\nsunrotation 180\nsuninclination 50\nterrainambientcolor 60 60 80\nambientcolor 40 40 60\nsunspecular 255 255 255\nsuncolor 255 200 150\nLightingSet "Dusk"\n' >"$folder/reordered.lgt"
check "diff of the same values in another order: 0" exits 0 lgt diff "$at/dusk.lgt" "$at/reordered.lgt"
check "and prints nothing" test ! -s "$folder/out"
check "diff of different sets: 1" exits 1 lgt diff "$at/dusk.lgt" "$at/some.lgt"
check "each field that differs" test "$(tr -d '\r' <"$folder/out")" = "$(printf '%s\n' \
  'Name: Dusk -> (not set)' 'SunColour: 255 200 150 -> 255 0 12' 'SunSpecular: 255 255 255 -> (not set)' \
  'AmbientColour: 40 40 60 -> (not set)' 'TerrainAmbientColour: 60 60 80 -> (not set)' \
  'SunInclination: 50 -> 4.5E1' 'SunRotation: 180 -> (not set)')"
check "diff --json" exits 1 lgt diff --json "$at/dawn.lgt" "$at/dusk.lgt"
check "its changes" json '[.changed.Name, (.changed | keys | length), .only_in_a, .only_in_b]' \
  '[{"a":"Dawn","b":"Dusk"},7,[],[]]'
check "diff of an unreadable file: 2" exits 2 lgt diff "$at/dusk.lgt" "$at/bad.lgt"

if [[ $program != *.exe ]]; then
  lgt completion bash >"$folder/completion.bash"
  completes() {  # completes WORDS... -> EXPECTED: what bash offers for the last word
    bash -c 'source "$1"; shift; COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); _lgt
      printf "%s\n" "${COMPREPLY[@]}"' - "$folder/completion.bash" "$@"
  }
  check "the completion script is loaded for lgt" \
    bash -c "source '$folder/completion.bash' && complete -p lgt | grep -q '_lgt lgt'"
  check "a verb completes" test "$(completes lgt di)" = diff
  check "an option of the table completes" test "$(completes lgt set x.lgt --terr)" = --terrain-ambient-colour
  for shell in zsh fish powershell; do
    check "completion $shell" bash -c "'$program' completion $shell | grep -q -- sun-rotation"
  done
  if [ -n "$manual" ]; then
    check "the manual page renders" bash -c "MANWIDTH=80 man -l '$manual' 2>&1 | grep -q 'lgt diff \[--json\] FILE FILE'"
    check "with all of --help" bash -c "MANWIDTH=100 man -l '$manual' 2>/dev/null | grep -q 'lgt completion bash|zsh|fish|powershell'"
  fi
fi

finish
