# Counting checks for the install and package scripts: source it, set
# CHECKS_NAME, then call check/pass/fail and end with finish.
passed=0
failed=0
pass() { echo "ok: $*"; passed=$((passed + 1)); }
fail() { echo "FAIL: $*"; failed=$((failed + 1)); }
check() {  # check DESCRIPTION COMMAND...: passes when the command succeeds
  local what=$1
  shift
  if "$@"; then pass "$what"; else fail "$what"; fi
}
finish() {
  echo "$CHECKS_NAME: $passed passed, $failed failed"
  ((failed == 0))
  exit
}
