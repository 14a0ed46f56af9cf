#!/bin/sh
# Builds the configuration players get and packs the downloads:
#   scripts/package.sh                             the launcher-only download
#   scripts/package.sh --tools DIR --source DIR    that, and the full download beside it
# The launcher-only download, dist/Kestrane-<version>-win64.zip, holds one folder,
# Kestrane/, with Kestrane.exe (Release, no symbols, the retail main.dol digest), fonts/
# (the bundled faces and their licence) and README.txt.
# The full download, dist/Kestrane-<version>-win64-full.zip, lays out what the launcher
# looks for where it looks: the game's source (--source DIR, whose tools\gametrial\link.py
# marks it) is the outer Kestrane/ folder, the launcher's folder Kestrane/Kestrane/ sits
# inside it, and next to Kestrane.exe are import.exe and tools\python, tools\zig and
# tools\dtk (from --tools DIR, holding python\python.exe, zig\zig.exe, dtk\dtk.exe and
# import.exe). README.txt is in the outer folder.
# Each zip has its .sha256 beside it. Two runs on one commit give the same bytes: the
# entries in a fixed order, every time stamp the commit's, fixed attributes and no link
# time in the executable.
#   KESTRANE_RELEASE_BUILD_DIR   where the release is built (default: build-release)
#   KESTRANE_DIST_DIR            where the zips go (default: dist)
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
build=${KESTRANE_RELEASE_BUILD_DIR:-$top/build-release}
dist=${KESTRANE_DIST_DIR:-$top/dist}

fail() { echo "package: $*" >&2; exit 1; }
usage() { echo "usage: scripts/package.sh [--tools DIR --source DIR]" >&2; exit 2; }

tools="" source=""
while [ $# -gt 0 ]; do
  case $1 in
    --tools) [ $# -ge 2 ] || usage; tools=$2; shift 2 ;;
    --source) [ $# -ge 2 ] || usage; source=$2; shift 2 ;;
    *) usage ;;
  esac
done
if [ -n "$tools$source" ] && { [ -z "$tools" ] || [ -z "$source" ]; }; then
  fail "the full download needs both --tools DIR and --source DIR"
fi
if [ -n "$tools" ]; then
  tools=$(cd "$tools" 2>/dev/null && pwd) || fail "--tools: no folder $tools"
  source=$(cd "$source" 2>/dev/null && pwd) || fail "--source: no folder $source"
  for f in python/python.exe zig/zig.exe dtk/dtk.exe import.exe; do
    [ -f "$tools/$f" ] || fail "--tools: $tools has no $f (it must hold python\\, zig\\, dtk\\ and import.exe)"
  done
  [ -f "$source/tools/gametrial/link.py" ] || fail "--source: $source has no tools/gametrial/link.py, so it isn't the game's source"
  # What the full download adds at the source's top must not replace any of the source.
  clash=$(cd "$source" && find . -mindepth 1 -maxdepth 1 \( -iname Kestrane -o -iname README.txt \) | head -n 1)
  [ -z "$clash" ] || fail "--source: $source already holds ${clash#./}, which the full download puts there"
fi
command -v python3 >/dev/null 2>&1 || fail "python3 is missing, and it writes the zip: run scripts/install-deps.sh"

# The one place the version is written.
version=$(sed -n 's/^constexpr const char kVersion\[\] = "\([0-9]*\.[0-9]*\.[0-9]*\)";.*/\1/p' "$top/settings/product.h")
[ -n "$version" ] || fail "settings/product.h has no kVersion[] = \"MAJOR.MINOR.PATCH\""
name="Kestrane-$version-win64.zip"
full_name="Kestrane-$version-win64-full.zip"

# Every entry carries the time of the commit packed (or SOURCE_DATE_EPOCH when set).
stamp=${SOURCE_DATE_EPOCH:-$(git -C "$top" log -1 --format=%ct 2>/dev/null || true)}
[ -n "$stamp" ] || fail "cannot tell the commit's time: set SOURCE_DATE_EPOCH (seconds since 1970)"

work=$(mktemp -d "${TMPDIR:-/tmp}/kestrane-package.XXXXXX")
trap 'rm -rf "$work"' EXIT
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

# readme KIND OUT: README.txt for the download KIND (LAUNCHER or FULL), with CR LF line
# ends (Notepad on older Windows shows LF-only text as one line).
readme() {
  python3 - "$top/assets/README.txt.in" "$1" "$version" "$2" <<'EOF'
import sys
template, kind, version, out = sys.argv[1:5]
title = {"LAUNCHER": "Kestrane %s - the launcher-only download", "FULL": "Kestrane %s - the full download"}[kind] % version
lines, keep = [], [True]
for line in open(template, encoding="utf-8").read().splitlines():
    if line.startswith("@IF "):
        keep.append(keep[-1] and line[4:].rstrip("@") == kind)
    elif line == "@END@":
        keep.pop()
    elif keep[-1]:
        lines.append(line.replace("@TITLE@", title + "\n" + "=" * len(title)).replace("@VERSION@", version))
with open(out, "w", encoding="utf-8", newline="\r\n") as f:
    f.write("\n".join(lines) + "\n")
EOF
}

# launcher FOLDER: Kestrane.exe and the fonts the build copies next to it, which is where
# it looks for them.
launcher() {
  mkdir -p "$1/fonts"
  cp "$build/bin/Kestrane.exe" "$1/"
  cp "$build/bin/fonts/"* "$1/fonts/"
}

# pack STAGE OUT: every file and folder below STAGE, sorted, into the zip OUT (via OUT.tmp).
pack() {
  python3 - "$1" "$2.tmp" "$stamp" <<'EOF'
import os, shutil, sys, time, zipfile
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
            path, info = os.path.join(folder, f), entry(os.path.join(rel, f).replace(os.sep, "/"), False)
            with open(path, "rb") as data:
                if os.path.getsize(path) < (64 << 20):
                    z.writestr(info, data.read(), compresslevel=9)
                    continue
                # A toolchain's big files are streamed, at the same level.
                info._compresslevel = 9
                with z.open(info, "w", force_zip64=True) as item:
                    shutil.copyfileobj(data, item, 1 << 20)
EOF
  mv -f "$2.tmp" "$2"
  (cd "$(dirname "$2")" && sha256sum "${2##*/}" >"${2##*/}.sha256.tmp" && mv -f "${2##*/}.sha256.tmp" "${2##*/}.sha256")
  echo "$2 ($(wc -c <"$2") bytes)"
  python3 -c 'import sys, zipfile
for i in zipfile.ZipFile(sys.argv[1]).infolist(): print("  %9d  %s" % (i.file_size, i.filename))' "$2" |
    if [ "${3:-}" = brief ]; then sed -n '1,12p'; else cat; fi
}

mkdir -p "$dist"
stage=$work/stage
launcher "$stage/Kestrane"
readme LAUNCHER "$stage/Kestrane/README.txt"
pack "$stage" "$dist/$name"

if [ -n "$tools" ]; then
  full=$work/full
  mkdir -p "$full/Kestrane"
  cp -R "$source/." "$full/Kestrane/"
  inner=$full/Kestrane/Kestrane
  launcher "$inner"
  cp "$tools/import.exe" "$inner/"
  mkdir -p "$inner/tools"
  for t in python zig dtk; do cp -R "$tools/$t" "$inner/tools/$t"; done
  readme FULL "$full/Kestrane/README.txt"
  pack "$full" "$dist/$full_name" brief
fi
