#!/bin/sh
# The release as a player gets it: scripts/package.sh run twice, each time building from
# nothing in a folder of its own, gives the same zip byte for byte, with its checksum
# beside it and nothing in it but Kestrane/ with the launcher, README.txt and the fonts.
# Unpacked into a folder named with a space and non-ASCII letters, the launcher there
# judges a dump, draws Home with its own fonts and carries its version (the checks of
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

package() {  # NAME: builds into $work/build-NAME and packs into $work/dist-NAME
  KESTRANE_RELEASE_BUILD_DIR="$work/build-$1" KESTRANE_DIST_DIR="$work/dist-$1" \
    sh "$top/scripts/package.sh" >"$work/package-$1.log" 2>&1
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

parent="$work/unpacked"
mkdir -p "$parent/Kestrane Łódź ü"
python3 -c 'import sys, zipfile; zipfile.ZipFile(sys.argv[1]).extractall(sys.argv[2])' \
  "$work/dist-one/$zip" "$parent/Kestrane Łódź ü"
check "it unpacks into a folder with a space and non-ASCII letters" test -f "$parent/Kestrane Łódź ü/Kestrane/Kestrane.exe"

windows=$(printf 'Z:%s' "$parent" | tr / '\\')
KESTRANE_UNPACKED_IN=$windows sh "$top/cmake/wine-run.sh" "$KESTRANE_BUILD_DIR/bin/package_tests.exe" \
  --gtest_color=no >"$work/checks.log" 2>&1
rc=$?
grep -v '^ALSA lib' "$work/checks.log" | sed 's/^/  | /'
check "there it judges a dump, draws Home with its own fonts and carries its version" is "$rc" 0

verdict
