#include "platform/create_process.h"

#include <atomic>

namespace {

// Starts a test asked to fail, and the error they fail with.
std::atomic<int> g_failing_starts{0};
std::atomic<DWORD> g_failing_error{0};

bool TakeFailingStart() {
  int failing = g_failing_starts.load();
  while (failing > 0)
    if (g_failing_starts.compare_exchange_weak(failing, failing - 1)) return true;
  return false;
}

// The system lost the new process before it ran (see the header).
bool StartWasLost(DWORD error) { return error == ERROR_INTERNAL_ERROR; }

}  // namespace

bool CreateProcessTrying(const wchar_t* program, const std::wstring& command, BOOL inherit, DWORD flags,
                         void* environment, const wchar_t* cwd, STARTUPINFOW* startup, PROCESS_INFORMATION* started,
                         DWORD* error, const std::function<void(DWORD error)>& retrying) {
  for (int attempt = 1;; ++attempt) {
    *started = PROCESS_INFORMATION{};
    if (TakeFailingStart()) {
      *error = g_failing_error.load();
    } else {
      std::wstring line = command;
      if (CreateProcessW(program, &line[0], nullptr, nullptr, inherit, flags, environment, cwd, startup, started)) {
        *error = ERROR_SUCCESS;
        return true;
      }
      *error = GetLastError();
    }
    if (!StartWasLost(*error) || attempt == kStartAttempts) return false;
    if (retrying) retrying(*error);
  }
}

namespace ProcessTesting {

void FailNextStarts(int count, DWORD error) {
  g_failing_error.store(error);
  g_failing_starts.store(count);
}

}  // namespace ProcessTesting
