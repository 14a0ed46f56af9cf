#!/bin/sh
# The release as a player gets it: scripts/package.sh run twice, each time building from
# nothing in a folder of its own, gives the same zip byte for byte, with its checksum
# beside it and nothing in it but Kestrane/ with the launcher, README.txt and the fonts.
# Given the stand-ins as the outside programs and a stand-in source, it also makes the
# full download, with everything where the launcher looks, and leaves the launcher-only
# zip as it was. Each unpacked into a folder named with a space and non-ASCII letters,
# the launcher there judges a dump, draws Home with its own fonts and carries its
# version, and from the full download the first setup runs through PLAY (the checks of
# package_tests.exe, run in the tests' Wine session).
set -u
top=$(cd "$(dirname "$0")/../.." && pwd)
. "$top/tests/scripts/check.sh"
: "${KESTRANE_BUILD_DIR:?KESTRANE_BUILD_DIR must name the build holding package_tests.exe}"
# Wine reads Linux file names in the locale's character set.
export LC_ALL=C.UTF-8
work=$(mktemp -d "${TMPDIR:-/tmp}/kestrane-package-test.XXXXXX")
trap 'rm -rf "$work"' EXIT
trap 'exit 130' HUP INT TERM
version=$(sed -n 's/^constexpr const char kVersion\[\] = "\([0-9.]*\)";.*/\1/p' "$top/settings/product.h")
zip="Kestrane-$version-win64.zip"

package() {  # NAME [ARGS]: builds into $work/build-NAME and packs into $work/dist-NAME
  name=$1
  shift
  KESTRANE_RELEASE_BUILD_DIR="$work/build-$name" KESTRANE_DIST_DIR="$work/dist-$name" \
    sh "$top/scripts/package.sh" "$@" >"$work/package-$name.log" 2>&1
}
package one
check "the script makes the zip" is "$?/$(test -f "$work/dist-one/$zip" && echo made)" "0/made"
sed 's/^/  | /' "$work/package-one.log"
check "with its checksum beside it" sh -c "cd '$work/dist-one' && sha256sum --quiet -c '$zip.sha256'"
package two
check "a second run, built elsewhere, makes the same bytes" cmp "$work/dist-one/$zip" "$work/dist-two/$zip"

listing=$(python3 -c 'import sys, zipfile
print("\n".join(sorted(zipfile.ZipFile(sys.argv[1]).namelist())))' "$work/dist-one/$zip")
wanted=$(
  {
    printf '%s\n' Kestrane/ Kestrane/Kestrane.exe Kestrane/README.txt Kestrane/fonts/
    for f in "$top"/assets/fonts/*.ttf "$top"/assets/fonts/OFL.txt; do printf 'Kestrane/fonts/%s\n' "${f##*/}"; done
  } | sort
)
check "the zip holds Kestrane/ with the launcher, README.txt and the fonts, and nothing else" is "$listing" "$wanted"

readme() { python3 -c 'import sys, zipfile; sys.stdout.write(zipfile.ZipFile(sys.argv[1]).read(sys.argv[2]).decode())' "$1" "$2"; }
title=$(readme "$work/dist-one/$zip" Kestrane/README.txt | sed -n '1s/\r$//p')
underline=$(readme "$work/dist-one/$zip" Kestrane/README.txt | sed -n '2s/\r$//p')
check "its README.txt says which download it is" is "$title" "Kestrane $version - the launcher-only download"
check "under a rule as long as that title" is "${#underline}/$(printf '%s' "$underline" | tr -d =)" "${#title}/"

# The full download, from the stand-ins: the tools folder and a source whose build script
# "builds" the game by copying the stand-in game next to the launcher.
bin="$KESTRANE_BUILD_DIR/bin"
tools="$work/tools"
source="$work/source"
mkdir -p "$tools/python" "$tools/zig" "$tools/dtk" "$source/tools/gametrial" "$source/prebuilt"
for pair in standin_python:python/python standin_zig:zig/zig dtk:dtk/dtk standin_import:import; do
  cp "$bin/${pair%%:*}.exe" "$tools/${pair#*:}.exe"
done
cp "$bin/standin_game.exe" "$source/prebuilt/KestraneGame.exe"
printf 'line=linking the game\noutput=Kestrane\\KestraneGame.exe\ngame_from=prebuilt\\KestraneGame.exe\n' \
  >"$source/tools/gametrial/link.py"
full="Kestrane-$version-win64-full.zip"
package one --tools "$tools" --source "$source"
check "given the tools and the source, the script makes the full download too" \
  is "$?/$(test -f "$work/dist-one/$full" && echo made)" "0/made"
sed 's/^/  | /' "$work/package-one.log"
check "with its checksum beside it" sh -c "cd '$work/dist-one' && sha256sum --quiet -c '$full.sha256'"
check "and the launcher-only zip stays the same bytes" cmp "$work/dist-one/$zip" "$work/dist-two/$zip"
full_listing=$(python3 -c 'import sys, zipfile
print("\n".join(sorted(n for n in zipfile.ZipFile(sys.argv[1]).namelist() if not n.endswith("/"))))' "$work/dist-one/$full")
full_wanted=$(printf '%s\n' README.txt tools/gametrial/link.py prebuilt/KestraneGame.exe Kestrane/Kestrane.exe \
  Kestrane/import.exe Kestrane/tools/python/python.exe Kestrane/tools/zig/zig.exe Kestrane/tools/dtk/dtk.exe \
  "$top"/assets/fonts/*.ttf "$top"/assets/fonts/OFL.txt | sed 's#^/.*/#Kestrane/fonts/#; s#^#Kestrane/#' | sort)
check "the full download holds the source around the launcher's folder, the tools beside the launcher" \
  is "$full_listing" "$full_wanted"
check "its README.txt says it is the full download" \
  is "$(readme "$work/dist-one/$full" Kestrane/README.txt | sed -n '1s/\r$//p')" "Kestrane $version - the full download"

unpack() {  # ZIP PARENT: unpacks into PARENT/Kestrane Łódź ü
  mkdir -p "$2/Kestrane Łódź ü"
  python3 -c 'import sys, zipfile; zipfile.ZipFile(sys.argv[1]).extractall(sys.argv[2])' "$1" "$2/Kestrane Łódź ü"
}
parent="$work/unpacked"
unpack "$work/dist-one/$zip" "$parent"
check "it unpacks into a folder with a space and non-ASCII letters" test -f "$parent/Kestrane Łódź ü/Kestrane/Kestrane.exe"
full_parent="$work/unpacked-full"
unpack "$work/dist-one/$full" "$full_parent"
check "the full download too" test -f "$full_parent/Kestrane Łódź ü/Kestrane/Kestrane/Kestrane.exe"

windows() { printf 'Z:%s' "$1" | tr / '\\'; }
started=$(date +%s)
KESTRANE_UNPACKED_IN=$(windows "$parent") KESTRANE_FULL_UNPACKED_IN=$(windows "$full_parent") \
  sh "$top/cmake/wine-run.sh" "$KESTRANE_BUILD_DIR/bin/package_tests.exe" --gtest_color=no >"$work/checks.log" 2>&1
rc=$?
sed 's/^/  | /' "$work/checks.log"
echo "  (the checks took $(($(date +%s) - started)) s)"
check "there it judges a dump, draws Home with its own fonts and carries its version, and the full download gets to PLAY" \
  is "$rc" 0

verdict
