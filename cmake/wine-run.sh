#!/bin/sh
# Runs one of the build's Windows programs under Wine in the project prefix and prints its
# output. The output goes through a file: Wine's helper processes would otherwise inherit
# the caller's pipe and keep a build tool waiting after the program has ended.
set -u
: "${WINEPREFIX:?WINEPREFIX must name the project's own prefix}"
sh "$(dirname "$0")/wine-session.sh" start
log=$(mktemp)
wine "$@" >"$log" 2>&1 </dev/null
rc=$?
cat "$log"
rm -f "$log"
exit $rc
