#!/bin/sh
# The README's first steps as a newcomer types them: scripts/make-fixture-dump.sh writes a
# fixture dump and prints the command that judges it; pasted into a shell, that command
# finds it "not supported" with the shipped launcher and "ready" with the test build. The
# script never writes into a folder holding anything else, and takes a Z: path for the
# Linux folder it names but refuses other Windows paths. The README's command-line table
# is what Kestrane --help prints. Runs what is built, in the tests' prefix, whose session
# scripts/run.sh joins.
set -u
top=$(cd "$(dirname "$0")/../.." && pwd)
. "$top/tests/scripts/check.sh"
work=$(mktemp -d "${TMPDIR:-/tmp}/kestrane-fixture-test.XXXXXX")
trap 'rm -rf "$work"' EXIT
export KESTRANE_NO_BUILD=1
cd "$top" || exit 1
contains() { printf '%s\n' "$1" | grep -qF -- "$2"; }

folder="$work/fixture dump"
made=$(scripts/make-fixture-dump.sh "$folder" 2>&1 | tr -d '\r')
check "the script writes a fixture dump" is "$?" 0
printf '%s\n' "$made"
hint=$(printf '%s\n' "$made" | sed -n 's/^Judge it with:  //p')
check "and prints the command that judges it" contains "$hint" "scripts/run.sh --judge 'Z:"

judge() {  # [NAME=value]: runs the printed command; prints the exit status, the first line and the third
  eval "$* $hint" >"$work/judged" 2>&1
  printf '%s|' "$?"
  tr -d '\r' <"$work/judged" | sed -n '1s/ in .*//p;3p' | tr '\n' '|'
}
check "pasted, the command has Kestrane.exe judge it not supported" \
  is "$(judge)" "1|kind 1 (not supported)|main.dol doesn't match the retail USA release (RKVE01), so this dump is modified or damaged. Dump your disc again.|"
check "and the test build judges it ready" is "$(judge KESTRANE_RUN_EXE=KestraneTestBuild.exe)" "0|kind 0 (ready)||"

scripts/make-fixture-dump.sh "$folder" >/dev/null 2>&1
check "the script writes again over its earlier dump" is "$?" 0

mkdir "$work/other"
echo keep >"$work/other/notes.txt"
refused=$(scripts/make-fixture-dump.sh "$work/other" 2>&1)
check "a folder holding anything else is refused" is "$?" 1
check "saying so" contains "$refused" "already holds other files"
check "and left as it was" is "$(ls -A "$work/other")/$(cat "$work/other/notes.txt")" "notes.txt/keep"

(cd "$work" && sh "$top/scripts/make-fixture-dump.sh" 'C:\dump' >/dev/null 2>&1)
rc=$?
check "a Windows path other than Z: is refused, writing nothing" is "$rc/$(ls -A "$work" | grep -c 'C:')" "2/0"
scripts/make-fixture-dump.sh "$(printf 'Z:%s' "$work/by z" | tr / '\\')" >/dev/null 2>&1
check "a Z: path writes into the Linux folder it names" test -f "$work/by z/sys/main.dol"

help=$(scripts/run.sh --help 2>/dev/null | tr -d '\r')
check "--help prints the usage" contains "$help" "  --judge PATH"
readme=$(sed -n '/^## The command line$/,/^## /p' README.md | sed -n '/^```$/,/^```$/p' | sed '1d;$d')
check "which the README shows as it is" is "$readme" "$help"

verdict
