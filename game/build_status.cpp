#include "game/build_status.h"

#include <cstdio>

#include "platform/files.h"
#include "settings/game_location.h"
#include "settings/install_layout.h"

namespace {

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

BuildStatus ReadBuildStatus() {
  BuildStatus s;
  const std::string exe = GameExePath();
  s.built = files::IsFile(exe);
  s.built_time = s.built ? InstallLayout::FileDate(exe) : std::string();
  const std::string checkout = InstallLayout::CheckoutRoot();
  s.source_ref = checkout.empty() ? std::string() : ReadSourceRef(checkout);
  return s;
}
