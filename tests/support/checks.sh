# Named checks for the shell tests, and the closing line CTest and CI read. Sourced, not run.
checks=0 failures=0

check() {  # check WHAT COMMAND...: runs COMMAND and reports WHAT as ok or FAILED
  local what=$1
  shift
  checks=$((checks + 1))
  if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; failures=$((failures + 1)); fi
}

finish() {  # prints the totals; exits non-zero when a check failed
  echo "$((checks - failures)) passed, $failures failed"
  [ "$failures" -eq 0 ]
}

# The lgt under test as a command any shell here runs ($lgt) and as the function lgt: the program
# natively, or (a .exe) under the project's Wine. Sets at, the test folder as the program names
# it. Needs folder.
use_lgt() {
  program=$1 lgt=$folder/lgt
  if [[ $program == *.exe ]]; then
    source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/lib/wine-env.sh"
    ensure_wine_prefix
    export LC_ALL=C.UTF-8  # Wine hands the program its UTF-8 arguments as UTF-16
    printf '#!/bin/sh\nexec wine "%s" "$@"\n' "$program" >"$lgt"
    at=Z:$folder
  else
    printf '#!/bin/sh\nexec "%s" "$@"\n' "$program" >"$lgt"
    at=$folder
  fi
  chmod +x "$lgt"
}
lgt() { "$lgt" "$@"; }

refused() {  # refused MESSAGE COMMAND...: COMMAND fails and says MESSAGE
  local message=$1
  shift
  ! "$@" >/dev/null 2>"$folder/err" && grep -q "$message" "$folder/err"
}

exits() {  # exits N COMMAND...: COMMAND ends with exit status N; its output in out and err
  local expected=$1
  shift
  "$@" >"$folder/out" 2>"$folder/err"
  [ $? -eq "$expected" ]
}
