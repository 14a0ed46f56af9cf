// The JobsLock and the fields it guards, shared by the setup job, the enhancement job,
// the child process runner and the game launch. One critical section for all of them:
// a cancel, a pause and a game start each need to see the job, the running tool and the
// running game consistently.
//
// Under the lock only short work is done: updating these fields, SuspendToolProcesses,
// TerminateJobObject and TerminateProcess. No file or process is waited for while it is
// held.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>

#include "jobs/job_status.h"
#include "platform/scoped_lock.h"

struct JobsShared {
  // Guarded by JobsLock:
  JobStatus status;               // the one background job
  HANDLE tool_job = nullptr;      // job object of the tool running now (child_process.cpp)
  HANDLE game_process = nullptr;  // the game being played; non-null while it runs
  int64_t build_folder_size = -2; // -2 not measured, -1 being measured, else bytes
  uint32_t job_serial = 0;        // counts started jobs, so a helper thread knows its own

  // Not guarded: set with an atomic exchange by the GUI or console thread, polled by the
  // job thread. Cleared when a job starts.
  std::atomic<int32_t> cancel_request{0};
};

StaticLock* JobsLock();
// The shared fields; touch the guarded ones only inside ScopedLock lock(JobsLock()).
JobsShared& Jobs();
