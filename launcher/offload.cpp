#include "launcher/offload.h"

#include <windows.h>
#include <objbase.h>

#include <deque>
#include <vector>

#include "platform/scoped_lock.h"

namespace Offload {
namespace {

struct Piece {
  std::function<void()> work, then;
};

// The worker's record lives on the heap and is never freed: a worker still running when
// the process exits must not find its queue destroyed under it.
struct State {
  // lock guards everything below; the work itself runs outside it.
  StaticLock lock;
  std::deque<Piece> queue;
  std::vector<std::function<void()>> finished;  // thens to run on the window's thread
  bool working = false;
  bool stopping = false;
  HANDLE thread = nullptr;
  HANDLE wake = nullptr;  // auto-reset: a piece was queued, or the worker must stop
  CONDITION_VARIABLE idle = CONDITION_VARIABLE_INIT;  // woken when the queue runs dry
};

State& S() {
  static State* state = new State;
  return *state;
}

DWORD WINAPI Worker(LPVOID) {
  // Explorer's "open" wants COM on the calling thread.
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  State& s = S();
  for (;;) {
    Piece piece;
    bool have = false;
    {
      ScopedLock lock(&s.lock);
      if (s.stopping) break;
      if (!s.queue.empty()) {
        piece = std::move(s.queue.front());
        s.queue.pop_front();
        have = true;
      }
      s.working = have;
      if (!have) WakeAllConditionVariable(&s.idle);
    }
    if (!have) {
      WaitForSingleObject(s.wake, INFINITE);
      continue;
    }
    piece.work();
    ScopedLock lock(&s.lock);
    if (piece.then) s.finished.push_back(std::move(piece.then));
  }
  {
    ScopedLock lock(&s.lock);
    s.working = false;
    WakeAllConditionVariable(&s.idle);
  }
  if (SUCCEEDED(com)) CoUninitialize();
  return 0;
}

// Under the lock: the worker, started on first use. False when it can't be.
bool EnsureWorker(State& s) {
  if (s.thread) return true;
  if (s.stopping) return false;
  if (!s.wake) s.wake = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  if (s.wake) s.thread = CreateThread(nullptr, 0, Worker, nullptr, 0, nullptr);
  return s.thread != nullptr;
}

}  // namespace

void Post(std::function<void()> work, std::function<void()> then) {
  State& s = S();
  {
    ScopedLock lock(&s.lock);
    if (EnsureWorker(s)) {
      s.queue.push_back({std::move(work), std::move(then)});
      SetEvent(s.wake);
      return;
    }
  }
  // Late rather than never: without a worker the caller does it.
  work();
  if (then) then();
}

bool ApplyFinished() {
  std::vector<std::function<void()>> done;
  {
    ScopedLock lock(&S().lock);
    done.swap(S().finished);
  }
  for (const std::function<void()>& then : done) then();
  return !done.empty();
}

bool Busy() {
  State& s = S();
  ScopedLock lock(&s.lock);
  return s.working || !s.queue.empty() || !s.finished.empty();
}

bool WaitUntilIdle(unsigned timeout_ms) {
  State& s = S();
  const ULONGLONG until = GetTickCount64() + timeout_ms;
  ScopedLock lock(&s.lock);
  while (s.working || !s.queue.empty()) {
    const ULONGLONG now = GetTickCount64();
    if (now >= until) return false;
    SleepConditionVariableCS(&s.idle, LockSection(&s.lock), static_cast<DWORD>(until - now));
  }
  return true;
}

bool Stop(unsigned timeout_ms) {
  State& s = S();
  HANDLE thread = nullptr;
  {
    ScopedLock lock(&s.lock);
    // No worker yet (or the last one ended): nothing to wait for, and marking it stopping
    // would leave every later piece to run on the caller's thread for good.
    if (!s.thread) return true;
    s.stopping = true;
    s.queue.clear();
    thread = s.thread;
    if (s.wake) SetEvent(s.wake);
  }
  const bool ended = WaitForSingleObject(thread, timeout_ms) == WAIT_OBJECT_0;
  ScopedLock lock(&s.lock);
  s.finished.clear();  // their window has gone
  if (ended) {
    // A window opened again in this process (tests do) starts a new worker.
    CloseHandle(s.thread);
    s.thread = nullptr;
    s.stopping = false;
  }
  return ended;
}

}  // namespace Offload
