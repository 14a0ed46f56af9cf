#!/bin/sh
# Checks that includes run one way through the layers: fails on an include of a folder
# that is not below the including one, on any cycle between folders, on a folder of
# sources that has no place in the layers, and on platform/ naming the product.
#
# The layers, lowest first:  platform < settings < process < dump < game < jobs < ui <
# launcher < app, where ui (the toolkit) uses platform alone, and resdata stands apart
# (platform only). tests/X may include X and what X may include, the tests/ folders of
# those, and the shared test helpers (tests/support, tests/fixtures, tests/tools).
#
# Usage: scripts/check-layers.sh [SOURCE_ROOT]
set -eu
top=${1:-$(cd "$(dirname "$0")/.." && pwd)}
cd "$top"

# Every top-level folder holding C or C++ sources (build trees and hidden folders aside).
folders=$(find . -mindepth 1 -maxdepth 1 -type d ! -name '.*' ! -name 'build*' -printf '%f\n' | sort)
sources=$(for f in $folders; do
  find "$f" -type f \( -name '*.h' -o -name '*.hpp' -o -name '*.c' -o -name '*.cpp' -o -name '*.inl' \)
done | sort)
[ -n "$sources" ] || { echo "check-layers: no sources under $top" >&2; exit 1; }

# "file<TAB>included path" for every quoted include.
tab=$(printf '\t')
includes=$(printf '%s\n' "$sources" | xargs grep -H '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' |
  sed "s/^\([^:]*\):[[:space:]]*#[[:space:]]*include[[:space:]]*\"\([^\"]*\)\".*/\1$tab\2/")

# platform/ knows nothing of the product: its name belongs in settings/product.h.
named=$(grep -rIil 'kestrane' platform --include='*.h' --include='*.cpp' 2>/dev/null || true)

printf '%s\n' "$includes" | awk -F '\t' -v sources="$sources" -v named="$named" '
function add(layer, below) { allowed[layer] = " " below " " }
function folder_of(path,    parts, n) {
  n = split(path, parts, "/")
  if (parts[1] == "tests" && n >= 3) return "tests/" parts[2]
  if (n >= 2) return parts[1]
  return ""
}
function product_of(f) { return substr(f, 1, 6) == "tests/" ? substr(f, 7) : f }
function may_include(from, to,    p) {
  if (from == to) return 1
  if (from ~ /^tests\//) {
    if (to == "tests/support" || to == "tests/fixtures" || to == "tests/tools") return 1
    p = product_of(from)
    if (from == "tests/support" || from == "tests/tools") return to == "platform"
    if (from == "tests/fixtures") return index(allowed["dump"] " dump ", " " to " ") > 0
    if (!(p in allowed)) return 0
    if (to ~ /^tests\//) return product_of(to) == p || index(allowed[p], " " product_of(to) " ") > 0
    return to == p || index(allowed[p], " " to " ") > 0
  }
  return (from in allowed) && index(allowed[from], " " to " ") > 0
}
function visit(node,    i, next_node, cycle, k) {
  state[node] = 1
  stack[++depth] = node
  for (i = 1; i <= nedges[node]; i++) {
    next_node = edge[node, i]
    if (state[next_node] == 1) {
      cycle = next_node
      for (k = depth; k >= 1 && stack[k] != next_node; k--) cycle = stack[k] " -> " cycle
      cycle = next_node " -> " cycle
      print "cycle between folders: " cycle
      bad = 1
    } else if (state[next_node] == 0) {
      visit(next_node)
    }
  }
  depth--
  state[node] = 2
}
BEGIN {
  add("platform", "")
  add("settings", "platform")
  add("process", "settings platform")
  add("dump", "process settings platform")
  add("game", "dump process settings platform")
  add("jobs", "game dump process settings platform")
  add("ui", "platform")
  add("launcher", "ui jobs game dump process settings platform")
  add("app", "launcher ui jobs game dump process settings platform resdata")
  add("resdata", "platform")
  n = split(sources, list, "\n")
  for (i = 1; i <= n; i++) {
    f = folder_of(list[i])
    if (f == "" || seen_folder[f]++) continue
    p = product_of(f)
    if (f ~ /^tests\// && (f == "tests/support" || f == "tests/fixtures" || f == "tests/tools")) continue
    if (!(p in allowed)) {
      print list[i] ": the folder " f " has no place in the layers (add it to scripts/check-layers.sh and the README)"
      bad = 1
    }
  }
  m = split(named, platform_files, "\n")
  for (i = 1; i <= m; i++)
    if (platform_files[i] != "") {
      print platform_files[i] ": platform/ names the product; that belongs in settings/"
      bad = 1
    }
}
NF == 2 {
  from = folder_of($1)
  if (index($2, "/") == 0) next  # a header beside the including file
  to = folder_of($2)
  if (to == "" || from == to) next
  if (!may_include(from, to)) {
    print $1 ": includes " $2 ", but " from " may not use " to
    bad = 1
  }
  if (!((from, to) in linked)) {
    linked[from, to] = 1
    edge[from, ++nedges[from]] = to
    nodes[from] = 1
    nodes[to] = 1
  }
}
END {
  for (node in nodes) if (state[node] == 0) visit(node)
  if (bad) {
    print "check-layers: includes must run one way, lowest first: platform < settings < process < dump < game < jobs < ui < launcher < app (ui and resdata on platform alone)"
    exit 1
  }
  print "check-layers: every include runs one way"
}'
