// Placeholder until this mode's work lands: says so and fails, without opening a window.
#include "app/modes.h"
#include "app/not_built_yet.h"

int RunLauncherWindow() { return NotBuiltYet("the launcher window"); }
