#include "resdata/viewer_options.h"

#include <cstdio>
#include <cstring>

bool ParseViewerOptions(int argc, const char* const* argv, ViewerOptions* out, std::string* problem) {
  struct ValueOption {
    const char* word;
    std::string ViewerOptions::*field;
  };
  const ValueOption values[] = {{"--disc", &ViewerOptions::disc},
                                {"--dol", &ViewerOptions::dol},
                                {"--tex", &ViewerOptions::texture},
                                {"--screenshot", &ViewerOptions::screenshot}};
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    if (strcmp(arg, "--viewer") == 0) continue;
    if (strcmp(arg, "--scan") == 0) {
      out->scan = true;
      continue;
    }
    if (strcmp(arg, "--allow-unverified") == 0) {
      out->allow_unverified = true;
      continue;
    }
    bool known = false;
    for (const ValueOption& v : values) {
      if (strcmp(arg, v.word) != 0) continue;
      if (i + 1 >= argc) {
        if (problem) *problem = std::string(arg) + " needs a value after it.";
        return false;
      }
      out->*v.field = argv[++i];
      known = true;
      break;
    }
    if (!known) {
      if (problem) *problem = std::string("Unknown argument: ") + arg;
      return false;
    }
  }
  return true;
}

std::string ReadLauncherIniValue(const std::string& path, const std::string& key) {
  std::string value;
  FILE* f = fopen(path.c_str(), "r");
  if (!f) return value;
  const std::string prefix = key + "=";
  std::string line;
  // Whole lines, however long: a path longer than a fixed buffer must not be cut.
  for (int c = fgetc(f);; c = fgetc(f)) {
    if (c != EOF && c != '\n') {
      line.push_back(char(c));
      continue;
    }
    if (line.compare(0, prefix.size(), prefix) == 0) {
      value = line.substr(prefix.size());
      while (!value.empty() && (value.back() == '\r' || value.back() == '\n' || value.back() == ' ')) value.pop_back();
    }
    line.clear();
    if (c == EOF) break;
  }
  fclose(f);
  return value;
}

DumpChoice ChooseDump(const ViewerOptions& options, const std::string& env_disc, const std::string& ini_disc,
                      const std::string& ini_dol, const std::map<std::string, std::string>* dump_ini) {
  DumpChoice c;
  c.disc = !options.disc.empty() ? options.disc : !env_disc.empty() ? env_disc : ini_disc;
  c.dol = !options.dol.empty() ? options.dol : ini_dol;
  if (c.disc.empty() && dump_ini) {
    auto disc = dump_ini->find("disc");
    if (disc != dump_ini->end()) c.disc = disc->second;
    auto dol = dump_ini->find("dol");
    if (c.dol.empty() && dol != dump_ini->end()) c.dol = dol->second;
  }
  return c;
}
