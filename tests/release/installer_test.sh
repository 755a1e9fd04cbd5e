#!/usr/bin/env bash
# Installs the Windows Installer package in a new Wine prefix, opens a file through the file type
# it registers, replaces it with a rebuild of the same version and a higher version, refuses the
# older one over that, and removes it, also after another program took .lgt files, checking at
# each step what is on disk and in the registry.
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
value() {  # value KEY [NAME]: the data of a registry value (the key's default without NAME)
  local which=(/ve)
  [ $# -lt 2 ] || which=(/v "$2")
  wine reg query "$1" "${which[@]}" 2>/dev/null | tr -d '\r' |
    sed -n '/(value not set)/d; s/^ *[^ ].*REG_[A-Z_]* *//p' | head -1
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
offered() {  # offered [PROGID]: .lgt lists the program (the editor's by default)
  wine reg query "$classes\\.lgt\\OpenWithProgids" /v "${1:-Kestrune.LightingSet}" >/dev/null 2>&1
}
registered() {  # the editor offered for .lgt and listed among the programs that open it
  offered && wine reg query "$classes\\Kestrune.LightingSet\\shell\\open\\command" >/dev/null 2>&1 &&
    test "$(value 'HKCU\Software\Tolvane\Kestrune Light Editor\Capabilities\FileAssociations' .lgt)" = Kestrune.LightingSet &&
    test -n "$(value 'HKCU\Software\RegisteredApplications' 'Kestrune Light Editor')"
}
check ".lgt offers it" registered
check "the default for .lgt is left to the user" test -z "$(value "$classes\\.lgt")"

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

package() {  # package FILE VERSION: a package built from the same sources
  "$source/packaging/make-installer" "$1" "$2" "$program" "$lgt" "$source/README.md" \
    "$source/LICENSE" "$source/editor/resources/sun.ico"
}
# A rebuild of this version replaces it; a higher version replaces that; this one then may not
# replace it.
package "$work/again.msi" "$version"
check "a rebuild of $version replaces it" msiexec /i "$(winepath -w "$work/again.msi")"
check "one product, version $version" test "$(products)" = "$version"
next="${version%.*}.$((${version##*.} + 1))"
package "$work/next.msi" "$next"
check "upgrade to $next" msiexec /i "$(winepath -w "$work/next.msi")"
check "one product, version $next" test "$(products)" = "$next"
check "which .lgt still offers" registered
check "the older package is refused" bash -c "! wine msiexec /i '$(winepath -w "$msi")' /qn >/dev/null 2>&1"
check "still one product, version $next" test "$(products)" = "$next"

gone() {  # everything the package made is gone
  test -z "$(products)" && test ! -e "$folder" && test ! -e "$shortcut" &&
    ! wine reg query "$classes\\Kestrune.LightingSet" >/dev/null 2>&1 &&
    ! wine reg query 'HKCU\Software\Tolvane' >/dev/null 2>&1 &&
    test -z "$(value 'HKCU\Software\RegisteredApplications' 'Kestrune Light Editor')" && ! offered
}
check "uninstall" msiexec /x "$(winepath -w "$work/next.msi")"
check "removes everything it made" gone
check "and the .lgt key it made" bash -c "! wine reg query '$classes\\.lgt' >/dev/null 2>&1"

# Another program takes .lgt files while the editor is installed; removing the editor leaves that
# program's values as they are.
msiexec /i "$(winepath -w "$msi")"
wine reg add "$classes\\.lgt" /ve /d Other.Editor /f >/dev/null 2>&1
wine reg add "$classes\\.lgt\\OpenWithProgids" /v Other.Editor /d "" /f >/dev/null 2>&1
check "another program's .lgt: uninstall" msiexec /x "$(winepath -w "$msi")"
check "removes everything the package made" gone
check "and leaves the other program's default" test "$(value "$classes\\.lgt")" = Other.Editor
check "and its offer" offered Other.Editor

finish
