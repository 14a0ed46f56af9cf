#include "jobs/console_progress.h"

#include <windows.h>

#include <cstdio>
#include <vector>

#include "jobs/job_status.h"
#include "platform/text.h"

int PrintJobProgress() {
  Sleep(50);
  // What was printed last for each step; -1 until its first line.
  std::vector<int> printed_state, printed_key;
  JobStatus job;
  for (;;) {
    job = SnapshotJob();
    if (printed_state.size() < job.steps.size()) {
      printed_state.resize(job.steps.size(), -1);
      printed_key.resize(job.steps.size(), -1);
    }
    for (size_t i = 0; i < job.steps.size(); ++i) {
      const SetupStep& step = job.steps[i];
      const int state = (int)step.state;
      const int key = step.progress < 0 ? -1 : (int)(step.progress * 10);
      if (state == printed_state[i] && key == printed_key[i]) continue;
      printed_state[i] = state;
      printed_key[i] = key;
      printf("%s: %s %s\n", text::WideToUtf8(step.title).c_str(), StepStateWord(step.state),
             text::WideToUtf8(step.detail).c_str());
      fflush(stdout);
    }
    if (!job.running) break;
    Sleep(250);
  }
  printf("finished %d failed %d cancelled %d\n", job.finished ? 1 : 0, job.failed ? 1 : 0, job.cancelled ? 1 : 0);
  fflush(stdout);
  return job.failed ? 1 : 0;
}
