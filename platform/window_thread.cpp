#include "platform/window_thread.h"

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>

namespace {

// Read by every thread that checks; written by the window's thread at its start and end.
std::atomic<DWORD> g_window_thread{0};
std::atomic<WindowThreadReport> g_report{nullptr};

}  // namespace

void MarkWindowThread() { g_window_thread = GetCurrentThreadId(); }

void ClearWindowThread() { g_window_thread = 0; }

bool OnWindowThread() {
  const DWORD id = g_window_thread;
  return id != 0 && id == GetCurrentThreadId();
}

void SetWindowThreadReport(WindowThreadReport report) { g_report = report; }

#ifdef WINDOW_THREAD_CHECKS
static void AbortReport(const char* operation) {
  fprintf(stderr, "%s ran on the window thread\n", operation);
  fflush(stderr);
  abort();
}

void ReportIfWindowThread(const char* operation) {
  if (!OnWindowThread()) return;
  const WindowThreadReport report = g_report;
  (report ? report : AbortReport)(operation);
}
#endif
