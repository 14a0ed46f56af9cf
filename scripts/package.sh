#!/bin/sh
# Builds the configuration players get and packs the release they download:
#   dist/Kestrane-<version>-win64.zip and, beside it, its .sha256
# The zip holds one folder, Kestrane/, with Kestrane.exe (Release, no symbols, the retail
# main.dol digest), fonts/ (the bundled faces and their licence) and README.txt. Two runs on
# one commit give the same bytes: the entries in a fixed order, every time stamp the
# commit's, fixed attributes and no link time in the executable.
#   KESTRANE_RELEASE_BUILD_DIR   where the release is built (default: build-release)
#   KESTRANE_DIST_DIR            where the zip goes (default: dist)
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
build=${KESTRANE_RELEASE_BUILD_DIR:-$top/build-release}
dist=${KESTRANE_DIST_DIR:-$top/dist}

fail() { echo "package: $*" >&2; exit 1; }
command -v python3 >/dev/null 2>&1 || fail "python3 is missing, and it writes the zip: run scripts/install-deps.sh"

# The one place the version is written.
version=$(sed -n 's/^constexpr const char kVersion\[\] = "\([0-9]*\.[0-9]*\.[0-9]*\)";.*/\1/p' "$top/settings/product.h")
[ -n "$version" ] || fail "settings/product.h has no kVersion[] = \"MAJOR.MINOR.PATCH\""
name="Kestrane-$version-win64.zip"

# Every entry carries the time of the commit packed (or SOURCE_DATE_EPOCH when set).
stamp=${SOURCE_DATE_EPOCH:-$(git -C "$top" log -1 --format=%ct 2>/dev/null || true)}
[ -n "$stamp" ] || fail "cannot tell the commit's time: set SOURCE_DATE_EPOCH (seconds since 1970)"

work=$(mktemp -d "${TMPDIR:-/tmp}/kestrane-package.XXXXXX")
trap 'rm -rf "$work"' EXIT
stage=$work/stage
# The build's own output only when it fails.
built() {
  if ! "$@" >"$work/build.log" 2>&1; then
    tail -n 40 "$work/build.log" >&2
    fail "the release build failed"
  fi
}
built cmake -S "$top" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DKESTRANE_TESTS=OFF
built cmake --build "$build" --target Kestrane -- -j"$(nproc)"
mkdir -p "$stage/Kestrane/fonts"
cp "$build/bin/Kestrane.exe" "$stage/Kestrane/"
# The fonts the build copies next to the launcher, which is where it looks for them.
cp "$build/bin/fonts/"* "$stage/Kestrane/fonts/"
# Notepad on older Windows shows LF-only text as one line.
sed -e "s/@VERSION@/$version/g" -e 's/$/\r/' "$top/assets/README.txt.in" >"$stage/Kestrane/README.txt"

mkdir -p "$dist"
python3 - "$stage" "$dist/$name.tmp" "$stamp" <<'EOF'
import os, sys, time, zipfile
stage, out, stamp = sys.argv[1], sys.argv[2], int(sys.argv[3])
when = time.gmtime(max(stamp, 315532800))[:6]  # zip times start in 1980
def entry(name, is_dir):
    info = zipfile.ZipInfo(name, when)
    info.create_system = 0                        # MS-DOS attributes, as Windows reads them
    info.external_attr = 0x10 if is_dir else 0x20  # directory / archive
    info.compress_type = zipfile.ZIP_STORED if is_dir else zipfile.ZIP_DEFLATED
    return info
with zipfile.ZipFile(out, "w") as z:
    for folder, dirs, files in os.walk(stage):
        dirs.sort()
        rel = os.path.relpath(folder, stage)
        if rel != ".":
            z.writestr(entry(rel.replace(os.sep, "/") + "/", True), b"")
        for f in sorted(files):
            with open(os.path.join(folder, f), "rb") as data:
                z.writestr(entry(os.path.join(rel, f).replace(os.sep, "/"), False), data.read(), compresslevel=9)
EOF
mv -f "$dist/$name.tmp" "$dist/$name"
(cd "$dist" && sha256sum "$name" >"$name.sha256.tmp" && mv -f "$name.sha256.tmp" "$name.sha256")
echo "$dist/$name ($(wc -c <"$dist/$name") bytes)"
python3 -c 'import sys, zipfile
for i in zipfile.ZipFile(sys.argv[1]).infolist(): print("  %9d  %s" % (i.file_size, i.filename))' "$dist/$name"
