// --setup PATH [--rebuild]: the setup job on the console.
#include "app/modes.h"
#include "jobs/setup_job.h"

int RunSetupMode(const std::string& path, bool rebuild) { return RunSetupFromConsole(path, rebuild); }
