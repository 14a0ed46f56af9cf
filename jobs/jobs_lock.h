// The JobsLock and the fields it guards, shared by the setup job, the enhancement job and
// its pause watcher, and the build-folder measurement. One critical section for all of
// them: a cancel, a pause and a screen's snapshot each need to see the job consistently.
// The running tool is reached through the job's cancel token (job_status.h) and the
// running game through the game supervisor; each has its own lock, always taken after
// this one when both are needed.
//
// Under the lock only short work is done: updating these fields and, through the token,
// suspending or resuming the running tool. No file or process is waited for while it is
// held.
#pragma once

#include <windows.h>

#include <cstdint>

#include "jobs/job_status.h"
#include "platform/scoped_lock.h"

struct JobsShared {
  // Guarded by JobsLock:
  JobStatus status;                 // the one background job
  int64_t build_folder_size = -2;   // -2 not measured, -1 being measured, else bytes
  uint32_t job_serial = 0;          // counts started jobs, so a helper thread knows its own
  void* job_thread = nullptr;       // HANDLE of the newest job's thread, kept for the shutdown
  void* measure_thread = nullptr;   // HANDLE of the newest build-folder measurement, kept for the shutdown
  JobsTesting::JobObserver observer;
};

StaticLock* JobsLock();
// The shared fields; touch the guarded ones only inside ScopedLock lock(JobsLock()).
JobsShared& Jobs();
