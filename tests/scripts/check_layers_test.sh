#!/bin/sh
# scripts/check-layers.sh over a small tree of its own that passes, then with one way of
# fooling it seeded, which it must refuse and name. Usage: check_layers_test.sh RULE, with
# RULE one of angle, dotdot, suffix, cycle.
set -u
top=$(cd "$(dirname "$0")/../.." && pwd)
. "$top/tests/scripts/check.sh"
tree=$(mktemp -d "${TMPDIR:-/tmp}/kestrane-layers-test.XXXXXX")
trap 'rm -rf "$tree"' EXIT
put() {  # path, then its lines
  mkdir -p "$tree/$(dirname "$1")"
  file=$1
  shift
  printf '%s\n' "$@" >"$tree/$file"
}
layers() { sh "$top/scripts/check-layers.sh" "$tree" >"$tree/out" 2>&1; }
refused() { ! layers && grep -qF -- "$1" "$tree/out" || { cat "$tree/out"; return 1; }; }

put platform/files.h '#pragma once'
put settings/store.h '#pragma once' '#include "platform/files.h"' '#include <string>'
put dump/judge.h '#pragma once' '#include <settings/store.h>' '#include "judge_detail.h"'
put dump/judge_detail.h '#pragma once'
put dump/judge.cpp '#include "dump/judge.h"'
put tests/support/run.h '#include "settings/store.h"'
check "the clean tree passes" layers

case ${1:-} in
angle)
  put platform/text.cpp '#include <dump/judge.h>'
  check "a <...> include against the order is refused" \
    refused 'platform/text.cpp: includes <dump/judge.h>, but platform may not use dump'
  ;;
dotdot)
  put settings/store.cpp '#include "platform/../dump/judge.h"'
  check "an include path with .. is refused" refused 'settings/store.cpp: includes "platform/../dump/judge.h"; ".."'
  put settings/store.cpp '#define HEADER "dump/judge.h"' '#include HEADER'
  check "so is a header named through a macro" refused 'settings/store.cpp: includes HEADER'
  ;;
suffix)
  for seeded in platform/a.cc platform/b.hxx platform/c.CPP platform/d.ipp; do
    put "$seeded" '#include "dump/judge.h"'
    check "an include against the order in $seeded is refused" refused "$seeded: includes"
    rm "$tree/$seeded"
  done
  ;;
cycle)
  put dump/judge_detail.h '#pragma once' '#include "dump/judge.h"'
  check "a cycle between files of one folder is refused" \
    refused 'cycle between files of one folder: dump/judge.h -> dump/judge_detail.h -> dump/judge.h'
  put dump/judge_detail.h '#pragma once'
  put platform/clock.h '#pragma once'
  put platform/clock.cpp '#include "platform/clock.h"' '#include "platform/files.h"'
  put platform/files.cpp '#include "platform/files.h"' '#include "platform/clock.h"'
  check "so is one through a header and its source" \
    refused 'cycle between files of one folder: platform/clock -> platform/files -> platform/clock'
  ;;
*)
  echo "usage: check_layers_test.sh angle|dotdot|suffix|cycle" >&2
  exit 2
  ;;
esac
verdict
