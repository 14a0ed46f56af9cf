#include "settings/ini_file.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

bool ReadIniFile(const std::string& path, IniMap* map) {
  FILE* f = fopen(path.c_str(), "r");
  if (!f) return false;
  char line[2048];
  while (fgets(line, sizeof line, f)) {
    size_t n = strlen(line);
    while (n > 0 && (line[n - 1] == '\r' || line[n - 1] == '\n')) line[--n] = '\0';
    if (n == 0 || line[0] == '#' || line[0] == ';') continue;
    const char* eq = strchr(line, '=');
    if (!eq) continue;
    (*map)[std::string(line, eq - line)] = eq + 1;
  }
  fclose(f);
  return true;
}

bool WriteIniFile(const std::string& path, const IniMap& map, const char* comment) {
  const std::string tmp = path + ".tmp";
  FILE* f = fopen(tmp.c_str(), "w");
  if (!f) return false;
  bool ok = fprintf(f, "# %s\n", comment) >= 0;
  for (const auto& [key, value] : map) ok = ok && fprintf(f, "%s=%s\n", key.c_str(), value.c_str()) >= 0;
  ok = (fclose(f) == 0) && ok;
  if (!ok || !MoveFileExA(tmp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    DeleteFileA(tmp.c_str());
    return false;
  }
  return true;
}
