// Loads every resource set of a dump and decodes every texture in it, as a check of the
// reader and the decoder against real data.
#pragma once

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "resdata/resource_library.h"

struct ScanTotals {
  int sets = 0;
  int failed_sets = 0;
  int decoded = 0;
  int failed_textures = 0;
  std::map<int, int> formats;  // format code -> textures decoded, in ascending code order

  bool Clean() const { return failed_sets == 0 && failed_textures == 0; }
};

// Scans the named sets in order, printing a "SET FAIL" or "TEX FAIL" line to `out` for
// each failure (out may be null). Sets loaded before stay loaded; the others are unloaded
// after their scan, and at most one on-demand resource is held at a time.
ScanTotals ScanResourceSets(ResourceLibrary& library, const std::vector<std::string>& set_names, FILE* out);

// The summary line and the per-format counts.
void PrintScanSummary(const ScanTotals& totals, FILE* out);

// The set files of a disc folder: "*.res", then "*.trk", "*.car" and "*.sng", each group
// sorted by name ignoring case. Empty when the folder cannot be listed.
std::vector<std::string> ListResourceSets(const std::string& folder);
