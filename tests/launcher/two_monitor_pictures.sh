#!/bin/sh
# The Display page as a PC with two monitors shows it (its Monitor row), at the four
# picture sizes: two_monitor_pictures.sh BUILD_DIR OUT_DIR
#
# The tests' X server has one screen. This one has two, joined by Xinerama, and Wine is
# told (in a prefix of its own, so the tests' prefix stays as it is) to list monitors
# through Xinerama rather than RandR, which sees only one.
set -u
build=$(cd "$1" && pwd)
out=$2
test_display=${DISPLAY:-:100}
number=$((${test_display#:} + 1000))
export WINEPREFIX="$build/wineprefix-two-monitors"
export DISPLAY=":$number"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

Xvfb "$DISPLAY" +xinerama -screen 0 1280x1024x24 -screen 1 1920x1080x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
xvfb=$!
i=0
while [ ! -S "/tmp/.X11-unix/X$number" ] && [ $i -lt 50 ]; do sleep 0.1; i=$((i + 1)); done

status=0
if [ ! -d "$WINEPREFIX" ]; then wine wineboot --init </dev/null >/dev/null 2>&1; fi
wine reg add 'HKCU\Software\Wine\X11 Driver' /v UseXRandR /t REG_SZ /d N /f </dev/null >/dev/null 2>&1
wineserver -k </dev/null >/dev/null 2>&1  # the desktop reads the switch when it starts

profile=$(mktemp -d)
state=settings-display-two-monitors
LOCALAPPDATA="Z:$(echo "$profile" | tr / '\\')" KESTRANE_SETTINGS_FILE= \
  wine "$build/bin/launcher_probe.exe" shots "$out" "$state" settings:display </dev/null >/dev/null 2>&1 || status=1
for size in 1280x720 1920x1080 1280x800 1024x576; do
  wine "$build/bin/launcher_gallery.exe" --png "$out/$size/$state.bmp" </dev/null >/dev/null 2>&1 || status=1
done
[ $status -eq 0 ] && echo "$state" || echo "FAILED $state" >&2

wineserver -k </dev/null >/dev/null 2>&1
kill "$xvfb" 2>/dev/null
rm -rf "$profile"
exit $status
