# Shared set-up for the scripts: installs what is missing, builds, and prepares Wine.
# Sourced, not run.

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)

packages=(cmake make g++ googletest g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
          clang libclang-rt-14-dev clang-format clang-tidy libbenchmark-dev
          wine wine64 fonts-wine xvfb xauth imagemagick locales wixl msitools acl attr libcap2-bin
          rapidjson-dev libstb-dev jq man-db chromium)

install_missing_packages() {
  local missing=()
  for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed" || missing+=("$package")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=()
  [ "$(id -u)" -eq 0 ] || sudo=(sudo)
  "${sudo[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq "${missing[@]}"
}

# A Japanese locale, in which Wine gives programs the code page 932 (a test opens text there).
ensure_test_locale() {
  locale -a 2>/dev/null | grep -qi '^ja_JP.utf-\?8$' && return 0
  local sudo=()
  [ "$(id -u)" -eq 0 ] || sudo=(sudo)
  "${sudo[@]}" sed -i 's/^# *\(ja_JP.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  "${sudo[@]}" locale-gen >/dev/null
}

build_preset() {
  cmake --preset "$1" >/dev/null
  cmake --build --preset "$1"
}

# A display for Wine's windows: the user's own, or a virtual one for this run.
ensure_display() {
  [ -n "${DISPLAY:-}" ] && return 0
  local number=99
  while [ -e "/tmp/.X11-unix/X$number" ] || [ -e "/tmp/.X$number-lock" ]; do number=$((number + 1)); done
  Xvfb ":$number" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  export DISPLAY=":$number"
  for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$number" ] && return 0; sleep 0.1; done
  echo "Xvfb did not start" >&2
  return 1
}

source "$repo/scripts/lib/wine-env.sh"

# Keeps one Wine server for the whole run (every Wine start is then quick) and stops it, and any
# virtual display, when the script ends.
start_wine() {
  ensure_wine_prefix
  trap 'wineserver -k 2>/dev/null || true; [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" 2>/dev/null || true' EXIT
  wineserver -p || true  # fails only when a server for this prefix already runs
  # Wine's own services start with the first program and outlive it; started here, they do not
  # hold the test runner's output open.
  wine cmd /c exit >/dev/null 2>&1 </dev/null
}
