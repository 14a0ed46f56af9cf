#include "dump/dump_status.h"

#include "platform/text.h"
#include "platform/window_thread.h"
#include "settings/ini_file.h"
#include "settings/install_layout.h"

namespace {

std::string ValueOf(const IniMap& ini, const char* key) {
  auto it = ini.find(key);
  return it == ini.end() ? std::string() : it->second;
}

}  // namespace

std::string ConfiguredDumpPath(const std::string& chosen) {
  if (!chosen.empty()) return chosen;
  IniMap ini;
  if (!ReadIniFile(InstallLayout::DumpIniPath(), &ini)) return std::string();
  const std::string disc = ValueOf(ini, "disc");
  return disc.empty() ? std::string() : InstallLayout::FullPath(disc + "\\..");
}

DumpStatus ReadDumpStatus(const std::string& path, CancelToken* cancel) {
  OFF_WINDOW_THREAD("ReadDumpStatus");
  DumpStatus s;
  if (path.empty()) return s;
  s.configured = true;
  s.judgement = JudgeDump(path, false, cancel);
  IniMap ini;
  if (s.judgement.recognised && ReadIniFile(InstallLayout::DumpIniPath(), &ini)) {
    const bool same_dump = text::EqualsNoCase(InstallLayout::FullPath(ValueOf(ini, "disc")),
                                              InstallLayout::FullPath(s.judgement.files_dir));
    s.imported = same_dump && ValueOf(ini, "verified") == "1";
  }
  return s;
}
