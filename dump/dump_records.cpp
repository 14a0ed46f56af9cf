#include "dump/dump_records.h"

#include <cstdio>

#include "platform/files.h"
#include "platform/text.h"
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

}  // namespace

DumpStatus ReadDumpStatus() {
  DumpStatus s;
  std::string p = SettingsStore::Get("launcher.dump_path");
  IniMap ini;
  const bool have_ini = ReadIniFile(InstallLayout::DumpIniPath(), &ini);
  const std::string disc = ValueOf(ini, "disc");
  if (have_ini && p.empty() && !disc.empty()) p = InstallLayout::FullPath(disc + "\\..");

  if (!p.empty()) {
    s.configured = true;
    s.judgement = JudgeDump(p, false);
    if (have_ini && s.judgement.recognised) {
      const bool same_dump =
          text::EqualsNoCase(InstallLayout::FullPath(disc), InstallLayout::FullPath(s.judgement.files_dir));
      s.imported = same_dump && ValueOf(ini, "verified") == "1";
    }
  }

  const std::string exe = GameExePath();
  s.built = files::IsFile(exe);
  if (s.built) s.built_time = InstallLayout::FileDate(exe);

  const std::string checkout = InstallLayout::CheckoutRoot();
  if (!checkout.empty()) s.source_ref = ReadSourceRef(checkout);
  return s;
}
