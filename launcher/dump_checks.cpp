#include "launcher/dump_checks.h"

#include <windows.h>

#include <deque>

#include "dump/dump_judgement.h"
#include "jobs/job_status.h"
#include "platform/scoped_lock.h"

namespace DumpChecks {
namespace {

struct Request {
  bool is_status = false;
  uint64_t ticket = 0;
  std::string path;
};

// g_lock guards the queue, the finished list, the ticket counter, `working` and the
// worker's start; the judgement itself runs outside it.
StaticLock g_lock;
std::deque<Request> g_queue;
std::vector<Result> g_finished;
uint64_t g_next_ticket = 1;
bool g_working = false;
HANDLE g_wake = nullptr;  // auto-reset: a request was queued
CONDITION_VARIABLE g_idle = CONDITION_VARIABLE_INIT;  // woken, under g_lock, when the worker runs dry

Result Judge(const Request& request) {
  // A setup job reads the disc folder's DATA until it has indexed the game: another image
  // extracted there meanwhile would change the files under it, so images wait for it.
  if (!request.is_status && IsDiscImage(request.path)) {
    while (SnapshotJob().running && SnapshotJob().kind == kJobSetup) WaitForJobEnd(1000);
  }
  Result result;
  result.is_status = request.is_status;
  result.ticket = request.ticket;
  result.path = request.path;
  if (request.is_status)
    result.status = ReadDumpStatus();
  else
    result.candidate = ClassifyDump(request.path);
  return result;
}

DWORD WINAPI Worker(LPVOID) {
  for (;;) {
    Request request;
    {
      ScopedLock lock(&g_lock);
      if (g_queue.empty()) {
        g_working = false;
        WakeAllConditionVariable(&g_idle);
      } else {
        request = std::move(g_queue.front());
        g_queue.pop_front();
        g_working = true;
      }
    }
    if (request.ticket == 0) {
      WaitForSingleObject(g_wake, INFINITE);
      continue;
    }
    Result result = Judge(request);
    ScopedLock lock(&g_lock);
    g_finished.push_back(std::move(result));
  }
}

uint64_t Queue(bool is_status, const std::string& path) {
  Request request{is_status, 0, path};
  {
    ScopedLock lock(&g_lock);
    request.ticket = g_next_ticket++;
    if (!g_wake) {
      g_wake = CreateEventW(nullptr, FALSE, FALSE, nullptr);
      HANDLE thread = g_wake ? CreateThread(nullptr, 0, Worker, nullptr, 0, nullptr) : nullptr;
      if (thread) {
        CloseHandle(thread);
      } else if (g_wake) {
        CloseHandle(g_wake);
        g_wake = nullptr;
      }
    }
    if (g_wake) {
      g_queue.push_back(request);
      SetEvent(g_wake);
      return request.ticket;
    }
  }
  // Without a worker thread the verdict is still owed: judge here, late rather than never.
  Result result = Judge(request);
  ScopedLock lock(&g_lock);
  g_finished.push_back(std::move(result));
  return request.ticket;
}

}  // namespace

uint64_t QueueChoice(const std::string& path) { return Queue(false, path); }

uint64_t QueueStatus() { return Queue(true, std::string()); }

std::vector<Result> TakeFinished() {
  ScopedLock lock(&g_lock);
  std::vector<Result> out;
  out.swap(g_finished);
  return out;
}

bool Busy() {
  ScopedLock lock(&g_lock);
  return g_working || !g_queue.empty();
}

bool WaitUntilIdle(unsigned timeoutMs) {
  const ULONGLONG until = GetTickCount64() + timeoutMs;
  ScopedLock lock(&g_lock);
  while (g_working || !g_queue.empty()) {
    const ULONGLONG now = GetTickCount64();
    if (now >= until) return false;
    SleepConditionVariableCS(&g_idle, LockSection(&g_lock), (DWORD)(until - now));
  }
  return true;
}

}  // namespace DumpChecks
