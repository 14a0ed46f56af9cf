#include "tests/support/child_run.h"

#include <windows.h>

#include "platform/create_process.h"
#include "platform/text.h"
#include "process/environment_block.h"
#include "process/quote_argument.h"

namespace testsupport {

std::string Lf(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i)
    if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) out += text[i];
  return out;
}

static std::wstring CommandLine(const std::string& exe, const std::vector<std::string>& args) {
  std::wstring cmd = QuoteArgument(text::Utf8ToWide(exe));
  for (const std::string& a : args) cmd += L" " + QuoteArgument(text::Utf8ToWide(a));
  return cmd;
}

struct Drain {
  HANDLE pipe = nullptr;
  std::string* into = nullptr;
  HANDLE thread = nullptr;
};

static DWORD WINAPI DrainThread(LPVOID param) {
  Drain* d = static_cast<Drain*>(param);
  char buf[4096];
  DWORD n = 0;
  while (ReadFile(d->pipe, buf, sizeof buf, &n, nullptr) && n > 0) d->into->append(buf, n);
  return 0;
}

static void StartDrain(Drain* d, HANDLE pipe, std::string* into) {
  d->pipe = pipe;
  d->into = into;
  d->thread = CreateThread(nullptr, 0, DrainThread, d, 0, nullptr);
}

// Grandchildren may still hold the pipe after the child ends; don't wait for them forever.
static void FinishDrain(Drain* d) {
  if (!d->thread) return;
  if (WaitForSingleObject(d->thread, 10000) == WAIT_TIMEOUT) {
    CancelIoEx(d->pipe, nullptr);
    WaitForSingleObject(d->thread, INFINITE);
  }
  CloseHandle(d->thread);
}

ChildResult RunChild(const std::string& exe, const std::vector<std::string>& args, const ChildOptions& options) {
  ChildResult result;
  SECURITY_ATTRIBUTES sa = {sizeof sa, nullptr, TRUE};
  HANDLE out_read = nullptr, out_write = nullptr, err_read = nullptr, err_write = nullptr;
  HANDLE out_file = INVALID_HANDLE_VALUE;
  if (!CreatePipe(&err_read, &err_write, &sa, 0)) return result;
  SetHandleInformation(err_read, HANDLE_FLAG_INHERIT, 0);
  HANDLE child_out = nullptr;
  if (!options.stdout_file.empty()) {
    out_file = CreateFileW(text::Utf8ToWide(options.stdout_file).c_str(), GENERIC_WRITE, FILE_SHARE_READ, &sa, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    child_out = out_file;
  } else if (!options.no_stdout) {
    CreatePipe(&out_read, &out_write, &sa, 0);
    SetHandleInformation(out_read, HANDLE_FLAG_INHERIT, 0);
    child_out = out_write;
  }
  HANDLE null_in = CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &sa, OPEN_EXISTING, 0, nullptr);

  std::wstring cmd = CommandLine(exe, args);
  std::wstring env = BuildEnvironmentBlock(options.env);
  std::wstring cwd = text::Utf8ToWide(options.working_dir);

  STARTUPINFOW si = {};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdInput = null_in;
  si.hStdOutput = child_out;
  si.hStdError = err_write;
  PROCESS_INFORMATION pi = {};
  DWORD error = 0;
  const bool ok = CreateProcessTrying(nullptr, cmd, TRUE, CREATE_UNICODE_ENVIRONMENT | CREATE_NO_WINDOW, &env[0],
                                      cwd.empty() ? nullptr : cwd.c_str(), &si, &pi, &error);
  // Only the child may hold the write ends now, so the reads end when it does.
  if (out_write) CloseHandle(out_write);
  CloseHandle(err_write);
  if (out_file != INVALID_HANDLE_VALUE) CloseHandle(out_file);
  if (null_in != INVALID_HANDLE_VALUE) CloseHandle(null_in);
  if (!ok) {
    if (out_read) CloseHandle(out_read);
    CloseHandle(err_read);
    return result;
  }
  result.started = true;
  Drain out_drain, err_drain;
  if (out_read) StartDrain(&out_drain, out_read, &result.out);
  StartDrain(&err_drain, err_read, &result.err);
  if (options.while_running) options.while_running(pi.dwProcessId);
  if (WaitForSingleObject(pi.hProcess, options.timeout_ms) == WAIT_TIMEOUT) {
    result.timed_out = true;
    TerminateProcess(pi.hProcess, 0xDEAD);
    WaitForSingleObject(pi.hProcess, INFINITE);
  }
  DWORD code = 0;
  GetExitCodeProcess(pi.hProcess, &code);
  result.exit_code = code;
  FinishDrain(&out_drain);
  FinishDrain(&err_drain);
  result.out = Lf(result.out);
  result.err = Lf(result.err);
  if (out_read) CloseHandle(out_read);
  CloseHandle(err_read);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return result;
}

StartedChild StartChild(const std::string& exe, const std::vector<std::string>& args, const ChildOptions& options) {
  std::wstring cmd = CommandLine(exe, args);
  std::wstring env = BuildEnvironmentBlock(options.env);
  const std::wstring cwd = text::Utf8ToWide(options.working_dir);
  STARTUPINFOW si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  StartedChild child;
  DWORD error = 0;
  if (!CreateProcessTrying(nullptr, cmd, FALSE, CREATE_UNICODE_ENVIRONMENT, &env[0],
                           cwd.empty() ? nullptr : cwd.c_str(), &si, &pi, &error))
    return child;
  CloseHandle(pi.hThread);
  child.process = pi.hProcess;
  child.id = pi.dwProcessId;
  return child;
}

}  // namespace testsupport
