// The size of the game's build folder, shown on the settings pages. Measured once on a
// thread of its own and remembered beside the job record, so a screen can ask every
// frame without waiting.
#pragma once

#include <cstdint>

// The size in bytes, or -1 while it is being measured (the first call starts that);
// callers ask again on later frames.
int64_t BuildFolderSize();
// After a build: the next call measures again. A measurement in progress is left alone.
void ForgetBuildFolderSize();
// Shutdown: a measurement under way gives up; waits up to `timeoutMs` for its thread to
// end. True when none runs any more. A later call measures afresh.
bool StopBuildFolderSize(unsigned timeoutMs);
