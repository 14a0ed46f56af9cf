#!/bin/sh
# Throughput of the child process runner (not a test): a stand-in prints LINES numbered
# lines of 80 bytes; the runner delivers them to a line handler that checks each one.
# Beside it, the same program's output piped to wc -l. Both include starting the tool,
# which under Wine is a large part of both. The two alternate round by round, so a busy
# machine slows both alike; medians are compared.
#   scripts/bench-runner.sh [LINES] [ROUNDS]
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
build=${KESTRANE_BUILD_DIR:-$top/build}
lines=${1:-200000}
rounds=${2:-7}
"$top/scripts/build.sh" >/dev/null
# In the tests' Wine session, joined for the run: a ctest running meanwhile keeps its server.
. "$build/wine-tests.env"
sh "$top/cmake/wine-session.sh" start $$
trap 'sh "$top/cmake/wine-session.sh" stop $$' EXIT
trap 'exit 130' HUP INT TERM
cd "$build/bin"

count=$(wine standin_tool.exe lines "$lines" | wc -l)
[ "$count" -eq "$lines" ] || { echo "wc -l counted $count of $lines lines" >&2; exit 1; }

runner_times=""
pipe_times=""
i=1
while [ "$i" -le "$rounds" ]; do
  report=$(wine runner_bench.exe "$lines" 1 | tr -d '\r')
  runner=$(echo "$report" | sed -n 's/^runner median \([0-9.]*\) ms.*every line delivered in order$/\1/p')
  [ -n "$runner" ] || { echo "$report" >&2; echo "the runner lost or reordered lines" >&2; exit 1; }
  t0=$(date +%s%N)
  wine standin_tool.exe lines "$lines" | wc -l >/dev/null
  t1=$(date +%s%N)
  pipe=$(awk -v ns=$((t1 - t0)) 'BEGIN { printf "%.1f", ns / 1000000 }')
  echo "round $i: runner $runner ms, pipe to wc -l $pipe ms"
  runner_times="$runner_times $runner"
  pipe_times="$pipe_times $pipe"
  i=$((i + 1))
done

median() { echo "$1" | tr ' ' '\n' | grep . | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
runner=$(median "$runner_times")
pipe=$(median "$pipe_times")
echo "$lines lines of 80 bytes, every one delivered in order"
awk -v r="$runner" -v p="$pipe" 'BEGIN { printf "median: runner %.1f ms, pipe to wc -l %.1f ms, ratio %.2f\n", r, p, r / p }'
