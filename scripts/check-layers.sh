#!/bin/sh
# Checks that includes run one way through the layers: fails on an include of a folder
# that is not below the including one, on any cycle between folders or between files of
# one folder, on a folder of sources that has no place in the layers, and on platform/
# naming the product. Quoted and <...> includes of project folders count alike, in every
# C and C++ source suffix; an include path with ".." or a header named through a macro is
# refused, since either would hide which folder it reaches. Between files of one folder, a
# header and the source of the same name count as one: a.cpp using b.h while b.cpp uses
# a.h ties the two together as much as two headers including each other.
#
# The layers, lowest first:  platform < settings < process < dump < game < jobs < ui <
# art < launcher < app, where ui (the toolkit) uses platform alone, art (the product's
# own drawings) the toolkit and platform alone, and resdata stands apart (platform only).
# tests/X may include X and what X may include, the tests/ folders of those, and the
# shared test helpers (tests/support, tests/fixtures, tests/tools);
# tests/support itself may use process and what lies below it.
#
# Usage: scripts/check-layers.sh [SOURCE_ROOT]
set -eu
top=${1:-$(cd "$(dirname "$0")/.." && pwd)}
cd "$top"

# Every top-level folder holding C or C++ sources (build trees and hidden folders aside),
# by any suffix a compiler takes for them, in either case.
folders=$(find . -mindepth 1 -maxdepth 1 -type d ! -name '.*' ! -name 'build*' -printf '%f\n' | sort)
sources=$(for f in $folders; do
  find "$f" -type f \( -iname '*.h' -o -iname '*.hh' -o -iname '*.hpp' -o -iname '*.hxx' \
    -o -iname '*.h++' -o -iname '*.inl' -o -iname '*.ipp' -o -iname '*.tpp' -o -iname '*.tcc' \
    -o -iname '*.c' -o -iname '*.cc' -o -iname '*.cpp' -o -iname '*.cxx' -o -iname '*.c++' \
    -o -iname '*.ixx' -o -iname '*.cppm' \)
done | sort)
[ -n "$sources" ] || { echo "check-layers: no sources under $top" >&2; exit 1; }

# "file<TAB>what follows #include" for every include line.
tab=$(printf '\t')
includes=$(printf '%s\n' "$sources" | tr '\n' '\0' |
  xargs -0 grep -H '^[[:space:]]*#[[:space:]]*include' |
  sed "s/^\([^:]*\):[[:space:]]*#[[:space:]]*include[[:space:]]*/\1$tab/" || true)

# platform/ knows nothing of the product: its name belongs in settings/product.h.
named=$(printf '%s\n' "$sources" | grep '^platform/' | tr '\n' '\0' | xargs -0 -r grep -Iil 'kestrane' || true)

