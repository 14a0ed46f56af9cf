#!/bin/sh
# Installs the Debian packages Kestrane needs, if any are missing.
#   scripts/install-deps.sh           building and running the launcher (scripts/run.sh)
#   scripts/install-deps.sh --tests   also the tests: the private X display, and clang with
#                                     the libFuzzer and sanitizer runtime for its version
set -eu
# fonts-wine: the fonts Wine's own programs and dialogs use (Tahoma among them), which
# Debian keeps out of wine's required packages.
PACKAGES="cmake ninja-build g++-mingw-w64-x86-64-posix wine wine64 fonts-wine googletest libgl1 libgl1-mesa-dri python3"
TEST_PACKAGES="xvfb x11-utils clang"
tests=""
case "${1:-}" in
  "") ;;
  --tests) tests=yes ;;
  *) echo "usage: $0 [--tests]" >&2; exit 2 ;;
esac

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO=sudo
installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }
known() { apt-cache show "$1" >/dev/null 2>&1; }
updated=""
update() { [ -n "$updated" ] || { $SUDO apt-get update -qq >&2; updated=yes; }; }

# The sanitizer and libFuzzer runtime must be the installed clang's own version, and its
# package name differs between releases: libclang-rt-N-dev where the runtime is packaged
# on its own (Debian 12 on), libclang-common-N-dev before that.
fuzz_runtime() {
  if command -v clang >/dev/null 2>&1; then
    version=$(clang --version | sed -n 's/.*clang version \([0-9][0-9]*\).*/\1/p' | head -n 1)
  else
    known clang || update
    version=$(apt-cache depends clang 2>/dev/null | sed -n 's/^ *Depends: clang-\([0-9][0-9]*\)$/\1/p' | head -n 1)
  fi
  [ -n "$version" ] || { echo "install-deps: cannot tell which clang version apt installs; the fuzzers will be skipped" >&2; return 0; }
  known "libclang-rt-$version-dev" || known "libclang-common-$version-dev" || update
  for p in "libclang-rt-$version-dev" "libclang-common-$version-dev"; do
    if known "$p"; then echo "$p"; return 0; fi
  done
  echo "install-deps: apt has no sanitizer runtime for clang $version; the fuzzers will be skipped" >&2
}

wanted=$PACKAGES
[ -z "$tests" ] || wanted="$wanted $TEST_PACKAGES $(fuzz_runtime)"
missing=""
for p in $wanted; do
  installed "$p" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0
echo "installing:$missing"
update
# shellcheck disable=SC2086
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends $missing >/dev/null
