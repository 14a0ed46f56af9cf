// A cancel request and the tool it reaches. Whoever runs tools for one piece of work (the
// setup or the enhancement job, and the disc-image reader the setup job's judgement
// runs) hands the same token to every run: a cancel ends the tool running now, with
// everything it started, and keeps any later run from starting. A pause watcher finds
// the running tool through the token too.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>

#include "platform/scoped_lock.h"

struct CancelToken {
  // Set with an atomic exchange by whoever cancels, read by the working thread without
  // the lock; cleared when the work starts.
  std::atomic<int32_t> requested{0};
  // Guards tool and tool_run: a cancel or a pause may use the job handle only while the
  // runner cannot close it.
  StaticLock lock;
  HANDLE tool = nullptr;  // job object of the tool running under this token, or none
  uint32_t tool_run = 0;  // counts the tools run under this token; tells one from the next
};

// Sets the request, then ends the running tool and everything in its job (exit code 1).
void RequestCancel(CancelToken* token);
// False for no token: nobody can cancel that work.
bool CancelRequested(const CancelToken* token);
void ClearCancel(CancelToken* token);

// The run number of the tool running under the token now, 0 when none runs.
uint32_t CurrentToolRun(CancelToken* token);
// Suspends (true) or resumes (false) every process of the tool whose run number is `run`
// if it is still the one running; false when it has gone (its processes with it).
bool SuspendToolRun(CancelToken* token, uint32_t run, bool suspend);

// Suspends (true) or resumes (false) every process in the job object. Does nothing when
// ntdll lacks the call or the job holds no process.
void SuspendToolProcesses(HANDLE job, bool suspend);

// [SECTION] For the runner

// Makes `job` the running tool. When a cancel is already requested the job is ended at
// once and false is returned: the tool must not be resumed.
bool PublishTool(CancelToken* token, HANDLE job);
// The tool has ended; its job handle is about to be closed.
void WithdrawTool(CancelToken* token, HANDLE job);
