# The project's own Wine: a prefix under build/, quiet, without Mono or Gecko prompts.
# Sourced, not run.

wine_repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
export WINEPREFIX="$wine_repo/build/wine-prefix"
export WINEARCH=win64
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

# Creates the prefix once; later calls return at once. Safe when tests start in parallel.
ensure_wine_prefix() {
  [ -f "$WINEPREFIX/.ready" ] && return 0
  mkdir -p "$(dirname "$WINEPREFIX")"
  (
    flock 9
    [ -f "$WINEPREFIX/.ready" ] && exit 0
    echo "Creating the Wine prefix $WINEPREFIX" >&2
    wineboot -i >/dev/null 2>&1
    wineserver -w
    # Debian's Wine leaves its own fonts out of the prefix; without them every face falls back.
    # (KESTRUNE_WINE_FONTS=no keeps them out, for the test of a prefix without them.)
    [ "${KESTRUNE_WINE_FONTS:-yes}" = no ] ||
      cp /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
    # One virtual desktop for every program: Wine draws the frames itself, as Windows does, and
    # does not wait for a window manager that Xvfb lacks each time a window closes.
    wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /t REG_SZ /d Default /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /t REG_SZ /d 1280x1024 /f >/dev/null 2>&1
    wineserver -w
    touch "$WINEPREFIX/.ready"
  ) 9>"$WINEPREFIX.lock"
}
