#include "jobs/job_status.h"

#include <windows.h>

#include <cstdio>
#include <memory>

#include "jobs/jobs_lock.h"
#include "platform/text.h"
#include "settings/launcher_log.h"

namespace {
const size_t kLogLimit = 400;
const size_t kLogTrim = 100;
const wchar_t kCancelledText[] = L"Cancelled. Your current game stays as it is.";

CancelToken g_job_cancel;
// Woken, under the JobsLock, when a job stops running.
CONDITION_VARIABLE g_job_ended = CONDITION_VARIABLE_INIT;

DWORD WINAPI JobThread(LPVOID param) {
  std::unique_ptr<std::function<void()>> work(static_cast<std::function<void()>*>(param));
  (*work)();
  return 0;
}
}  // namespace

const wchar_t kKeepDetail[] = L"\x0001";

const char* StepStateWord(StepState state) {
  switch (state) {
    case StepState::kPending: return "pending";
    case StepState::kActive: return "active";
    case StepState::kDone: return "done";
    case StepState::kFailed: return "FAILED";
    case StepState::kSkipped: return "skipped";
  }
  return "?";
}

double JobClockSeconds() { return (double)GetTickCount64() / 1000.0; }

// [SECTION] Starting a job

CancelToken* JobCancelToken() { return &g_job_cancel; }

bool StartJob(const JobStart& start, uint32_t* serial) {
  JobStatus fresh;
  fresh.kind = start.kind;
  fresh.title = start.title;
  fresh.subtitle = start.subtitle;
  for (const std::wstring& title : start.steps) {
    SetupStep step;
    step.title = title;
    fresh.steps.push_back(step);
  }
  if (!BeginJob(fresh, serial)) return false;  // a setup or enhancement job is working
  auto* work = new std::function<void()>(start.work);
  HANDLE thread = CreateThread(nullptr, 0, JobThread, work, 0, nullptr);
  if (thread) {
    ScopedLock lock(JobsLock());
    // The thread before this job's has ended its job; its handle isn't needed any more.
    if (Jobs().job_thread) CloseHandle(static_cast<HANDLE>(Jobs().job_thread));
    Jobs().job_thread = thread;
    return true;
  }
  // Without its thread the job would show as running forever.
  const DWORD error = GetLastError();
  delete work;
  wchar_t message[96];
  swprintf(message, 96, L"This job couldn't start (Windows error %lu).", (unsigned long)error);
  FailStep(0, message);
  EndJob(start.finishedAfterFailure);
  return true;
}

// [SECTION] Job thread side

void SetStep(int index, StepState state, const std::wstring& detail, float progress) {
  const double now = JobClockSeconds();
  SetupStep seen;
  JobsTesting::JobObserver observer;
  {
    ScopedLock lock(JobsLock());
    std::vector<SetupStep>& steps = Jobs().status.steps;
    if (index < 0 || index >= (int)steps.size()) return;
    SetupStep& step = steps[index];
    if (state == StepState::kActive && step.state != StepState::kActive) step.startTime = now;
    const bool ending = state == StepState::kDone || state == StepState::kFailed || state == StepState::kSkipped;
    if (ending) {
      if (step.state == StepState::kActive) {
        step.endTime = now;
      } else if (state != StepState::kFailed && step.state == StepState::kPending) {
        // Finished without ever being active: show it as taking no time, not as never run.
        step.startTime = now;
        step.endTime = now;
      }
    }
    step.state = state;
    if (detail != kKeepDetail) step.detail = detail;
    if (progress != kKeepProgress) step.progress = progress;
    observer = Jobs().observer;
    if (observer.onStep) seen = step;
  }
  if (observer.onStep) observer.onStep(index, seen);
}

void AppendJobLog(const std::string& line) {
  JobsTesting::JobObserver observer;
  {
    ScopedLock lock(JobsLock());
    std::vector<std::string>& log = Jobs().status.log;
    log.push_back(line);
    if (log.size() > kLogLimit) log.erase(log.begin(), log.begin() + kLogTrim);
    observer = Jobs().observer;
  }
  if (observer.onLog) observer.onLog(line);
}

