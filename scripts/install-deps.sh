#!/bin/sh
# Installs the Debian packages Kestrane's build and tests need, if any are missing.
set -eu
PACKAGES="cmake ninja-build g++-mingw-w64-x86-64-posix wine wine64 googletest clang libclang-rt-14-dev xvfb libgl1-mesa-dri libgl1"
missing=""
for p in $PACKAGES; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0
echo "installing:$missing"
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO=sudo
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends $missing >/dev/null
