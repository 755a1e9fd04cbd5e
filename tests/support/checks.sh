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
