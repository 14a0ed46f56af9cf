#include "app/modes.h"
#include "launcher/launcher_window.h"

int RunLauncherWindow() { return RunGui(); }
