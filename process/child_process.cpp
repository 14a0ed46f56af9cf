#include "process/child_process.h"

#include <windows.h>

#include <vector>

#include "platform/text.h"
#include "process/process_start.h"
#include "settings/launcher_log.h"

namespace {

const DWORD kReadSize = 64 * 1024;
const uint32_t kCancelledCode = 1;

void CloseIfOpen(HANDLE h) {
  if (h != nullptr && h != INVALID_HANDLE_VALUE) CloseHandle(h);
}

// Hands every complete line in `pending` to the handler and keeps the unterminated rest.
// CR and LF both end a line; the empty piece of a CR LF pair and blank lines are dropped.
void DeliverLines(std::string* pending, std::string* line, const LineHandler& onLine) {
  const char* data = pending->data();
  const size_t size = pending->size();
  size_t start = 0;
  for (size_t i = 0; i < size; ++i) {
    if (data[i] != '\n' && data[i] != '\r') continue;
    if (i > start) {
      line->assign(data + start, i - start);
      onLine(*line);
    }
    start = i + 1;
  }
  // One erase per chunk keeps a flood of short lines linear in the output size.
  pending->erase(0, start);
}

bool JobHasProcesses(HANDLE job) {
  JOBOBJECT_BASIC_ACCOUNTING_INFORMATION info = {};
  if (!QueryInformationJobObject(job, JobObjectBasicAccountingInformation, &info, sizeof info, nullptr)) return true;
  return info.ActiveProcesses > 0;
}

// Ends what a tool leaves holding its output. The output of a tool ends when every
// process holding the pipe has gone, and a process the tool started may hold it long
// after the tool itself has exited (a build server, a stray child): once the tool's own
// process has ended, the output gets a short grace, then the rest of the job is ended.
struct EndWatch {
  HANDLE process = nullptr;
  HANDLE job = nullptr;
  HANDLE output_ended = nullptr;  // set by the runner at the end of the output
  std::string program;
};

DWORD WINAPI WatchToolEnd(LPVOID param) {
  const EndWatch* watch = static_cast<const EndWatch*>(param);
  HANDLE either[2] = {watch->output_ended, watch->process};
  if (WaitForMultipleObjects(2, either, FALSE, INFINITE) != WAIT_OBJECT_0 + 1) return 0;
  if (WaitForSingleObject(watch->output_ended, ChildProcess::kLeftoverGraceMs) != WAIT_TIMEOUT) return 0;
  // Still reading what the tool wrote before it exited: nothing is left to end.
  if (!JobHasProcesses(watch->job)) return 0;
  LogLine("[launcher] %s exited, but what it started kept its output open; ended that after %u ms",
          watch->program.c_str(), ChildProcess::kLeftoverGraceMs);
  TerminateJobObject(watch->job, 1);
  return 0;
}

}  // namespace

namespace ChildProcess {

uint32_t Run(const std::wstring& commandLine, const std::string& workingDir, const EnvOverrides& overrides,
             const LineHandler& onLine, CancelToken* cancel) {
  if (CancelRequested(cancel)) return kCancelledCode;
  ProcessLaunch launch;
  launch.commandLine = commandLine;
  launch.workingDir = workingDir;
  launch.environment = overrides;
  SECURITY_ATTRIBUTES sa = {};
  sa.nLength = sizeof sa;
  sa.bInheritHandle = TRUE;
  HANDLE read_end = nullptr, write_end = nullptr;
  if (!CreatePipe(&read_end, &write_end, &sa, 0)) {
    LogLine("[launcher] %s didn't start: no pipe for its output (Windows error %lu)", ProgramOf(launch).c_str(),
            (unsigned long)GetLastError());
    return kToolDidNotStart;
  }
  SetHandleInformation(read_end, HANDLE_FLAG_INHERIT, 0);  // only the write end goes to the tool
  HANDLE null_in = CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &sa, OPEN_EXISTING, 0, nullptr);

  HANDLE job = CreateJobObjectA(nullptr, nullptr);
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
  limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
  SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits);

  launch.input = null_in;
  launch.output = write_end;
  launch.error = write_end;
  launch.suspended = true;  // into the job before its first instruction
  PROCESS_INFORMATION pi = {};
  DWORD start_error = 0;
  const bool started = StartProcess(launch, &pi, &start_error);
  // From here only the tool may hold the write end, so the reads end when it (and all it
  // started) has gone.
  CloseHandle(write_end);
  CloseIfOpen(null_in);
  if (!started) {
    // The caller only sees -1; the reason goes to the log.
    LogLine("[launcher] %s didn't start (Windows error %lu)", ProgramOf(launch).c_str(), (unsigned long)start_error);
    CloseHandle(read_end);
    CloseIfOpen(job);
    return kToolDidNotStart;
  }

  // In the job before its first instruction, so everything it starts is in the job too.
  AssignProcessToJobObject(job, pi.hProcess);
  const bool go = cancel == nullptr || PublishTool(cancel, job);
  if (go)
    ResumeThread(pi.hThread);
  else
    TerminateProcess(pi.hProcess, kCancelledCode);  // never ran a line of its own
  CloseHandle(pi.hThread);

  EndWatch watch;
  watch.process = pi.hProcess;
  watch.job = job;
  watch.output_ended = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  watch.program = ProgramOf(launch);
  HANDLE watcher = watch.output_ended ? CreateThread(nullptr, 0, WatchToolEnd, &watch, 0, nullptr) : nullptr;

  // Large reads: each read is a round trip to the system (under Wine, to its server), and
  // reads of 4 KiB made a chatty tool several times slower than a plain pipe.
  std::vector<char> buffer(kReadSize);
  std::string pending, line;
  DWORD n = 0;
  while (ReadFile(read_end, buffer.data(), kReadSize, &n, nullptr) && n > 0) {
    pending.append(buffer.data(), n);
    DeliverLines(&pending, &line, onLine);
  }
  if (!pending.empty()) onLine(pending);
  CloseHandle(read_end);
  if (watcher) {
    SetEvent(watch.output_ended);
    WaitForSingleObject(watcher, INFINITE);
    CloseHandle(watcher);
  }
  CloseIfOpen(watch.output_ended);

  WaitForSingleObject(pi.hProcess, INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hProcess);
  if (!go) code = kCancelledCode;

  if (cancel) WithdrawTool(cancel, job);
  CloseIfOpen(job);  // ends whatever the tool left running
  return code;
}

}  // namespace ChildProcess
