// Modes whose work has not landed in this build yet. Each says so and fails; none of
// them opens a window.
#include <cstdio>

#include "app/modes.h"

static int NotBuiltYet(const char* mode) {
  fprintf(stderr, "%s isn't in this build yet\n", mode);
  fflush(stderr);
  return 1;
}

int RunUiShotMode(const std::string&, const std::string&, int, int) { return NotBuiltYet("--ui-shot"); }
int RunLauncherWindow() { return NotBuiltYet("the launcher window"); }
int RunEnhanceMode() { return NotBuiltYet("--enhance"); }
int RunJudgeMode(const std::string&) { return NotBuiltYet("--judge"); }
int RunSetupMode(const std::string&, bool) { return NotBuiltYet("--setup"); }
int RunLaunchGameMode(int) { return NotBuiltYet("--launch-game"); }
int RunDeveloperTools(int, char**) { return NotBuiltYet("the developer viewer"); }
