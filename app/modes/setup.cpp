// --setup PATH [--rebuild]: the setup job on the console.
#include "app/modes/modes.h"
#include "jobs/setup_job.h"
#include "settings/settings_store.h"

namespace {

// The dump the job confirmed becomes the player's dump, as a window's setup would make it.
void KeepIndexedDump(const std::string& path) { SettingsStore::Set("launcher.dump_path", path.c_str()); }

}  // namespace

int RunSetupMode(const std::string& path, bool rebuild) { return RunSetupFromConsole(path, rebuild, KeepIndexedDump); }
