#include "resdata/resource_scan.h"

#include "resdata/gx_texture.h"

ScanTotals ScanResourceSets(ResourceLibrary& library, const std::vector<std::string>& set_names, FILE* out) {
  ScanTotals totals;
  DecodedTexture texture;  // one pixel buffer for the whole scan
  for (const std::string& name : set_names) {
    ++totals.sets;
    const bool loaded_before = library.FindSet(name) != nullptr;
    ResourceSet* set = library.LoadSet(name);
    if (!set) {
      if (out) fprintf(out, "SET FAIL %s\n", name.c_str());
      ++totals.failed_sets;
      continue;
    }
    for (ResourceEntry& entry : set->entries) {
      if (entry.type != kResourceTypeTex) continue;
      uint16_t version = 0;
      int32_t size = 0;
      // The entry in hand: a name with a slash of its own would defeat a "set/name" lookup.
      const uint8_t* bytes =
          ResourceGetEntry(library, *set, entry, set->name + "/" + entry.name, kResourceTypeTex, &version, &size);
      if (!bytes) texture.error = "get failed";
      if (bytes && drCreateTexture(bytes, size_t(size), version, &texture)) {
        ++totals.decoded;
        ++totals.formats[texture.format_code];
      } else {
        if (out) fprintf(out, "TEX FAIL %s/%s: %s\n", set->name.c_str(), entry.name.c_str(), texture.error.c_str());
        ++totals.failed_textures;
      }
      ReleaseExtracted(*set, entry);
    }
    if (!loaded_before) library.UnloadSet(name);
  }
  return totals;
}

void PrintScanSummary(const ScanTotals& totals, FILE* out) {
  fprintf(out, "\nsets %d (failed %d), TEX decoded %d, failed %d\n", totals.sets, totals.failed_sets,
          totals.decoded, totals.failed_textures);
  for (const auto& [code, count] : totals.formats) fprintf(out, "  format 0x%02x: %d\n", unsigned(code), count);
}
