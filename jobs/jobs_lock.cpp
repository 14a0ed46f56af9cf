#include "jobs/jobs_lock.h"

namespace {
// Both are constant-initialised, so they exist before any thread can ask for them.
StaticLock g_jobs_lock;
JobsShared g_jobs;
}  // namespace

StaticLock* JobsLock() { return &g_jobs_lock; }
JobsShared& Jobs() { return g_jobs; }
