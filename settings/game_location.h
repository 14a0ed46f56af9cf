// Where the game executable is and the folder it runs in: derived locations like every
// other in install_layout, kept apart so that what only asks whether the game is built
// needn't know how the game is started (game/game_contract).
#pragma once

#include <string>

// KESTRANE_GAME_EXE when set, else KestraneGame.exe next to the launcher.
std::string GameExePath();
// The source checkout when there is one (the game finds its data relative to it), else
// the launcher's folder.
std::string GameWorkingDir();
