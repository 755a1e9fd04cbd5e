# The project's own Wine: a prefix under build/, quiet, without Mono or Gecko prompts.
# Sourced, not run.

wine_repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
export WINEPREFIX="$wine_repo/build/wine-prefix"
export WINEARCH=win64
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

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
    cp /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
    touch "$WINEPREFIX/.ready"
  ) 9>"$WINEPREFIX.lock"
}
