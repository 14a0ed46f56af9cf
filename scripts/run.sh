#!/bin/sh
# Installs what is missing, builds, and starts Kestrane.exe through Wine with the given
# arguments, in a Wine prefix of its own (build/wineprefix-run unless WINEPREFIX is set):
# the tests' session never touches it. With nothing to install or build it prints nothing
# of its own.
#   KESTRANE_RUN_EXE   another of the build's programs to start, e.g. KestraneTestBuild.exe
#   KESTRANE_NO_BUILD  when set, starts what is built without installing or building first
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
build=${KESTRANE_BUILD_DIR:-$top/build}
program=${KESTRANE_RUN_EXE:-Kestrane.exe}

# The launcher's window, the developer viewer and the game (which --launch-game and
# --enhance start) need an X display; the other modes run without one.
window=""
case $program in
  Kestrane.exe | KestraneTestBuild.exe)
    case ${1:-} in
      --judge | --setup | --ui-shot | --help | -h | '/?' | --version) ;;
      *) window=yes ;;
    esac ;;
esac
if [ -n "$window" ] && [ -z "${DISPLAY:-}" ]; then
  echo "run.sh: there is no display (DISPLAY isn't set), so $program can't open its window." >&2
  echo "  Run it from a desktop session, or name a running X server: DISPLAY=:0 scripts/run.sh ..." >&2
  echo "  --judge, --setup and --ui-shot work without a display." >&2
  exit 1
fi

if [ -z "${KESTRANE_NO_BUILD:-}" ]; then
  "$top/scripts/install-deps.sh"
  # The build's own lines, less ninja's notes when there was nothing to do.
  status=$(mktemp)
  { "$top/scripts/build.sh" 2>&1; echo $? >"$status"; } |
    grep -v -e '^ninja: no work to do\.$' -e '^\[[0-9]*/[0-9]*\] Re-checking globbed directories\.\.\.$' >&2 || true
  rc=$(cat "$status")
  rm -f "$status"
  [ "$rc" -eq 0 ] || exit "$rc"
fi
export WINEPREFIX="${WINEPREFIX:-$build/wineprefix-run}"
export WINEDEBUG="${WINEDEBUG:--all}"
# Without a sound card Wine's ALSA driver fills the console with alsa-lib's complaints
# whenever a program asks for the audio devices; it has nothing to offer then anyway.
quiet_audio=""
[ -e /dev/snd ] || quiet_audio=",winealsa.drv"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml$quiet_audio=}"
# The server and Windows' services start here, away from this script's output: started
# by the program's own Wine they would hold a pipe reading it open after the program ends.
# This process, which becomes the program, is a member if it joins a session's server.
sh "$top/cmake/wine-session.sh" boot $$ ${window:+window}
exec wine "$build/bin/$program" "$@"
