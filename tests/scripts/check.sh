# Sourced by the script tests: named checks that count failures, and the verdict.
failures=0
check() {  # name, then a command that succeeds when the behaviour holds
  name=$1
  shift
  if "$@"; then echo "ok   $name"; else echo "FAIL $name"; failures=$((failures + 1)); fi
}
is() {  # says what it got when that isn't what was wanted
  [ "$1" = "$2" ] && return 0
  printf '     got:  %s\n     want: %s\n' "$1" "$2"
  return 1
}
verdict() {
  [ "$failures" -eq 0 ] && return 0
  echo "$failures failed"
  return 1
}
