#include "jobs/job_status.h"

#include "jobs/jobs_lock.h"
#include "platform/text.h"
#include "process/child_process.h"
#include "settings/launcher_log.h"

namespace {
const size_t kLogLimit = 400;
const size_t kLogTrim = 100;
const wchar_t kCancelledText[] = L"Cancelled. Your current game stays as it is.";
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

// [SECTION] Job thread side

void SetStep(int index, StepState state, const std::wstring& detail, float progress) {
  const double now = JobClockSeconds();
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
}

void AppendJobLog(const std::string& line) {
  ScopedLock lock(JobsLock());
  std::vector<std::string>& log = Jobs().status.log;
  log.push_back(line);
  if (log.size() > kLogLimit) log.erase(log.begin(), log.begin() + kLogTrim);
}

void FailStep(int index, const std::wstring& message) {
  SetStep(index, StepState::kFailed, message, kKeepProgress);
  std::wstring title;
  {
    ScopedLock lock(JobsLock());
    const std::vector<SetupStep>& steps = Jobs().status.steps;
    if (index >= 0 && index < (int)steps.size()) title = steps[index].title;
  }
  // Outside the lock: the error log is a file.
  LogLine("[launcher] %s: %s", text::WideToUtf8(title).c_str(), text::WideToUtf8(message).c_str());
  ScopedLock lock(JobsLock());
  Jobs().status.failed = true;
}

bool CancelRequested() { return Jobs().cancel_request.load() != 0; }

bool CheckCancel(int index) {
  if (!CancelRequested()) return false;
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
  jobs.cancel_request.exchange(0);
  return true;
}

void EndJob(bool finished) {
  ScopedLock lock(JobsLock());
  Jobs().status.running = false;
  if (finished) Jobs().status.finished = true;
}

// [SECTION] Screen side

JobStatus SnapshotJob() {
  ScopedLock lock(JobsLock());
  return Jobs().status;
}

void CancelJob() {
  Jobs().cancel_request.exchange(1);
  TerminateCurrentTool();
}
