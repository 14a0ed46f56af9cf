#include "dump/dump_records.h"

#include <cstdio>

#include "platform/files.h"
#include "platform/text.h"
#include "platform/window_thread.h"
#include "settings/game_location.h"
#include "settings/ini_file.h"
#include "settings/install_layout.h"
#include "settings/settings_store.h"

namespace {

std::string ValueOf(const IniMap& ini, const char* key) {
  auto it = ini.find(key);
  return it == ini.end() ? std::string() : it->second;
}

// The first 7 bytes of decomp_ref.txt's first line.
std::string ReadSourceRef(const std::string& checkout) {
  FILE* f = fopen((checkout + "\\tools\\gametrial\\decomp_ref.txt").c_str(), "r");
  if (!f) return std::string();
  char line[128];
  std::string ref;
  if (fgets(line, sizeof line, f)) ref = std::string(line).substr(0, 7);
  fclose(f);
  // A short revision ("v2") would otherwise carry its line end into every place it shows.
  while (!ref.empty() && (ref.back() == '\n' || ref.back() == '\r')) ref.pop_back();
  return ref;
}

// The setting, else the folder above the files folder dump.ini names.
std::string DumpPathFrom(const IniMap& ini) {
  const std::string p = SettingsStore::Get("launcher.dump_path");
  const std::string disc = ValueOf(ini, "disc");
  if (!p.empty() || disc.empty()) return p;
  return InstallLayout::FullPath(disc + "\\..");
}

}  // namespace

std::string ConfiguredDumpPath() {
  IniMap ini;
  ReadIniFile(InstallLayout::DumpIniPath(), &ini);
  return DumpPathFrom(ini);
}

DumpStatus ReadDumpStatus(CancelToken* cancel) {
  OFF_WINDOW_THREAD("ReadDumpStatus");
  DumpStatus s;
  IniMap ini;
  const bool have_ini = ReadIniFile(InstallLayout::DumpIniPath(), &ini);
  const std::string disc = ValueOf(ini, "disc");
  const std::string p = DumpPathFrom(ini);

  if (!p.empty()) {
    s.configured = true;
    s.judgement = JudgeDump(p, false, cancel);
    if (have_ini && s.judgement.recognised) {
      const bool same_dump =
          text::EqualsNoCase(InstallLayout::FullPath(disc), InstallLayout::FullPath(s.judgement.files_dir));
      s.imported = same_dump && ValueOf(ini, "verified") == "1";
    }
  }

  ReadBuildStatus(&s);
  return s;
}

void ReadBuildStatus(DumpStatus* s) {
  const std::string exe = GameExePath();
  s->built = files::IsFile(exe);
  s->built_time = s->built ? InstallLayout::FileDate(exe) : std::string();
  const std::string checkout = InstallLayout::CheckoutRoot();
  s->source_ref = checkout.empty() ? std::string() : ReadSourceRef(checkout);
}