void FailStep(int index, const std::wstring& message) {
  SetStep(index, StepState::kFailed, message, kKeepProgress);
  std::wstring title;
  {
    ScopedLock lock(JobsLock());
    const std::vector<SetupStep>& steps = Jobs().status.steps;
    if (index >= 0 && index < (int)steps.size()) title = steps[index].title;
  }
  // The reason also goes to the job's own log, where "Show details" and --setup show it.
  const std::string line = "[launcher] " + text::WideToUtf8(title) + ": " + text::WideToUtf8(message);
  AppendJobLog(line);
  // Outside the lock: the error log is a file.
  LogLine("%s", line.c_str());
  ScopedLock lock(JobsLock());
  Jobs().status.failed = true;
}

bool JobCancelRequested() { return CancelRequested(&g_job_cancel); }

bool CheckCancel(int index) {
  if (!JobCancelRequested()) return false;
  SetStep(index, StepState::kFailed, kCancelledText, kKeepProgress);
  ScopedLock lock(JobsLock());
  Jobs().status.cancelled = true;
  return true;
}

bool BeginJob(const JobStatus& fresh, uint32_t* serial) {
  ScopedLock lock(JobsLock());
  JobsShared& jobs = Jobs();
  if (jobs.status.running) return false;
  jobs.status = fresh;
  jobs.status.running = true;
  ++jobs.job_serial;
  if (serial) *serial = jobs.job_serial;
  ClearCancel(&g_job_cancel);
  return true;
}

void EndJob(bool finished) {
  ScopedLock lock(JobsLock());
  Jobs().status.running = false;
  if (finished) Jobs().status.finished = true;
  WakeAllConditionVariable(&g_job_ended);
}

// [SECTION] Screen side

JobStatus SnapshotJob() {
  ScopedLock lock(JobsLock());
  return Jobs().status;
}

JobStatus SnapshotJob(size_t log_lines) {
  ScopedLock lock(JobsLock());
  std::vector<std::string>& log = Jobs().status.log;
  // Every field but the log copied as a whole (the log is moved aside for it), then the
  // log's tail.
  std::vector<std::string> aside;
  aside.swap(log);
  JobStatus copy = Jobs().status;
  log.swap(aside);
  const size_t first = log.size() > log_lines ? log.size() - log_lines : 0;
  copy.log.assign(log.begin() + static_cast<ptrdiff_t>(first), log.end());
  return copy;
}

void CancelJob() { RequestCancel(&g_job_cancel); }

bool WaitForJobEnd(unsigned timeoutMs) {
  const ULONGLONG until = GetTickCount64() + timeoutMs;
  ScopedLock lock(JobsLock());
  while (Jobs().status.running) {
    const ULONGLONG now = GetTickCount64();
    if (now >= until) return false;
    SleepConditionVariableCS(&g_job_ended, LockSection(JobsLock()), (DWORD)(until - now));
  }
  return true;
}

bool WaitForJobThread(unsigned timeoutMs) {
  HANDLE thread = nullptr;
  {
    ScopedLock lock(JobsLock());
    // A copy, so that a job started meanwhile can close the kept handle.
    if (Jobs().job_thread)
      DuplicateHandle(GetCurrentProcess(), static_cast<HANDLE>(Jobs().job_thread), GetCurrentProcess(), &thread,
                      SYNCHRONIZE, FALSE, 0);
  }
  if (!thread) return true;
  const bool ended = WaitForSingleObject(thread, timeoutMs) == WAIT_OBJECT_0;
  CloseHandle(thread);
  return ended;
}

// [SECTION] Test seam

namespace JobsTesting {

void SetJobObserver(const JobObserver& observer) {
  ScopedLock lock(JobsLock());
  Jobs().observer = observer;
}

}  // namespace JobsTesting
