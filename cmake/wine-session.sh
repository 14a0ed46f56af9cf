#!/bin/sh
# The Wine session of one prefix (WINEPREFIX): a Wine server kept running with the prefix
# booted in it and, when DISPLAY is set, a private Xvfb display for the windows that need
# OpenGL. Wine's desktop binds to the display at wineboot, so the X server comes first.
#
#   wine-session.sh start [PID]  PID (default: the caller, e.g. ctest) joins the session,
#                                which starts the display and the server if they don't run
#   wine-session.sh stop [PID]   PID leaves; once no member runs, the server and display
#                                this session started are ended, and nothing else
#   wine-session.sh boot [PID [window]]
#                                for scripts/run.sh: boots the prefix and starts a server
#                                when none runs; no display, nothing is ended: a server
#                                started here ends by itself a minute after the last
#                                Windows program in it. Joining a session's server, PID
#                                (the program about to run) becomes a member of it. With
#                                "window", a server of run.sh's that draws on another
#                                display than DISPLAY is waited for rather than used: its
#                                desktop would give the window the wrong screen size.
#   wine-session.sh status       which server runs in the prefix, who started it, members
#
# Members are processes, so one that ended without stopping (a killed ctest) holds nothing.
# A server running in the prefix that no session started is joined when it suits (kept
# running for good, same display) and waited for otherwise; it is never ended from here.
# Every step has a time limit; a failure says what failed and exits with status 1.
# The servers and wineboot must not inherit the caller's pipes (ctest waits until those
# close) nor the session lock (fd 9), so they get /dev/null or a log file and fd 9 closed.
set -u
action=${1:-start}
member=${2:-$PPID}
: "${WINEPREFIX:?WINEPREFIX must name the prefix of the session}"
export WINEDEBUG=-all
# No Mono or Gecko installers: the programs need neither, and their prompts would stall a headless run.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
WINESERVER=${WINESERVER:-wineserver}
display=${DISPLAY:-}
state="$WINEPREFIX/.kestrane-session"

# Time limits, in seconds. The lock may be held by a start that is booting a new prefix.
lock_wait=${KESTRANE_WINE_LOCK_SECONDS:-600}
boot_limit=${KESTRANE_WINEBOOT_SECONDS:-300}
server_limit=30
display_limit=20
foreign_wait=90
boot_linger=60

say() { printf 'wine-session: %s\n' "$*" >&2; }
show_log() { [ -s "$1" ] && tail -n 8 "$1" | sed 's/^/  | /' >&2; return 0; }
locked=""
fail() {
  say "$@"
  # A start that fails leaves nothing of its own running.
  [ -n "$locked" ] && [ "$action" = start ] && end_if_unused
  exit 1
}

# The start time of process $1 (clock ticks after boot); empty once it has ended. Pids
# are reused, so a member or a record names a process by both. Zombies count as ended.
started_at() {
  s=$(cat "/proc/$1/stat" 2>/dev/null) || return 0
  # shellcheck disable=SC2086
  set -- ${s##*) }
  case $1 in Z | X | x) return 0 ;; esac
  shift 19
  printf '%s' "$1"
}

# Prints the pid in record file $1 (pid, start time, more) while that process runs.
recorded_pid() {
  [ -f "$1" ] || return 1
  read -r rpid rstart _ <"$1" || return 1
  [ -n "$rpid" ] && [ "$(started_at "$rpid")" = "$rstart" ] || return 1
  printf '%s' "$rpid"
}

# Waits up to $3 s for process $1 (started at $2) to end.
wait_gone() {
  deadline=$(($(date +%s) + $3))
  while [ "$(started_at "$1")" = "$2" ]; do
    [ "$(date +%s)" -lt "$deadline" ] || return 1
    sleep 0.2
  done
}

