// Work the window hands off: reading the run list, composing and saving bug reports,
// opening folders in Explorer, listing display modes and audio devices. Each piece runs
// on one worker thread, in the order it was posted; what it found comes back to the
// window's thread through its `then`, which the message loop runs (ApplyFinished) beside
// the other workers' results, never inside a screen's drawing.
//
// Dump judgements don't come here: they take minutes and have their own worker
// (dump_checks.h), which nothing here should wait behind.
#pragma once

#include <functional>

namespace Offload {

// Runs `work` on the worker; `then` (may be empty) runs afterwards on the window's thread.
// Without a thread (none could be made, or one that didn't stop in time) both run at
// once on the calling thread.
void Post(std::function<void()> work, std::function<void()> then = {});

// Runs the `then` of every piece finished since the last call (window thread, once per
// loop iteration). True when any ran.
bool ApplyFinished();

// A piece is queued or running, or its `then` hasn't run yet.
bool Busy();

// Waits until nothing is queued or running; true when so within timeout_ms. For the
// UI-shot mode, start-up and tests.
bool WaitUntilIdle(unsigned timeout_ms);

// Shutdown: drops what hasn't started and the results not yet applied, waits up to
// timeout_ms for the running piece and ends the thread. True when it ended in time; a
// later Post then starts a new worker.
bool Stop(unsigned timeout_ms);

}  // namespace Offload
