#!/usr/bin/env bash
# lgt preview as the real program, natively or (lgt.exe) under Wine: pictures that decode with
# the right size and the sun's light where the model puts it, and a page that a real browser
# (headless Chromium) shows with every picture loaded and every name as text.
# Usage: lgt_preview.sh LGT
set -u
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
source "$(dirname "$0")/../support/checks.sh"
use_lgt "$1"

# Four sets with the sun overhead, each with its own terrain ambient, so that its level ground
# is exactly terrain ambient + sun colour: a colour found only where its picture is shown.
terrains=("10 20 30" "40 20 30" "10 50 30" "10 20 60")
levels=("110 140 170" "140 140 170" "110 170 170" "110 140 200")
for i in 0 1 2 3; do
  lgt write "$at/set$i.lgt" --name "Set $i" --sun-colour "100 120 140" \
    --terrain-ambient-colour "${terrains[$i]}" --sun-inclination 90 --sun-rotation 0
done
lgt write "$at/low.lgt" --name '<script>alert(1)</script> & low' --sun-colour "100 120 140" \
  --terrain-ambient-colour "10 20 30" --sun-inclination 0 --sun-rotation 90
printf 'LightingSet "broken\r\nsuncolor 1 2\r\n' >"$folder/broken.lgt"
check "a folder with a broken file ends with 1" exits 1 lgt preview "$at/set0.lgt" "$at/set1.lgt" \
  "$at/set2.lgt" "$at/set3.lgt" "$at/low.lgt" "$at/broken.lgt" --out "$at/page" --size 128
check "and names the broken file" grep -q 'broken.lgt:1' "$folder/err"
check "a PNG for each set and the page" \
  test "$(cd "$folder/page" && ls | tr '\n' ' ')" = "index.html low.png set0.png set1.png set2.png set3.png "
check "each PNG decodes at the size asked for" \
  test "$(identify -format '%m %wx%h\n' "$folder"/page/*.png | sort -u)" = "PNG 128x128"
share() {  # share PICTURE "R G B": the fraction of the picture's pixels of that colour
  convert "$1" -fill black +opaque "rgb(${2// /,})" -fill white -opaque "rgb(${2// /,})" \
    -format '%[fx:mean]' info:
}
check "the sun overhead lights level ground with ambient + sun" \
  awk -v f="$(share "$folder/page/set0.png" "${levels[0]}")" 'BEGIN { exit !(f > 0.1) }'
check "on the horizon, level ground holds the ambient alone" \
  awk -v lit="$(share "$folder/page/low.png" "${levels[0]}")" \
    -v dark="$(share "$folder/page/low.png" "${terrains[0]}")" 'BEGIN { exit !(lit == 0 && dark > 0.1) }'
check "a bad size is refused" exits 2 lgt preview "$at/set0.lgt" --out "$at/x" --size 5

# The page in a real browser: every picture loaded (its level colour on the screen), every name
# as text, nothing run.
if command -v chromium >/dev/null; then
  browse() {
    chromium --headless=new --no-sandbox --disable-gpu --disable-background-networking \
      --disable-component-update --disable-sync --no-first-run --force-device-scale-factor=1 \
      --user-data-dir="$folder/profile" "$@" "file://$folder/page/index.html" 2>/dev/null
  }
  browse --window-size=1400,2000 --screenshot="$folder/screen.png" >/dev/null
  for i in 0 1 2 3; do
    check "the browser shows set$i.png" \
      awk -v f="$(share "$folder/screen.png" "${levels[$i]}")" 'BEGIN { exit !(f > 0.001) }'
  done
  browse --dump-dom >"$folder/dom.html"
  for i in 0 1 2 3; do check "Set $i's name is on the page" grep -q "<h2>Set $i</h2>" "$folder/dom.html"; done
  check "a name holding <script> shows as text" \
    grep -qF '&lt;script&gt;alert(1)&lt;/script&gt; &amp; low' "$folder/dom.html"
  check "and no script is on the page" bash -c "! grep -qi '<script' '$folder/dom.html'"
  check "the broken file is listed with its message" \
    grep -q 'broken.lgt</span>: line 1: ' "$folder/dom.html"
  check "each set's seven values are shown" test "$(grep -c '<dt>' "$folder/dom.html")" = 35
else
  check "headless Chromium is installed" false
fi

finish