# Ends process $1: TERM, then KILL after a while.
end_process() {
  rstart=$(started_at "$1")
  kill "$1" 2>/dev/null
  wait_gone "$1" "$rstart" 10 || { kill -KILL "$1" 2>/dev/null; wait_gone "$1" "$rstart" 5; }
}

# The pid of the Wine server of the prefix. A server works in a folder named after the
# prefix's device and inode, "server-<dev>-<inode>" in hexadecimal.
find_server() {
  want=$(stat -Lc '%d %i' "$WINEPREFIX" 2>/dev/null) || return 1
  # shellcheck disable=SC2086
  want=$(printf 'server-%x-%x' $want)
  for exe in $(find /proc -mindepth 2 -maxdepth 2 -name exe -lname '*/wineserver*' 2>/dev/null); do
    p=${exe%/exe}
    [ "$(basename "$(readlink "$p/cwd" 2>/dev/null)")" = "$want" ] || continue
    [ -n "$(started_at "${p#/proc/}")" ] || continue
    printf '%s' "${p#/proc/}"
    return 0
  done
  return 1
}

# Prints the server's pid once find_server sees it, waiting up to $1 s.
wait_for_server() {
  deadline=$(($(date +%s) + $1))
  until find_server; do
    [ "$(date +%s)" -lt "$deadline" ] || return 1
    sleep 0.1
  done
}

# Whether server $1 stays up for good (its last -p option has no number of seconds).
kept_for_good() {
  tr '\0' '\n' <"/proc/$1/cmdline" 2>/dev/null | {
    kept=no
    while read -r arg; do
      case $arg in -p | --persistent) kept=yes ;; -p* | --persistent=*) kept=no ;; esac
    done
    [ "$kept" = yes ]
  }
}

# The Windows programs running in the prefix, by name, leaving out Wine's own services.
programs_in_prefix() {
  for p in /proc/[0-9]*; do
    case $(readlink "$p/exe" 2>/dev/null) in */wine64-preloader | */wine-preloader | */wine64 | */wine) ;; *) continue ;; esac
    tr '\0' '\n' <"$p/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" || continue
    case $(cat "$p/comm" 2>/dev/null) in
      services.exe | winedevice.exe | plugplay.exe | explorer.exe | svchost.exe | rpcss.exe | conhost.exe | wineboot.exe | start.exe) ;;
      *) cat "$p/comm" 2>/dev/null ;;
    esac
  done | tr '\n' ' ' | sed 's/ $//'
}

display_of() { tr '\0' '\n' <"/proc/$1/environ" 2>/dev/null | sed -n 's/^DISPLAY=//p'; }

answers() { timeout 10 xdpyinfo -display "$1" </dev/null >/dev/null 2>&1; }

members_left() {
  for f in "$state"/members/*; do
    [ -f "$f" ] || continue
    m=${f##*/}
    if [ "$(started_at "$m")" = "$(cat "$f" 2>/dev/null)" ]; then return 0; fi
    rm -f "$f"  # ended without stopping
  done
  return 1
}

# With no member left, ends the server and the display this session started.
end_if_unused() {
  members_left && return 0
  if pid=$(recorded_pid "$state/server"); then
    pstart=$(started_at "$pid")
    timeout "$server_limit" "$WINESERVER" -k </dev/null >/dev/null 2>&1 9>&-
    wait_gone "$pid" "$pstart" 15 || end_process "$pid"
  fi
  rm -f "$state/server"
  if pid=$(recorded_pid "$state/xvfb"); then end_process "$pid"; fi
  rm -f "$state/xvfb"
}

take_lock() {
  mkdir -p "$WINEPREFIX" 2>/dev/null || fail "Cannot create the Wine prefix $WINEPREFIX."
  mkdir -p "$state/members" 2>/dev/null && : 2>/dev/null >>"$state/lock" ||
    fail "Cannot write in the Wine prefix $WINEPREFIX (the session keeps its state there)."
  exec 9>>"$state/lock"
  flock -w "$lock_wait" 9 || fail "The Wine session of $WINEPREFIX stayed busy for $lock_wait s (another start or stop held it)."
  locked=yes
}

