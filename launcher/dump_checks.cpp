#include "launcher/dump_checks.h"

#include <windows.h>

#include <deque>

#include "dump/dump_judgement.h"
#include "jobs/job_status.h"
#include "platform/scoped_lock.h"
#include "process/cancel_token.h"

namespace DumpChecks {
namespace {

struct Request {
  bool is_status = false;
  uint64_t ticket = 0;
  std::string path;
};

// The worker's record lives on the heap and is never freed: a worker still judging when
// the process exits must not find its queue destroyed under it.
struct State {
  // lock guards everything below but `cancel`, which has its own; the judgement itself
  // runs outside it.
  StaticLock lock;
  std::deque<Request> queue;
  std::vector<Result> finished;
  uint64_t next_ticket = 1;
  bool working = false;
  bool stopping = false;
  HANDLE thread = nullptr;
  HANDLE wake = nullptr;  // auto-reset: a request was queued, or the worker must stop
  CONDITION_VARIABLE idle = CONDITION_VARIABLE_INIT;  // woken, under lock, when the worker runs dry
  // Given to every judgement, so a shutdown ends a running dtk (and the extraction's
  // probe folder goes with it) instead of waiting minutes for it.
  CancelToken cancel;
  HANDLE gate = nullptr;  // DumpChecksTesting::SetGate
};

State& S() {
  static State* state = new State;
  return *state;
}

bool Stopping() {
  ScopedLock lock(&S().lock);
  return S().stopping;
}

Result Judge(const Request& request) {
  HANDLE gate = nullptr;
  {
    ScopedLock lock(&S().lock);
    gate = S().gate;
  }
  if (gate) WaitForSingleObject(gate, INFINITE);
  // A setup job reads the disc folder's DATA until it has indexed the game: another image
  // extracted there meanwhile would change the files under it, so images wait for it.
  if (!request.is_status && IsDiscImage(request.path)) {
    while (!Stopping() && SnapshotJob(0).running && SnapshotJob(0).kind == kJobSetup) WaitForJobEnd(1000);
  }
  Result result;
  result.is_status = request.is_status;
  result.ticket = request.ticket;
  result.path = request.path;
  if (request.is_status) {
    result.status = ReadDumpStatus(request.path, &S().cancel);
    result.build = ReadBuildStatus();
  } else {
    result.candidate = ClassifyDump(request.path, &S().cancel);
  }
  return result;
}

DWORD WINAPI Worker(LPVOID) {
  State& s = S();
  for (;;) {
    Request request;
    {
      ScopedLock lock(&s.lock);
      if (s.stopping) break;
      if (!s.queue.empty()) {
        request = std::move(s.queue.front());
        s.queue.pop_front();
      }
      s.working = request.ticket != 0;
      if (!s.working) WakeAllConditionVariable(&s.idle);
    }
    if (request.ticket == 0) {
      WaitForSingleObject(s.wake, INFINITE);
      continue;
    }
    Result result = Judge(request);
    ScopedLock lock(&s.lock);
    if (!s.stopping) s.finished.push_back(std::move(result));
  }
  ScopedLock lock(&s.lock);
  s.working = false;
  WakeAllConditionVariable(&s.idle);
  return 0;
}

uint64_t Queue(bool is_status, const std::string& path) {
  State& s = S();
  Request request{is_status, 0, path};
  {
    ScopedLock lock(&s.lock);
    request.ticket = s.next_ticket++;
    if (!s.thread && !s.stopping) {
      if (!s.wake) s.wake = CreateEventW(nullptr, FALSE, FALSE, nullptr);
      if (s.wake) s.thread = CreateThread(nullptr, 0, Worker, nullptr, 0, nullptr);
    }
    if (s.thread && !s.stopping) {
      s.queue.push_back(request);
      SetEvent(s.wake);
      return request.ticket;
    }
  }
  // Without a worker thread the verdict is still owed: judge here, late rather than never.
  Result result = Judge(request);
  ScopedLock lock(&s.lock);
  s.finished.push_back(std::move(result));
  return request.ticket;
}

}  // namespace

uint64_t QueueChoice(const std::string& path) { return Queue(false, path); }

uint64_t QueueStatus(const std::string& path) { return Queue(true, path); }

std::vector<Result> TakeFinished() {
  ScopedLock lock(&S().lock);
  std::vector<Result> out;
  out.swap(S().finished);
  return out;
}

bool Busy() {
  ScopedLock lock(&S().lock);
  return S().working || !S().queue.empty();
}

bool WaitUntilIdle(unsigned timeoutMs) {
  State& s = S();
  const ULONGLONG until = GetTickCount64() + timeoutMs;
  ScopedLock lock(&s.lock);
  while (s.working || !s.queue.empty()) {
    const ULONGLONG now = GetTickCount64();
    if (now >= until) return false;
    SleepConditionVariableCS(&s.idle, LockSection(&s.lock), static_cast<DWORD>(until - now));
  }
  return true;
}

bool Stop(unsigned timeoutMs) {
  State& s = S();
  HANDLE thread = nullptr;
  {
    ScopedLock lock(&s.lock);
    s.stopping = true;
    s.queue.clear();
    thread = s.thread;
    if (s.wake) SetEvent(s.wake);
  }
  RequestCancel(&s.cancel);  // ends a dtk that runs now; the judgement then returns
  if (!thread) {
    ClearCancel(&s.cancel);
    ScopedLock lock(&s.lock);
    s.stopping = false;
    return true;
  }
  const bool ended = WaitForSingleObject(thread, timeoutMs) == WAIT_OBJECT_0;
  ScopedLock lock(&s.lock);
  s.finished.clear();  // their window has gone
  if (ended) {
    // A window opened again in this process (tests do) starts a new worker.
    CloseHandle(s.thread);
    s.thread = nullptr;
    s.stopping = false;
    ClearCancel(&s.cancel);
  }
  return ended;
}

}  // namespace DumpChecks

namespace DumpChecksTesting {

void SetGate(void* gate) {
  ScopedLock lock(&DumpChecks::S().lock);
  DumpChecks::S().gate = static_cast<HANDLE>(gate);
}

}  // namespace DumpChecksTesting