printf '%s\n' "$includes" | awk -F '\t' -v sources="$sources" -v named="$named" -v folders="$folders" '
function add(layer, below) { allowed[layer] = " " below " " }
function folder_of(path,    parts, n) {
  n = split(path, parts, "/")
  if (parts[1] == "tests" && n >= 3) return "tests/" parts[2]
  if (n >= 2) return parts[1]
  return ""
}
function unit_of(path) { sub(/\.[^.\/]*$/, "", path); return path }
function dir_of(path) { return sub(/\/[^\/]*$/, "", path) ? path "/" : "" }
function product_of(f) { return substr(f, 1, 6) == "tests/" ? substr(f, 7) : f }
function may_include(from, to,    p) {
  if (from == to) return 1
  if (from ~ /^tests\//) {
    if (to == "tests/support" || to == "tests/fixtures" || to == "tests/tools") return 1
    p = product_of(from)
    if (from == "tests/support") return to == "process" || index(allowed["process"], " " to " ") > 0
    if (from == "tests/tools") return to == "platform"
    if (from == "tests/fixtures") return index(allowed["dump"] " dump ", " " to " ") > 0
    if (!(p in allowed)) return 0
    if (to ~ /^tests\//) return product_of(to) == p || index(allowed[p], " " product_of(to) " ") > 0
    return to == p || index(allowed[p], " " to " ") > 0
  }
  return (from in allowed) && index(allowed[from], " " to " ") > 0
}
function link(graph, from, to) {
  if ((graph, from, to) in linked) return
  linked[graph, from, to] = 1
  edge[graph, from, ++nedges[graph, from]] = to
  if (!((graph, from) in node_seen)) { node_seen[graph, from] = 1; nodes[graph, ++nnodes[graph]] = from }
}
# Depth-first walk of one graph ("folders" or "files"); prints every cycle it closes.
function visit(graph, what, node,    i, next_node, cycle, k) {
  state[graph, node] = 1
  stack[++depth] = node
  for (i = 1; i <= nedges[graph, node]; i++) {
    next_node = edge[graph, node, i]
    if (state[graph, next_node] == 1) {
      cycle = next_node
      for (k = depth; k >= 1 && stack[k] != next_node; k--) cycle = stack[k] " -> " cycle
      print "cycle between " what ": " next_node " -> " cycle
      bad = 1
    } else if (state[graph, next_node] == 0) {
      visit(graph, what, next_node)
    }
  }
  depth--
  state[graph, node] = 2
}
function walk(graph, what,    i) {
  for (i = 1; i <= nnodes[graph]; i++)
    if (state[graph, nodes[graph, i]] == 0) visit(graph, what, nodes[graph, i])
}
BEGIN {
  add("platform", "")
  add("settings", "platform")
  add("process", "settings platform")
  add("dump", "process settings platform")
  add("game", "dump process settings platform")
  add("jobs", "game dump process settings platform")
  add("ui", "platform")
  add("art", "ui platform")
  add("launcher", "art ui jobs game dump process settings platform")
  add("app", "launcher art ui jobs game dump process settings platform resdata")
  add("resdata", "platform")
  nf = split(folders, top_list, "\n")
  for (i = 1; i <= nf; i++) project[top_list[i]] = 1
  n = split(sources, list, "\n")
  for (i = 1; i <= n; i++) {
    is_source[list[i]] = 1
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
NF >= 2 {
  file = $1
  written = $2
  if (written ~ /^"/) { quoted = 1; path = substr(written, 2); sub(/".*/, "", path) }
  else if (written ~ /^</) { quoted = 0; path = substr(written, 2); sub(/>.*/, "", path) }
  else {
    print file ": includes " written ", a header named through a macro, which this check cannot follow"
    bad = 1
    next
  }
  gsub(/\\/, "/", path)
  np = split(path, parts, "/")
  path = ""
  for (i = 1; i <= np; i++) {
    if (parts[i] == "..") {
      print file ": includes " $2 "; \"..\" in an include path hides which folder it reaches, name the folder from the source root"
      bad = 1
      next
    }
    if (parts[i] != "." && parts[i] != "") path = path == "" ? parts[i] : path "/" parts[i]
  }
  # A quoted include finds a file beside the including one first, then from the source
  # root; a <...> include counts when it starts with a project folder.
  from = folder_of(file)
  if (quoted && is_source[dir_of(file) path]) target = dir_of(file) path
  else if (index(path, "/") > 0 && project[substr(path, 1, index(path, "/") - 1)]) target = path
  else next
  to = folder_of(target)
  if (to == "" || from == to) {
    if (!is_source[target] || target == file) next
    # These folders still hold header-and-source circles, so only their headers are held
    # to no cycle for now; take a folder off the list once its circles are gone.
    if (index(" settings dump jobs ui tests/support ", " " from " ")) link("files", file, target)
    else if (unit_of(target) != unit_of(file)) link("files", unit_of(file), unit_of(target))
    next
  }
  if (!may_include(from, to)) {
    print file ": includes " $2 ", but " from " may not use " to
    bad = 1
  }
  link("folders", from, to)
}
END {
  walk("folders", "folders")
  walk("files", "files of one folder")
  if (bad) {
    print "check-layers: includes must run one way, lowest first: platform < settings < process < dump < game < jobs < ui < art < launcher < app (ui and resdata on platform alone, art on ui and platform)"
    exit 1
  }
  print "check-layers: every include runs one way"
}'