# The private X display: started unless something already answers there.
serve_display() {
  [ -n "$display" ] || return 0
  command -v xdpyinfo >/dev/null 2>&1 ||
    fail "xdpyinfo is missing, so the X display $display can't be checked: install x11-utils (scripts/install-deps.sh --tests does)."
  answers "$display" && return 0
  command -v Xvfb >/dev/null 2>&1 ||
    fail "Xvfb is missing, so the private X display $display can't start: install xvfb (scripts/install-deps.sh --tests does)."
  number=${display#*:}
  number=${number%%.*}
  log="$state/xvfb.log"
  Xvfb ":$number" -screen 0 1280x1024x24 -nolisten tcp </dev/null >"$log" 2>&1 9>&- &
  pid=$!
  echo "$pid $(started_at "$pid") $display" >"$state/xvfb"
  deadline=$(($(date +%s) + display_limit))
  what=""
  until answers "$display"; do
    if [ -z "$(started_at "$pid")" ]; then
      what="Xvfb ended without serving the private X display $display."
    elif [ "$(date +%s)" -ge "$deadline" ]; then
      what="The private X display $display did not answer within $display_limit s."
    fi
    if [ -n "$what" ]; then
      held=""
      lock="/tmp/.X$number-lock"
      holder=$(tr -dc 0-9 <"$lock" 2>/dev/null)
      if [ -n "$holder" ] && [ "$holder" != "$pid" ] && [ -n "$(started_at "$holder")" ]; then
        held=" Display $display is held by process $holder ($(cat "/proc/$holder/comm" 2>/dev/null)), which doesn't answer as an X server; end it or choose another display (cmake -DKESTRANE_TEST_DISPLAY=:N build)."
      fi
      say "$what$held Xvfb said:"
      show_log "$log"
      fail "Starting the Wine session of $WINEPREFIX failed."
    fi
    sleep 0.2
  done
}

boot_prefix() {
  log="$state/wineboot.log"
  timeout "$boot_limit" wine wineboot --init </dev/null >"$log" 2>&1 9>&-
  rc=$?
  [ "$rc" -ne 124 ] || fail "wineboot did not finish within $boot_limit s in $WINEPREFIX."
  # The registry reaches the disk later, when the server saves it; the system folder is there at once.
  if [ "$rc" -ne 0 ] || [ ! -d "$WINEPREFIX/drive_c/windows/system32" ]; then
    say "wineboot failed in $WINEPREFIX (exit status $rc):"
    show_log "$log"
    fail "Starting the Wine session of $WINEPREFIX failed."
  fi
}

# Starts a server for the prefix with persistence option $1; sets server_pid.
start_server() {
  log="$state/wineserver.log"
  timeout "$server_limit" "$WINESERVER" "$1" </dev/null >"$log" 2>&1 9>&-
  rc=$?
  # The server's parent returns before /proc shows the server in its folder, at times.
  server_pid=""
  [ "$rc" -ne 0 ] || server_pid=$(wait_for_server 10)
  if [ -z "$server_pid" ]; then
    say "The Wine server did not start for $WINEPREFIX ($WINESERVER, exit status $rc):"
    show_log "$log"
    fail "Starting the Wine session of $WINEPREFIX failed."
  fi
}

# Joins the running server, or starts one and boots the prefix in it.
serve_wine() {
  if pid=$(find_server); then
    if [ "$(recorded_pid "$state/server")" = "$pid" ]; then
      read -r _ _ served <"$state/server"
      [ "${served:-}" = "$display" ] && return 0
      # The session's, for another display: replaced once no member uses it.
      ! members_left ||
        fail "The Wine server of $WINEPREFIX draws on display '${served:-}', not '$display', and a member still uses it."
      end_if_unused
    else
      # Started by something else: usable only if it stays up and draws where we do.
      if kept_for_good "$pid" && [ "$(display_of "$pid")" = "$display" ]; then return 0; fi
      say "Waiting up to $foreign_wait s for a Wine server this session didn't start (process $pid) to end in $WINEPREFIX."
      wait_gone "$pid" "$(started_at "$pid")" "$foreign_wait" ||
        fail "A Wine server this session didn't start (process $pid) still runs in $WINEPREFIX after $foreign_wait s, and the session can't use it: it isn't kept running for good, or it draws on another display than '$display'. Let its programs end, or end them and it with: WINEPREFIX='$WINEPREFIX' wineserver -k"
    fi
  fi
  command -v wine >/dev/null 2>&1 || fail "wine is missing: install wine and wine64 (scripts/install-deps.sh does)."
  rm -f "$state/server"
  start_server -p
  echo "$server_pid $(started_at "$server_pid") $display" >"$state/server"
  boot_prefix
}

case "$action" in
  start)
    [ -n "$(started_at "$member")" ] || fail "Process $member, which was to join the Wine session, isn't running."
    take_lock
    members_left  # forgets members that have ended
    serve_display
    serve_wine
    started_at "$member" >"$state/members/$member"
    exit 0 ;;
  stop)
    [ -d "$state" ] || exit 0
    take_lock
    rm -f "$state/members/$member"
    end_if_unused
    exit 0 ;;
  boot)
    take_lock
    if [ "${3:-}" = window ] && pid=$(find_server) && [ "$(recorded_pid "$state/server")" != "$pid" ] &&
      [ "$(display_of "$pid")" != "$display" ]; then
      drew=$(display_of "$pid")
      if [ -n "$drew" ]; then drew="for display $drew"; else drew="without a display"; fi
      pstart=$(started_at "$pid")
      if [ -z "$(programs_in_prefix)" ]; then
        # Only Wine's own services run in it: ending it loses nothing.
        say "The Wine server of $WINEPREFIX (process $pid) was started $drew and no program runs in it; ending it, so the window gets the screen's size."
        timeout "$server_limit" "$WINESERVER" -k </dev/null >/dev/null 2>&1 9>&-
        wait_gone "$pid" "$pstart" 15 || end_process "$pid"
      else
        say "The Wine server of $WINEPREFIX (process $pid) was started $drew, so a window would get the wrong screen size in it. Waiting up to $foreign_wait s for its programs ($(programs_in_prefix)) to end and it with them."
        wait_gone "$pid" "$pstart" "$foreign_wait" ||
          fail "The Wine server of $WINEPREFIX (process $pid) still runs after $foreign_wait s. Let its programs end, or end them and it with: WINEPREFIX='$WINEPREFIX' wineserver -k"
      fi
    fi
    if pid=$(find_server); then
      # A session's server must not end under the program while it runs.
      if [ -n "${2:-}" ] && [ "$(recorded_pid "$state/server")" = "$pid" ] && [ -n "$(started_at "$2")" ]; then
        started_at "$2" >"$state/members/$2"
      fi
      exit 0
    fi
    command -v wine >/dev/null 2>&1 || fail "wine is missing: install wine and wine64 (scripts/install-deps.sh does)."
    start_server "-p$boot_linger"
    boot_prefix
    exit 0 ;;
  status)
    if ! pid=$(find_server); then
      echo "server none"
    elif [ "$(recorded_pid "$state/server" 2>/dev/null)" = "$pid" ]; then
      echo "server $pid, started by the session"
    else
      echo "server $pid, started elsewhere"
    fi
    n=0
    for f in "$state"/members/*; do
      [ -f "$f" ] && [ "$(started_at "${f##*/}")" = "$(cat "$f")" ] && n=$((n + 1))
    done
    echo "members $n"
    exit 0 ;;
  *)
    echo "usage: $0 start|stop [PID] | boot | status" >&2
    exit 2 ;;
esac
