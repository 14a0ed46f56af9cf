# Sourced by the script tests: named checks that count failures, and the verdict.
failures=0
check() {  # name, then a command that succeeds when the behaviour holds
  name=$1
  shift
  if "$@"; then echo "ok   $name"; else echo "FAIL $name"; failures=$((failures + 1)); fi
}
is() { [ "$1" = "$2" ]; }
verdict() {
  [ "$failures" -eq 0 ] && return 0
  echo "$failures failed"
  return 1
}
