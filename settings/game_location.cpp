#include "settings/game_location.h"

#include "platform/env.h"
#include "settings/install_layout.h"
#include "settings/product.h"

std::string GameExePath() {
  std::string path;
  // An empty value names no program; it counts as not set.
  if (env::Get("KESTRANE_GAME_EXE", &path) && !path.empty()) return path;
  return InstallLayout::ExeDir() + product::kGameExeName;
}

std::string GameWorkingDir() {
  std::string root = InstallLayout::CheckoutRoot();
  return root.empty() ? InstallLayout::ExeDir() : root;
}
