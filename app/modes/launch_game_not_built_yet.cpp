// Placeholder until this mode's work lands: says so and fails, without opening a window.
#include "app/modes.h"
#include "app/not_built_yet.h"

int RunLaunchGameMode(int) { return NotBuiltYet("--launch-game"); }
