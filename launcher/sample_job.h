// The built-in setup job the "firstrun" UI shot shows on the progress screen: a job
// caught at step 5 of 8, so the picture shows every kind of step at once.
#pragma once

#include "jobs/job_status.h"

// Step times are placed around the current GetTickCount64 clock, so the timers read the
// same in every shot.
JobStatus SampleJob();
