// Runs a background job from wherever it is copied to, the way the progress screen does,
// but sees every step change as it is made: each prints "<step>: <state> <detail>" at
// once, so no change is missed between two looks. When a WHEN condition holds it presses
// Cancel (--cancel) or prints "probe: mark" (--mark), both on the spot, so a test acts at
// an exact point of the job. At the end it prints the outcome, the job log and the error
// log (what a failing test needs to say why).
//   job_probe setup DUMP [--rebuild] [--cancel WHEN] [--mark WHEN]
//   job_probe enhance [--cancel WHEN] [--mark WHEN]
// WHEN is one of:
//   log PREFIX         a job-log line starts with PREFIX
//   active N           step N becomes active
//   done N             step N is done
//   detail N PREFIX    step N's detail starts with PREFIX
//   file PATH          PATH exists (looked for every 20 ms)
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "jobs/enhance_job.h"
#include "jobs/job_status.h"
#include "jobs/setup_job.h"
#include "jobs/shutdown.h"
#include "platform/text.h"
#include "settings/launcher_log.h"

namespace {

struct When {
  std::string kind;  // empty: never
  int step = -1;
  std::string text;
};

When g_cancel, g_mark;
// Each fires once; only the job thread and, for "file", the main thread touch them.
volatile LONG g_cancelled = 0, g_marked = 0;

When ParseWhen(const std::string& words) {
  When w;
  const size_t space = words.find(' ');
  w.kind = words.substr(0, space);
  std::string rest = space == std::string::npos ? "" : words.substr(space + 1);
  if (w.kind == "active" || w.kind == "done" || w.kind == "detail") {
    w.step = atoi(rest.c_str());
    const size_t after = rest.find(' ');
    rest = after == std::string::npos ? "" : rest.substr(after + 1);
  }
  w.text = rest;
  return w;
}

bool StepMatches(const When& w, int index, const SetupStep& step) {
  if (w.step != index) return false;
  if (w.kind == "active") return step.state == StepState::kActive;
  if (w.kind == "done") return step.state == StepState::kDone;
  if (w.kind == "detail") return text::WideToUtf8(step.detail).rfind(w.text, 0) == 0;
  return false;
}

void Fire(const When& w, volatile LONG* fired) {
  if (InterlockedExchange(fired, 1) != 0) return;
  if (&w == &g_cancel) {
    CancelJob();
  } else {
    printf("probe: mark\n");
    fflush(stdout);
  }
}

void OnStep(int index, const SetupStep& step) {
  printf("%s: %s %s\n", text::WideToUtf8(step.title).c_str(), StepStateWord(step.state),
         text::WideToUtf8(step.detail).c_str());
  fflush(stdout);
  if (StepMatches(g_cancel, index, step)) Fire(g_cancel, &g_cancelled);
  if (StepMatches(g_mark, index, step)) Fire(g_mark, &g_marked);
}

void OnLog(const std::string& line) {
  if (g_cancel.kind == "log" && line.rfind(g_cancel.text, 0) == 0) Fire(g_cancel, &g_cancelled);
  if (g_mark.kind == "log" && line.rfind(g_mark.text, 0) == 0) Fire(g_mark, &g_marked);
}

bool FileThere(const When& w) {
  return w.kind == "file" && GetFileAttributesW(text::Utf8ToWide(w.text).c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  const std::string job = argv[1];
  std::string dump;
  bool rebuild = false;
  int i = 2;
  if (job == "setup") {
    if (argc < 3) return 2;
    dump = argv[i++];
  } else if (job != "enhance") {
    return 2;
  }
  for (; i < argc; ++i) {
    if (strcmp(argv[i], "--rebuild") == 0) rebuild = true;
    else if (strcmp(argv[i], "--cancel") == 0 && i + 1 < argc) g_cancel = ParseWhen(argv[++i]);
    else if (strcmp(argv[i], "--mark") == 0 && i + 1 < argc) g_mark = ParseWhen(argv[++i]);
    else return 2;
  }

  JobsTesting::JobObserver observer;
  observer.onStep = OnStep;
  observer.onLog = OnLog;
  JobsTesting::SetJobObserver(observer);
  if (!(job == "setup" ? StartSetupJob(dump, rebuild) : StartEnhanceJob())) return 2;

  // Files have no event to wait on; everything else fires on the job's own thread.
  const bool look_for_files = g_cancel.kind == "file" || g_mark.kind == "file";
  while (!WaitForJobEnd(look_for_files ? 20 : 600000)) {
    if (FileThere(g_cancel)) Fire(g_cancel, &g_cancelled);
    if (FileThere(g_mark)) Fire(g_mark, &g_marked);
  }

  // Every step as it ended, the ones that never ran included.
  const JobStatus status = SnapshotJob();
  for (const SetupStep& step : status.steps)
    printf("%s: %s %s\n", text::WideToUtf8(step.title).c_str(), StepStateWord(step.state),
           text::WideToUtf8(step.detail).c_str());
  printf("finished %d failed %d cancelled %d\n", status.finished ? 1 : 0, status.failed ? 1 : 0,
         status.cancelled ? 1 : 0);
  printf("---- log\n");
  for (const std::string& line : status.log) printf("%s\n", line.c_str());
  printf("---- error log\n");
  if (FILE* f = fopen(ErrorLogPath().c_str(), "rb")) {
    char buffer[4096];
    for (size_t n; (n = fread(buffer, 1, sizeof buffer, f)) > 0;) fwrite(buffer, 1, n, stdout);
    fclose(f);
  }
  fflush(stdout);
  // As the launcher ends: the job's thread is over before the process exits.
  ShutdownBackgroundWork(kShutdownWaitMs);
  return status.failed ? 1 : 0;
}
