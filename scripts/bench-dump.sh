#!/bin/sh
# Benchmarks the dump search and --judge beside plain Unix tools on the same data:
#  1. a synthetic profile of about 20,000 folders with a few dumps: the dump search
#     against `find` listing the same roots to the same depth;
#  2. a dump with a 64 MiB main.dol and 10,000 files: `Kestrane.exe --judge` against
#     `sha1sum` of main.dol plus `du -sb` of the dump.
# Figures are medians of RUNS runs (default 3), warm caches. Not a test: it prints figures.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
build=${KESTRANE_BUILD_DIR:-$top/build}
runs=${RUNS:-3}
"$top/scripts/build.sh" >/dev/null

# In the tests' Wine session, joined for the run: a ctest running meanwhile keeps its server.
. "$build/wine-tests.env"
sh "$top/cmake/wine-session.sh" start $$
work=$(mktemp -d "${TMPDIR:-/tmp}/kestrane-bench.XXXXXX")
trap 'rm -rf "$work"; sh "$top/cmake/wine-session.sh" stop $$' EXIT
trap 'exit 130' HUP INT TERM

winpath() { printf 'Z:%s' "$1" | tr / '\\'; }
now_ms() { echo $(( $(date +%s%N) / 1000000 )); }
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

make_dump() {  # folder, main.dol size in bytes, number of extra files
  mkdir -p "$1/sys" "$1/files"
  head -c "$2" /dev/urandom > "$1/sys/main.dol"
  printf 'RKVE01' > "$1/sys/boot.bin"
  printf 'toc' > "$1/files/tocres.res"
  n=0
  while [ "$n" -lt "$3" ]; do
    d="$1/files/f$((n / 100))"
    [ -d "$d" ] || mkdir "$d"
    head -c $((512 + n % 4096)) /dev/zero > "$d/r$n.bin"
    n=$((n + 1))
  done
}

# [1] The dump search over a synthetic profile.
profile="$work/profile"
for root in Downloads Desktop Documents; do
  awk -v r="$profile/$root" 'BEGIN {
    for (a = 0; a < 20; a++) for (b = 0; b < 10; b++) for (c = 0; c < 10; c++) for (d = 0; d < 2; d++)
      printf "%s/a%d/b%d/c%d/d%d\n", r, a, b, c, d }' | xargs mkdir -p
done
awk -v r="$profile/Documents" 'BEGIN { for (a = 0; a < 30; a++) for (b = 0; b < 50; b++)
  printf "%s/node_modules/p%d/m%d\n", r, a, b }' | xargs mkdir -p
make_dump "$profile/Downloads/a1/b2/Skarvel" 4194304 40
make_dump "$profile/Desktop/a3/Skarvel copy" 4194304 40
make_dump "$profile/Documents/a7/b1/old dump" 4194304 40
folders=$(find "$profile" -type d | wc -l)

search_out=$(wine "$build/bin/dump_search_bench.exe" "$(winpath "$profile")" "$runs")
search_ms=$(printf '%s\n' "$search_out" | sed -n 's/^search [0-9]*: \([0-9.]*\) ms.*/\1/p' | median)
found=$(printf '%s\n' "$search_out" | sed -n '1s/.*ms, \([0-9]*\) found/\1/p')
find_ms=$(for i in $(seq "$runs"); do
  t0=$(now_ms); (cd "$profile" && find Downloads Desktop Documents -maxdepth 3 -type d >/dev/null); echo $(( $(now_ms) - t0 ))
done | median)
echo "dump search: $folders folders, $found dumps found"
echo "  search ${search_ms} ms (median of $runs, in-process), find to depth 3 ${find_ms} ms," \
     "ratio $(awk -v a="$search_ms" -v b="$find_ms" 'BEGIN { printf "%.1f", a / (b > 0 ? b : 1) }')"

# [2] --judge on a large dump.
dump="$work/big dump"
make_dump "$dump" 67108864 10000
judge_wall=""; judge_self=""
for i in $(seq "$runs"); do
  t0=$(now_ms)
  out=$(wine "$build/bin/Kestrane.exe" --judge "$(winpath "$dump")" || true)
  judge_wall="$judge_wall $(( $(now_ms) - t0 ))"
  judge_self="$judge_self $(printf '%s\n' "$out" | sed -n '1s/.* in \([0-9]*\) ms.*/\1/p')"
done
unix_ms=$(for i in $(seq "$runs"); do
  t0=$(now_ms); sha1sum "$dump/sys/main.dol" >/dev/null; du -sb "$dump" >/dev/null; echo $(( $(now_ms) - t0 ))
done | median)
self_ms=$(echo $judge_self | tr ' ' '\n' | median)
wall_ms=$(echo $judge_wall | tr ' ' '\n' | median)
echo "--judge: 64 MiB main.dol, $(find "$dump" -type f | wc -l) files"
echo "  judge ${self_ms} ms as printed (${wall_ms} ms with Wine's start), sha1sum + du -sb ${unix_ms} ms," \
     "ratio $(awk -v a="$self_ms" -v b="$unix_ms" 'BEGIN { printf "%.1f", a / (b > 0 ? b : 1) }')"
