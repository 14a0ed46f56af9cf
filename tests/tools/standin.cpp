#include "tests/tools/standin.h"

#include <windows.h>
#include <shellapi.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>

#include "platform/create_process.h"
#include "platform/text.h"
#include "tests/support/stray_handle.h"

namespace standin {

namespace {
const char kSpinChildFlag[] = "--standin-spin-child";
const char kIdleChildFlag[] = "--standin-idle-child";

[[noreturn]] void Tick(const std::string& prefix) {
  for (unsigned n = 0;; ++n) {
    Line(prefix + " " + std::to_string(n));
    Sleep(20);
  }
}
}  // namespace

std::vector<std::string> Args() {
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> args;
  for (int i = 0; i < count; ++i) args.push_back(text::WideToUtf8(wide[i]));
  LocalFree(wide);
  return args;
}

std::string OwnDir() {
  wchar_t buffer[1024];
  DWORD n = GetModuleFileNameW(nullptr, buffer, 1024);
  std::string path = text::WideToUtf8(std::wstring(buffer, n));
  return path.substr(0, path.find_last_of("\\/") + 1);
}

Steering ReadSteering(const std::string& path) {
  Steering steering;
  FILE* f = _wfopen(text::Utf8ToWide(path).c_str(), L"rb");
  if (!f) return steering;
  char buffer[4096];
  while (fgets(buffer, sizeof buffer, f)) {
    std::string line(buffer);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    steering[line.substr(0, eq)].push_back(line.substr(eq + 1));
  }
  fclose(f);
  return steering;
}

std::string Value(const Steering& steering, const std::string& key, const std::string& fallback) {
  auto it = steering.find(key);
  return it == steering.end() || it->second.empty() ? fallback : it->second.back();
}

void Line(const std::string& text) {
  std::string bytes = text + "\n";
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), (DWORD)bytes.size(), &written, nullptr);
}

std::string HandleState(const std::string& value) {
  // What the value names here, not whether it is valid: a handle of this process's own
  // may have the same value.
  HANDLE h = (HANDLE)(uintptr_t)strtoull(value.c_str(), nullptr, 0);
  wchar_t path[1024];
  const DWORD n = GetFinalPathNameByHandleW(h, path, 1024, FILE_NAME_NORMALIZED);
  const bool inherited = n > 0 && n < 1024 && wcsstr(path, testsupport::kStrayMarker) != nullptr;
  return value + (inherited ? " open" : " closed");
}

unsigned CountEntries(const std::string& folder, bool folders_too) {
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW(text::Utf8ToWide(folder + "\\*").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return 0;
  unsigned count = 0;
  do {
    const bool folder_entry = (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (wcscmp(fd.cFileName, L".") != 0 && wcscmp(fd.cFileName, L"..") != 0 && (folders_too || !folder_entry)) ++count;
  } while (FindNextFileW(h, &fd));
  FindClose(h);
  return count;
}

bool Env(const char* name, std::string* value) {
  wchar_t buffer[32768];
  SetLastError(ERROR_SUCCESS);
  DWORD n = GetEnvironmentVariableW(text::Utf8ToWide(name).c_str(), buffer, 32768);
  if (n == 0 && GetLastError() == ERROR_ENVVAR_NOT_FOUND) return false;
  *value = text::WideToUtf8(std::wstring(buffer, n < 32768 ? n : 0));
  return true;
}

HANDLE StartCopy(const std::string& args, DWORD* pid) {
  wchar_t self[1024];
  GetModuleFileNameW(nullptr, self, 1024);
  std::wstring cmd = L"\"" + std::wstring(self) + L"\" " + text::Utf8ToWide(args);
  STARTUPINFOW si = {};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  si.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
  si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION pi = {};
  DWORD error = 0;
  if (!CreateProcessTrying(nullptr, cmd, TRUE, CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi, &error)) {
    SetLastError(error);  // callers report it
    return nullptr;
  }
  CloseHandle(pi.hThread);
  if (pid) *pid = pi.dwProcessId;
  return pi.hProcess;
}

HANDLE StartSpinningCopy(const std::string& tag, DWORD* pid) {
  return StartCopy(std::string(kSpinChildFlag) + " " + tag, pid);
}

HANDLE StartDetachedIdleCopy(DWORD* pid) {
  wchar_t self[1024];
  GetModuleFileNameW(nullptr, self, 1024);
  std::wstring cmd = L"\"" + std::wstring(self) + L"\" " + text::Utf8ToWide(kIdleChildFlag);
  STARTUPINFOW si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  DWORD error = 0;
  if (!CreateProcessTrying(nullptr, cmd, FALSE, CREATE_NO_WINDOW | DETACHED_PROCESS, nullptr, nullptr, &si, &pi,
                           &error)) {
    SetLastError(error);
    return nullptr;
  }
  CloseHandle(pi.hThread);
  if (pid) *pid = pi.dwProcessId;
  return pi.hProcess;
}

void SpinWithGrandchild(const std::string& tag) {
  DWORD pid = 0;
  HANDLE grandchild = StartSpinningCopy(tag, &pid);
  if (!grandchild) {
    Line("error: couldn't start the grandchild");
    ExitProcess(2);
  }
  Line("grandchild " + std::to_string(pid));
  CloseHandle(grandchild);
  Tick(tag + " parent");
}

void RunSpinChildIfAsked(int argc, char** argv) {
  if (argc >= 3 && strcmp(argv[1], kSpinChildFlag) == 0) Tick(std::string(argv[2]) + " child");
  if (argc >= 2 && strcmp(argv[1], kIdleChildFlag) == 0) {
    Sleep(INFINITE);
    ExitProcess(0);
  }
}

}  // namespace standin
