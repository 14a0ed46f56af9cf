#!/bin/sh
# Writes a small fake disc dump to try the launcher on:
#   scripts/make-fixture-dump.sh [FOLDER]     a Linux folder (default /tmp/kestrane-fixture)
# Its main.dol is the test builds' fixture, not the retail disc's, so Kestrane.exe judges
# it "not supported" and KestraneTestBuild.exe "ready". The folder must be new, empty, or
# an earlier fixture dump: nothing else in it is ever overwritten.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
folder=${1:-/tmp/kestrane-fixture}
# The folder is a Linux one. A Z: path (Wine's name for /) is translated; other Windows
# paths would become odd folders named "C:\..." here, so they are refused.
case $folder in
  [Zz]:\\* | [Zz]:/*) folder=$(printf '%s' "${folder#??}" | tr '\\' /) ;;
  [A-Za-z]:* | *\\*)
    printf '%s is a Windows path; give the Linux folder instead, e.g. /tmp/kestrane-fixture, or a Z: path.\n' "$folder" >&2
    exit 2 ;;
esac
case $folder in /*) ;; *) folder="$(pwd)/$folder" ;; esac
[ "$folder" = / ] || folder=${folder%/}
if [ -e "$folder" ] || [ -L "$folder" ]; then
  [ -d "$folder" ] && [ ! -L "$folder" ] || { echo "$folder exists and is not a folder; name another one." >&2; exit 1; }
  held=$(cd "$folder" && find . -mindepth 1 -maxdepth 2 2>/dev/null | head -n 6 | LC_ALL=C sort | tr "\n" " ")
  case $held in
    "" | "./files ./files/tocres.res ./sys ./sys/boot.bin ./sys/main.dol ") ;;
    *) echo "$folder already holds other files; the fixture dump goes only into a new or empty folder, or over an earlier one." >&2
       exit 1 ;;
  esac
fi
windows=$(printf 'Z:%s' "$folder" | tr / '\\')
KESTRANE_RUN_EXE=make_fixture_dump.exe "$top/scripts/run.sh" "$windows"
printf 'Judge it with:  scripts/run.sh --judge %s\n' "'$windows'"
