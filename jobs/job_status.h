// The record of the one background job (the setup job or the intro-video enhancement)
// and the operations its thread publishes progress with. The record lives under the
// JobsLock (jobs_lock.h); screens and the console printer read it only as a copy taken
// by SnapshotJob, so they never hold the lock while drawing or printing.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "process/cancel_token.h"

enum class StepState : int32_t {
  kPending = 0,
  kActive = 1,
  kDone = 2,
  kFailed = 3,
  kSkipped = 4,
};

// "pending", "active", "done", "FAILED" or "skipped".
const char* StepStateWord(StepState state);

struct SetupStep {
  std::wstring title;
  std::wstring detail;
  StepState state = StepState::kPending;
  double startTime = 0;  // seconds on the GetTickCount64 clock; 0 while pending
  double endTime = 0;
  float progress = -1;   // 0..1, or -1 when the step has no measurable progress
};

struct JobStatus {
  std::wstring title;
  std::wstring subtitle;
  std::vector<SetupStep> steps;  // fixed when the job starts
  std::vector<std::string> log;  // at most 400 lines
  bool running = false;
  bool finished = false;
  bool failed = false;
  bool cancelled = false;
  int32_t kind = 0;  // kJobSetup or kJobEnhance
  bool paused = false;
};

constexpr int32_t kJobSetup = 0;
constexpr int32_t kJobEnhance = 1;

// Passed to SetStep to leave the step's detail or progress as it is.
extern const wchar_t kKeepDetail[];  // the single character U+0001
constexpr float kKeepProgress = -2.0f;

// Seconds on the GetTickCount64 clock, the time base of startTime and endTime.
double JobClockSeconds();

// [SECTION] Starting a job

// What a job is when it starts: the heading of its record, its steps and the work of its
// thread.
struct JobStart {
  int32_t kind = kJobSetup;
  std::wstring title;
  std::wstring subtitle;
  std::vector<std::wstring> steps;  // the steps' titles, in order
  // Runs on the job's own thread: the steps, then the job's last word (EndJob).
  std::function<void()> work;
  // What `finished` says after a failure: the setup job's record says it in every case,
  // the enhancement's only after a success.
  bool finishedAfterFailure = true;
};

// The one way a job starts: when no job is running, the record is reset to `start`'s
// heading and steps (each pending, progress -1) and marked running, the cancel is
// cleared, and `work` starts on a thread of its own. False, changing nothing, while a job
// runs. `serial`, when given, receives the number that tells this job from later ones.
bool StartJob(const JobStart& start, uint32_t* serial = nullptr);

// The cancel of the running job: every tool a job runs, and the disc-image reader its
// judgement runs, is given this token, so a cancel ends whichever is running.
CancelToken* JobCancelToken();

// [SECTION] Used by the job threads

// Updates one step; an index outside the step list is ignored.
void SetStep(int index, StepState state, const std::wstring& detail, float progress);
// Appends one line to the job log; past 400 lines the oldest 100 go.
void AppendJobLog(const std::string& line);
// The step fails with `message` (progress kept), the failure goes to the error log, and
// the job is marked failed.
void FailStep(int index, const std::wstring& message);
// When a cancel was requested: the step fails with the cancel text, the job is marked
// cancelled (not failed) and true is returned.
bool CheckCancel(int index);
bool JobCancelRequested();

// Starts a job's record: when no job is running, replaces the record with `fresh`, marks
// it running and clears the cancel request. False (nothing changed) while a job runs.
// StartJob does this and more; alone it serves tests that play a job's part.
bool BeginJob(const JobStatus& fresh, uint32_t* serial = nullptr);
// The job thread's last word: the job stops running; `finished` is set when asked.
void EndJob(bool finished);

// [SECTION] Used by the screens and the console modes

JobStatus SnapshotJob();
// The same with only the newest `log_lines` lines of the log: what a frame shows of it.
JobStatus SnapshotJob(size_t log_lines);
// Requests the cancel and ends the running tool at once; the job thread then stops at
// its next check.
void CancelJob();
// Waits until no job runs; false when one still runs after `timeoutMs`.
bool WaitForJobEnd(unsigned timeoutMs);
// Waits until the newest job's thread has returned, which is a moment after its job
// ended; false when it still runs after `timeoutMs`. A process that ends while a job
// thread frees its last memory can hang in its exit under Wine.
bool WaitForJobThread(unsigned timeoutMs);

// [SECTION] Test seam

namespace JobsTesting {

// Sees every step change and every job-log line on the thread that made it, after the
// record has taken it and outside the lock, so a test program can act at an exact point
// of a job (cancel it there, say) instead of polling for it. Set it before a job starts.
struct JobObserver {
  void (*onStep)(int index, const SetupStep& step) = nullptr;
  void (*onLog)(const std::string& line) = nullptr;
};
void SetJobObserver(const JobObserver& observer);

}  // namespace JobsTesting
