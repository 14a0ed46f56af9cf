// The one part of the scan that asks Windows: listing the disc folder by pattern.
#include <windows.h>

#include <algorithm>

#include "platform/text.h"
#include "resdata/resource_scan.h"

std::vector<std::string> ListResourceSets(const std::string& folder) {
  std::vector<std::string> names;
  const bool has_separator = !folder.empty() && (folder.back() == '\\' || folder.back() == '/');
  for (const char* pattern : {"*.res", "*.trk", "*.car", "*.sng"}) {
    std::vector<std::string> group;
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((folder + (has_separator ? "" : "\\") + pattern).c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) continue;
    do {
      if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) group.push_back(fd.cFileName);
    } while (FindNextFileA(h, &fd));
    FindClose(h);
    // The file system's own order differs between Windows and Wine; keep reports comparable.
    std::sort(group.begin(), group.end(),
              [](const std::string& a, const std::string& b) { return text::CompareNoCase(a, b) < 0; });
    names.insert(names.end(), group.begin(), group.end());
  }
  return names;
}
