// Runs a background job from wherever it is copied to, the way the progress screen does,
// and presses Cancel as soon as the job log has a line starting with CANCEL_AT, or, for
// "step N", as soon as step N is active. Prints the progress lines, then the job log.
//   job_probe setup DUMP CANCEL_AT [--rebuild]
//   job_probe enhance CANCEL_AT
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "jobs/enhance_job.h"
#include "jobs/job_progress.h"
#include "jobs/job_status.h"
#include "jobs/setup_job.h"

namespace {

bool TimeToCancel(const JobStatus& job, const char* cancel_at) {
  int step = -1;
  if (sscanf(cancel_at, "step %d", &step) == 1)
    return step >= 0 && step < (int)job.steps.size() && job.steps[step].state == StepState::kActive;
  for (const std::string& line : job.log)
    if (line.rfind(cancel_at, 0) == 0) return true;
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  const char* cancel_at = nullptr;
  if (argc >= 4 && strcmp(argv[1], "setup") == 0) {
    StartSetupJob(argv[2], argc > 4 && strcmp(argv[4], "--rebuild") == 0);
    cancel_at = argv[3];
  } else if (argc >= 3 && strcmp(argv[1], "enhance") == 0) {
    StartEnhanceJob();
    cancel_at = argv[2];
  } else {
    return 2;
  }
  for (int waited = 0; waited < 60000; waited += 20) {
    JobStatus job = SnapshotJob();
    if (!job.running || TimeToCancel(job, cancel_at)) break;
    Sleep(20);
  }
  CancelJob();
  int failed = PrintJobProgress();
  printf("---- log\n");
  for (const std::string& line : SnapshotJob().log) printf("%s\n", line.c_str());
  return failed;
}
