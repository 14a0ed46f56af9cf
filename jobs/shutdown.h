// What the launcher stops on its way out, in this order: the running job (cancelled, and
// waited for a bounded time, so the tool it runs ends with it and the job's last settings
// change is made) and the job's thread, the dump search, the build-folder measurement,
// and then the settings store, whose pending changes are saved. The window and the
// console modes call it when they end.
#pragma once

// How long the launcher waits, in all, for the job, the search and the measurement to stop.
constexpr unsigned kShutdownWaitMs = 5000;

// Cancels a running job and waits for it, stops the dump search and the build-folder
// measurement, then saves pending settings (always, even when they did not stop in
// time). True when all stopped within `timeoutMs`.
bool ShutdownBackgroundWork(unsigned timeoutMs);
