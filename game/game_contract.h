// What the launcher and the game executable rely on from each other. For now only where
// the game executable is; its start, environment and streams join this header later.
#pragma once

#include <string>

#include "platform/env.h"
#include "platform/product.h"
#include "settings/install_layout.h"

// KESTRANE_GAME_EXE when set (developers point it at their own build), else
// KestraneGame.exe next to the launcher.
inline std::string GameExePath() {
  std::string exe;
  if (env::Get("KESTRANE_GAME_EXE", &exe) && !exe.empty()) return exe;
  return InstallLayout::ExeDir() + product::kGameExeName;
}
