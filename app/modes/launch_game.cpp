// --launch-game [SECONDS]: starts the built game, lets it run, ends it if it is still
// running, and prints the run and whether it was recorded.
#include <windows.h>

#include <cstdio>

#include "app/modes/modes.h"
#include "game/game_supervisor.h"
#include "game/run_records.h"
#include "jobs/shutdown.h"
#include "platform/files.h"
#include "platform/text.h"
#include "settings/game_location.h"

int LaunchGameFromConsole(int seconds) {
  std::string message;
  if (!LaunchGame(&message)) {
    printf("could not start: %s\n", message.c_str());
    // The window's PLAY leads there itself; a script needs the way spelled out.
    if (!files::IsFile(GameExePath()))
      printf("Looked for %s. Build it first: Kestrane --setup <your disc dump>.\n", GameExePath().c_str());
    fflush(stdout);
    return 1;
  }
  printf("started %s\n", GameExePath().c_str());
  fflush(stdout);

  const ULONGLONG start = GetTickCount64();
  const long long limit_ms = (long long)seconds * 1000;
  while (IsGameRunning() && (long long)(GetTickCount64() - start) < limit_ms) Sleep(100);
  if (IsGameRunning()) {
    printf("still running after %d s; ending it\n", seconds);
    fflush(stdout);
    EndGame();
    while (IsGameRunning()) Sleep(50);
  }

  // This run, not runs.tsv's newest line: a run that couldn't be written isn't there.
  RunRecord run;
  RunRecorded recorded = RunRecorded::kInRunsFile;
  if (LastEndedRun(&run, &recorded)) {
    std::string how = "recorded";
    if (recorded == RunRecorded::kPending)
      how = "not recorded yet (runs.tsv couldn't be written; the run waits in " + PendingRunsFilePath() +
            " and goes in with the next run)";
    else if (recorded == RunRecorded::kInMemory)
      how = "not recorded (neither runs.tsv nor " + PendingRunsFilePath() +
            " could be written; make the logs folder writable)";
    // The outcome goes out as UTF-8 like every other field.
    printf("%s: %s, %d s, %s, log %s\n", how.c_str(), run.startedAt.c_str(), (int)run.seconds,
           text::WideToUtf8(OutcomeText(run.exitCode)).c_str(), run.logKept ? "kept" : "off");
  }
  fflush(stdout);
  return 0;
}

int RunLaunchGameMode(int seconds) {
  const int status = LaunchGameFromConsole(seconds);
  ShutdownBackgroundWork(kShutdownWaitMs);
  return status;
}
