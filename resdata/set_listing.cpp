// The one part of the scan that asks Windows: listing the disc folder by pattern.
#include <algorithm>

#include "platform/files.h"
#include "platform/text.h"
#include "resdata/resource_scan.h"

std::vector<std::string> ListResourceSets(const std::string& folder) {
  std::vector<std::string> names;
  std::string base = folder;
  if (!base.empty() && (base.back() == '\\' || base.back() == '/')) base.pop_back();
  for (const char* pattern : {"*.res", "*.trk", "*.car", "*.sng"}) {
    std::vector<std::string> group;
    for (const files::FolderEntry& e : files::ListFolder(base, pattern))
      if (!e.folder) group.push_back(e.name);
    // The file system's own order differs between Windows and Wine; keep reports comparable.
    std::sort(group.begin(), group.end(),
              [](const std::string& a, const std::string& b) { return text::CompareNoCase(a, b) < 0; });
    names.insert(names.end(), group.begin(), group.end());
  }
  return names;
}
