// The one way outside tools run: no window, standard output and error captured together
// and handed over line by line, the tool and everything it starts held in a job object
// that a cancel ends as a whole. Also the quoting and environment helpers the game
// launch shares.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

// (name, value) pairs applied in order on top of the launcher's environment; an empty
// value removes the variable.
using EnvOverrides = std::vector<std::pair<std::string, std::string>>;

// Receives each non-empty output line: the bytes the tool wrote, without the terminator.
using LineHandler = std::function<void(const std::string& line)>;

constexpr uint32_t kToolDidNotStart = 0xFFFFFFFF;

namespace ChildProcess {

// Runs the tool to its end on the calling thread and returns its exit code, or
// kToolDidNotStart. Lines arrive on this thread, in order, before it returns. While the
// tool runs its job object sits in the current-tool-job slot, where a cancel finds it.
// An empty working directory keeps the launcher's.
uint32_t Run(const std::wstring& commandLine, const std::string& workingDir, const EnvOverrides& overrides,
             const LineHandler& onLine);

}  // namespace ChildProcess

// One command-line argument, quoted so the tool's argv gets exactly this text back.
std::wstring QuoteArgument(const std::wstring& text);

// The launcher's environment with the overrides applied, sorted, ready for
// CreateProcessW with CREATE_UNICODE_ENVIRONMENT.
std::wstring BuildEnvironmentBlock(const EnvOverrides& overrides);

// Suspends (true) or resumes (false) every process in the job. Does nothing when ntdll
// lacks the call or the job holds no process.
void SuspendToolProcesses(HANDLE job, bool suspend);

// Ends the tool in the current-tool-job slot, with everything it started (exit code 1).
void TerminateCurrentTool();

// The handles a process being started may inherit, and no others: whatever else happens
// to be inheritable in the launcher at that moment (the pipe of a tool another thread is
// starting, the game's error log) must not live on in it. Pass `list` through
// STARTUPINFOEXW with EXTENDED_STARTUPINFO_PRESENT; it is null when no handle is wanted
// or the system refused the list.
struct InheritOnly {
  explicit InheritOnly(std::vector<HANDLE> wanted);
  ~InheritOnly();
  InheritOnly(const InheritOnly&) = delete;
  InheritOnly& operator=(const InheritOnly&) = delete;

  std::vector<HANDLE> handles;
  std::vector<char> storage;
  LPPROC_THREAD_ATTRIBUTE_LIST list = nullptr;
};
