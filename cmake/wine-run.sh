#!/bin/sh
# Runs one of the build's Windows programs under Wine in the tests' session (joined for the
# run, so a ctest running meanwhile keeps its server) and prints its output. The output
# goes through a file: Wine's helper processes would otherwise inherit the caller's pipe
# and keep a build tool waiting after the program has ended.
set -u
: "${WINEPREFIX:?WINEPREFIX must name the prefix of the tests}"
session="$(dirname "$0")/wine-session.sh"
sh "$session" start $$ || exit 1
log=$(mktemp)
trap 'rm -f "$log"; sh "$session" stop $$' EXIT
trap 'exit 130' HUP INT TERM
wine "$@" >"$log" 2>&1 </dev/null
rc=$?
cat "$log"
exit $rc
