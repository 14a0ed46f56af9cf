#!/bin/sh
# The Wine session script under the conditions it must survive: members coming and going
# (a server one of them still needs is never ended), servers something else started
# (joined or waited for, never ended), and start failures, which must say what failed,
# exit non-zero and leave nothing of theirs running. Prefixes and the display are its own.
set -u
top=$(cd "$(dirname "$0")/../.." && pwd)
session="$top/cmake/wine-session.sh"
work=$(mktemp -d "${TMPDIR:-/tmp}/kestrane-session-test.XXXXXX")
sleepers=""
cleanup() {
  for p in $sleepers; do kill "$p" 2>/dev/null; done
  for prefix in "$work"/p*; do [ -d "$prefix" ] && WINEPREFIX=$prefix timeout 30 wineserver -k 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' HUP INT TERM
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY

failures=0
check() {  # name, then a command that succeeds when the behaviour holds
  name=$1
  shift
  if "$@"; then echo "ok   $name"; else echo "FAIL $name"; failures=$((failures + 1)); fi
}
member() { sleep 600 & sleepers="$sleepers $!"; last_member=$!; }
status() { sh "$session" status | sed -n "s/^$1 //p"; }
answers() { timeout 10 xdpyinfo -display "$1" >/dev/null 2>&1; }
silent() { ! answers "$1"; }
said() { grep -q "$1" "$work/err"; }
is() { [ "$1" = "$2" ] || { echo "     got '$1', want '$2'"; [ ! -s "$work/err" ] || sed 's/^/     | /' "$work/err"; return 1; }; }
differs() { [ "$1" != "$2" ]; }
starting() {  # [NAME=value...]: a new member starts the session; exit status in $rc, stderr in $work/err
  member
  env "$@" /bin/sh "$session" start "$last_member" 2>"$work/err"
  rc=$?
}

# A display number no X server uses; the tests' own displays are below 900.
n=900
while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
display=":$n"

echo "# members come and go"
export WINEPREFIX="$work/p1" DISPLAY="$display"
starting; a=$last_member
check "the first member starts the session" is "$rc" 0
server=$(status server)
check "it starts a server and boots the prefix" test -d "$WINEPREFIX/drive_c/windows/system32" -a "${server#*, }" = "started by the session"
check "it starts the private display" answers "$display"
starting; b=$last_member
check "a second member joins the same server" is "$rc/$(status server)" "0/$server"
member; g=$last_member
sh "$session" boot "$g"
check "a program scripts/run.sh starts in the prefix joins too" is "$(status members)" 3
sh "$session" stop "$a"
check "when one member leaves, the server the others need keeps running" is "$(status server)" "$server"
check "and so does the display" answers "$display"
kill "$b"
starting; c=$last_member
check "a member that ended without stopping holds nothing; the next joins" is "$rc/$(status server)/$(status members)" "0/$server/2"
sh "$session" stop "$c"
check "the program scripts/run.sh started keeps the server running" is "$(status server)" "$server"
starting DISPLAY=
check "a member without the display can't join while that program uses the server" is "$rc/$(status server)" "1/$server"
check "saying so" said "draws on display '$display', not ''"
kill "$g"
starting DISPLAY=; h=$last_member
check "once no member uses it, the server is replaced" is "$rc/$(status members)" 0/1
check "by another" differs "$(status server)" "$server"
check "and the display ends" silent "$display"
sh "$session" stop "$h"
check "when the last member has gone, the server ends" is "$(status server)" none

echo "# servers started elsewhere"
unset DISPLAY
# A server shows in /proc a moment after its parent returns.
appeared() {
  deadline=$(($(date +%s) + 10))
  while [ "$(status server)" = none ] && [ "$(date +%s)" -lt "$deadline" ]; do sleep 0.1; done
}
wineserver -p </dev/null >/dev/null 2>&1
appeared
foreign=$(status server)
starting; d=$last_member
check "a server kept for good is joined" is "$rc/$(status server)" "0/$foreign"
sh "$session" stop "$d"
check "and never ended" is "$(status server)" "$foreign"
wineserver -k
# A server that ends 10 s after its last program, as scripts/run.sh leaves one (a minute).
wineserver -p10 </dev/null >/dev/null 2>&1
appeared
short=$(status server)
wine cmd /c exit 0 </dev/null >/dev/null 2>&1
starting; e=$last_member
check "one that ends on its own is waited for and replaced" is "$rc" 0
check "by a server of the session" differs "$(status server)" "$short"
check "saying so" said "Waiting up to"
sh "$session" stop "$e"

echo "# failing starts"
export DISPLAY="$display"
starting WINESERVER=/nonexistent/wineserver
check "a server that cannot start fails the start" is "$rc" 1
check "saying so" said "The Wine server did not start"
check "and the display it started is ended" silent "$display"

: >"$work/p-file"
starting WINEPREFIX="$work/p-file/prefix"
check "a prefix that cannot be made fails the start, saying so" is "$rc/$(grep -c 'Cannot create the Wine prefix' "$work/err")" 1/1

sleep 600 &
holder=$!
sleepers="$sleepers $holder"
printf '%10d\n' "$holder" >"/tmp/.X$n-lock"
starting
rm -f "/tmp/.X$n-lock"
check "a display held by something that isn't an X server fails the start" is "$rc" 1
check "naming the process" said "held by process $holder (sleep)"
check "before any server starts" is "$(status server)" none

mkdir "$work/bin"
for tool in cat stat readlink basename date sleep mkdir rm flock timeout xdpyinfo tail sed tr find; do
  ln -s "$(command -v "$tool")" "$work/bin/$tool"
done
starting PATH="$work/bin"
check "a missing Xvfb fails the start, saying so" is "$rc/$(grep -c 'Xvfb is missing' "$work/err")" 1/1

export WINEPREFIX="$work/p2"
starting KESTRANE_WINEBOOT_SECONDS=1
check "a wineboot over its time limit fails the start" is "$rc" 1
check "saying so" said "wineboot did not finish within 1 s"
check "and the server it started is ended" is "$(status server)" none
check "and the display" silent "$display"

if [ "$failures" -ne 0 ]; then
  echo "$failures failed"
  exit 1
fi
