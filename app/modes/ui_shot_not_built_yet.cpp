// Placeholder until this mode's work lands: says so and fails, without opening a window.
#include "app/modes.h"
#include "app/not_built_yet.h"

int RunUiShotMode(const std::string&, const std::string&, int, int) { return NotBuiltYet("--ui-shot"); }
