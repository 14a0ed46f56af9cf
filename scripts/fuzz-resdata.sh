#!/bin/sh
# Builds the resource-set and texture fuzzers natively (clang, libFuzzer, AddressSanitizer,
# UndefinedBehaviorSanitizer) and runs each for a bounded time from a seed corpus the
# fixture writer makes. Fails when a fuzzer finds anything; exits with 77 (ctest: skipped)
# when clang, libFuzzer or the sanitizer runtime is missing.
#   scripts/fuzz-resdata.sh [OUT_DIR]     KESTRANE_FUZZ_SECONDS per fuzzer (default 60)
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-${KESTRANE_BUILD_DIR:-$top/build}/fuzz}
seconds=${KESTRANE_FUZZ_SECONDS:-60}
CXX=${FUZZ_CXX:-clang++}
mkdir -p "$out"

# An empty fuzzer, built the way the real ones are, tells whether the toolchain is whole.
probe="$out/toolchain-probe"
printf '%s\n' '#include <cstddef>' '#include <cstdint>' \
  'extern "C" int LLVMFuzzerTestOneInput(const uint8_t*, size_t) { return 0; }' >"$probe.cpp"
if ! command -v "$CXX" >/dev/null 2>&1; then
  echo "resdata fuzzers skipped: $CXX is missing."
  echo "Install clang and the sanitizer runtime of its version (scripts/install-deps.sh --tests does)."
  exit 77
fi
if ! "$CXX" -fsanitize=fuzzer,address,undefined -o "$probe" "$probe.cpp" >"$probe.log" 2>&1; then
  echo "resdata fuzzers skipped: $CXX cannot build a libFuzzer program with the address and undefined-behaviour sanitizers:"
  sed -n '1,5s/^/  | /p' "$probe.log"
  echo "Install the sanitizer runtime of $CXX's version (scripts/install-deps.sh --tests does)."
  exit 77
fi
flags="-std=c++20 -O1 -g -I$top -Wall -Wextra -Werror -fno-omit-frame-pointer
       -fsanitize=address,undefined -fno-sanitize-recover=all"

# Every reader builds here, natively: the readers use the standard library only, so a
# Windows include sneaking into one breaks this build. Only the folder listing and the
# viewer window are Windows code. The fuzzers link what they use from the archive.
windows_side="set_listing.cpp viewer_window.cpp"
rm -rf "$out/readers"
mkdir -p "$out/readers"
for source in "$top"/resdata/*.cpp; do
  case " $windows_side " in *" $(basename "$source") "*) continue ;; esac
  # shellcheck disable=SC2086
  $CXX $flags -fsanitize=fuzzer-no-link -c -o "$out/readers/$(basename "$source" .cpp).o" "$source"
done
rm -f "$out/libreaders.a"
ar rcs "$out/libreaders.a" "$out"/readers/*.o

# shellcheck disable=SC2086
$CXX $flags -o "$out/make_fuzz_seeds" "$top/tests/resdata/fuzz/make_fuzz_seeds.cpp" \
  "$top/tests/resdata/res_fixture.cpp" "$out/libreaders.a"
for target in fuzz_resource_set fuzz_texture; do
  # shellcheck disable=SC2086
  $CXX $flags -fsanitize=fuzzer -o "$out/$target" "$top/tests/resdata/fuzz/$target.cpp" "$out/libreaders.a"
done

rm -rf "$out/seeds"
mkdir -p "$out/seeds/fuzz_resource_set" "$out/seeds/fuzz_texture"
"$out/make_fuzz_seeds" "$out/seeds/fuzz_resource_set" "$out/seeds/fuzz_texture"

status=0
for target in fuzz_resource_set fuzz_texture; do
  corpus="$out/corpus/$target"
  mkdir -p "$corpus"
  log="$out/$target.log"
  if "$out/$target" -max_total_time="$seconds" -max_len=65536 -rss_limit_mb=2048 -timeout=10 \
       -print_final_stats=1 -artifact_prefix="$out/$target-" "$corpus" "$out/seeds/$target" >"$log" 2>&1; then
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    echo "$target: ${seconds}s, ${runs:-?} runs, no finding"
  else
    echo "$target: FOUND A FAULT (log $log):"
    tail -n 60 "$log"
    status=1
  fi
done
exit $status
