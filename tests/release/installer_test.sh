#!/usr/bin/env bash
# Installs the Windows Installer package in a new Wine prefix, opens a file through the .lgt
# association it registers, upgrades it to a higher version, refuses the older one over that,
# and removes it, checking at each step what is on disk and in the registry.
# Usage: installer_test.sh MSI VERSION WINDOW_VALUES_EXE PROGRAM_EXE LGT_EXE SOURCE_DIR
set -u
msi=$1 version=$2 window_values=$3 program=$4 lgt=$5 source=$6
source "$source/scripts/lib/wine-env.sh"
export WINEPREFIX="$source/build/windows/installer-prefix"
wineserver -k 2>/dev/null
rm -rf "$WINEPREFIX"
wineboot -i >/dev/null 2>&1
wineserver -p
trap 'wineserver -k 2>/dev/null; rm -rf "$work"' EXIT
work=$(mktemp -d)

source "$(dirname "$0")/../support/checks.sh"
msiexec() { wine msiexec "$@" /qn >/dev/null 2>&1; }
value() {  # value KEY [NAME]: the data of a registry value, or nothing
  wine reg query "$1" ${2:+/v "$2"} ${2:-/ve} 2>/dev/null | tr -d '\r' |
    sed -n 's/^ *[^ ].*REG_[A-Z_]* *//p' | head -1
}
products() {  # the versions of the package that Windows lists as installed
  wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s 2>/dev/null |
    tr -d '\r' | grep -A20 'DisplayName *REG_SZ *Kestrune Light Editor' |
    sed -n 's/^ *DisplayVersion *REG_SZ *//p'
}
user_folder() { winepath -u "$(wine cmd /c echo "%$1%" 2>/dev/null | tr -d '\r')"; }
folder="$(user_folder LOCALAPPDATA)/Programs/Kestrune Light Editor"
shortcut="$(user_folder APPDATA)/Microsoft/Windows/Start Menu/Programs/Kestrune Light Editor.lnk"
classes='HKCU\Software\Classes'

check "install" msiexec /i "$(winepath -w "$msi")"
for file in "Kestrune Light Editor.exe" lgt.exe README.md LICENSE; do
  check "$file installed" test -f "$folder/$file"
done
check "the Start menu shortcut" test -f "$shortcut"
check "one product, version $version" test "$(products)" = "$version"
check "the file type" test "$(value "$classes\\Kestrune.LightingSet")" = "Kestrune Lighting Set"
check "its icon" grep -q 'Kestrune Light Editor.exe",0$' <<<"$(value "$classes\\Kestrune.LightingSet\\DefaultIcon")"
offered() { wine reg query "$classes\\.lgt\\OpenWithProgids" /v Kestrune.LightingSet >/dev/null 2>&1; }
check ".lgt offers it" offered
check ".lgt opens with it, as no other program did" test "$(value "$classes\\.lgt")" = Kestrune.LightingSet

# The association's own command, as Explorer runs it on a double-click.
command=$(value "$classes\\Kestrune.LightingSet\\shell\\open\\command")
printf 'LightingSet "Dusk"\r\nsuncolor 255 200 150\r\nambientcolor 40 40 60\r\nsuninclination 50\r\n sunrotation 180\r\n' >"$work/dusk set.lgt"
expected=$'Name=Dusk\nSunColour=255 200 150\nSunSpecular=255 255 255\nAmbientColour=40 40 60\nTerrainAmbientColour=255 255 255\nSunInclination=50\nSunRotation=180'
exe=$(sed -n 's/^"\([^"]*\)".*/\1/p' <<<"$command")
check "the open command passes the file" test "$command" = "\"$exe\" \"%1\""
wine "$exe" "$(winepath -w "$work/dusk set.lgt")" >/dev/null 2>&1 &
shown=$(wine "$window_values" 2>&1 | tr -d '\r')
wait
check "the window shows the file's values" test "$shown" = "$expected"

# A higher version replaces this one; this one then may not replace it.
next="${version%.*}.$((${version##*.} + 1))"
"$source/packaging/make-installer" "$work/next.msi" "$next" "$program" "$lgt" \
  "$source/README.md" "$source/LICENSE" "$source/editor/resources/sun.ico"
check "upgrade to $next" msiexec /i "$(winepath -w "$work/next.msi")"
check "one product, version $next" test "$(products)" = "$next"
check "the older package is refused" bash -c "! wine msiexec /i '$(winepath -w "$msi")' /qn >/dev/null 2>&1"
check "still one product, version $next" test "$(products)" = "$next"

check "uninstall" msiexec /x "$(winepath -w "$work/next.msi")"
check "no product" test -z "$(products)"
check "no program folder" test ! -e "$folder"
check "no shortcut" test ! -e "$shortcut"
check "no file type" bash -c "! wine reg query '$classes\\Kestrune.LightingSet' >/dev/null 2>&1"
check "no .lgt key" bash -c "! wine reg query '$classes\\.lgt' >/dev/null 2>&1"
check "no key of the program" bash -c "! wine reg query 'HKCU\\Software\\Tolvane' >/dev/null 2>&1"
check "the user's file is untouched" test -f "$work/dusk set.lgt"

# Another program's association is left as it is: the editor is only offered.
wine reg add "$classes\\.lgt" /ve /d Other.Editor /f >/dev/null 2>&1
msiexec /i "$(winepath -w "$msi")"
check "another program keeps .lgt" test "$(value "$classes\\.lgt")" = Other.Editor
check "and the editor is offered" offered
msiexec /x "$(winepath -w "$msi")"
check "the other program's association survives removal" test "$(value "$classes\\.lgt")" = Other.Editor

finish
