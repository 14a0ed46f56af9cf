// What the launcher and the game executable rely on from each other: where the game is
// and where it runs (settings/game_location), how it is started, what it finds in its
// environment, and what its exit codes mean. The game launch and the intro-video frame
// dump both start it from here.
#pragma once

#include <string>

#include "process/environment_block.h"
#include "settings/game_location.h"

// The quoted path alone: the game takes no arguments.
std::wstring GameCommandLine();

// Environment changes for play. `aspect` is the display.aspect setting: exactly "4:3"
// plays in 4:3, "native" leaves KESTRANE_ASPECT out (the game follows settings.ini),
// anything else plays in 16:9.
EnvOverrides PlayEnvironment(const std::string& aspect, bool errorLog);
// Environment changes for the hidden run that dumps the intro video's frames into
// `framesDir` and then quits by itself.
EnvOverrides FrameDumpEnvironment(const std::string& framesDir, const std::string& nandDir);

// The game's own failure codes; anything else non-zero is a Windows exception code.
enum GameExitCode : unsigned long {
  kGameExitNormal = 0,
  kGameExitNoMainDol = 94,      // couldn't read main.dol
  kGameExitNoDisc = 95,         // no disc configured
  kGameExitFatal = 96,          // fatal error reported
  kGameExitPanic = 97,
  kGameExitNoMemoryMap = 98,    // the Wii memory map couldn't be set up
  kGameExitNotWritten = 99,     // a part of the port not written yet
};
