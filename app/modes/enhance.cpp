// --enhance: the intro-video enhancement on the console. The play test starts the game
// once the upscaling is under way and prints, once a second, whether the game runs,
// whether the enhancer is paused and how far the upscaling is; then it ends the game
// and shows the upscaling move on.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/modes/modes.h"
#include "game/game_supervisor.h"
#include "jobs/console_progress.h"
#include "jobs/enhance_job.h"
#include "jobs/job_status.h"
#include "jobs/shutdown.h"
#include "platform/env.h"

namespace {

const size_t kUpscaleStep = 2;

void PrintPlayTestLine(const char* phase) {
  const JobStatus job = SnapshotJob();
  const float upscale = job.steps.size() > kUpscaleStep ? job.steps[kUpscaleStep].progress : -1.0f;
  printf("playtest %s: game %d paused %d upscale %.3f\n", phase, IsGameRunning() ? 1 : 0, job.paused ? 1 : 0,
         upscale);
  fflush(stdout);
}

void PlayTest(int seconds) {
  for (;;) {
    const JobStatus job = SnapshotJob();
    if (!job.running) break;
    if (job.steps.size() > kUpscaleStep && job.steps[kUpscaleStep].state == StepState::kActive &&
        job.steps[kUpscaleStep].progress > 0.02f)
      break;
    Sleep(500);
  }
  std::string message;
  if (!LaunchGame(&message)) {
    printf("playtest: game didn't start: %s\n", message.c_str());
    fflush(stdout);
  }
  for (int i = 0; i < seconds; ++i) {
    Sleep(1000);
    PrintPlayTestLine("playing");
  }
  EndGame();
  for (int i = 0; i < 10; ++i) {
    Sleep(1000);
    PrintPlayTestLine("after");
  }
}

}  // namespace

int RunEnhanceFromConsole() {
  if (!StartEnhanceJob()) {
    printf("a job is already running\n");
    fflush(stdout);
    return 1;
  }
  std::string seconds;
  if (env::Get("KESTRANE_ENHANCE_PLAYTEST", &seconds)) PlayTest(atoi(seconds.c_str()));
  const int failed = PrintJobProgress();
  ShutdownBackgroundWork(kShutdownWaitMs);
  return failed;
}

int RunEnhanceMode() { return RunEnhanceFromConsole(); }
