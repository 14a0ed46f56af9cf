// What the launcher stops on its way out, in this order: the running job (cancelled, and
// waited for a bounded time, so the tool it runs ends with it and the job's last settings
// change is made) and the job's thread, the dump search, and then the settings store,
// whose pending changes are saved. The window and the console modes call it when they end.
#pragma once

// How long the launcher waits, in all, for the job and the search to stop.
constexpr unsigned kShutdownWaitMs = 5000;

// Cancels a running job and waits for it, stops the dump search, then saves pending
// settings (always, even when the job or the search did not stop in time). True when
// both stopped within `timeoutMs`.
bool ShutdownBackgroundWork(unsigned timeoutMs);
