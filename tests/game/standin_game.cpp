// Stands in for KestraneGame.exe. What it was given goes to "received.txt" next to it
// (written whole through a .tmp file, so a reader never sees part of it):
//   [arg] ARG               each argument, the program path first
//   [cwd] FOLDER
//   [stdin] / [stdout] / [stderr] KIND   "file", "pipe", "char" (the null device) or "none"
//   [env] NAME=VALUE        the whole environment block, in its order
//   [handle] 0xH open|closed   for each handle=0xH in the steering (inheritance checks)
//   [settings] LINE         each line of the settings.ini the game reads (KESTRANE_SETTINGS_FILE,
//                           else %LOCALAPPDATA%\Kestrane\settings.ini)
// Then it writes "[game] started (aspect A, launched L)" to standard error and plays as
// steered by "game.steer" next to it, key=value lines:
//   stderr=TEXT      another line for standard error (repeatable)
//   run_ms=N         ends after N ms (default: plays until it is ended from outside)
//   exit=N           exit code, decimal or 0x hex (default 0)
//   crash=access|divide|breakpoint   ends with that exception, for real, instead
//   crash_report=1   its crash handler writes crash_<local time>.txt into the logs folder
//   handle=0xH       see [handle] above
// The mode follows the game contract's environment; play is the only mode so far.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

#include "platform/text.h"
#include "tests/jobs/tools/standin.h"

namespace {

std::string g_crash_report_folder;  // set when steered to write a crash report

void WriteStderr(const std::string& line) {
  const std::string bytes = line + "\n";
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_ERROR_HANDLE), bytes.data(), (DWORD)bytes.size(), &written, nullptr);
}

std::string StreamKind(DWORD which) {
  HANDLE h = GetStdHandle(which);
  if (h == nullptr || h == INVALID_HANDLE_VALUE) return "none";
  switch (GetFileType(h)) {
    case FILE_TYPE_DISK: return "file";
    case FILE_TYPE_PIPE: return "pipe";
    case FILE_TYPE_CHAR: return "char";
    default: return "unknown";
  }
}

void WriteReceived(const standin::Steering& steering) {
  std::string out;
  for (const std::string& arg : standin::Args()) out += "[arg] " + arg + "\n";
  wchar_t cwd[1024];
  DWORD n = GetCurrentDirectoryW(1024, cwd);
  out += "[cwd] " + text::WideToUtf8(std::wstring(cwd, n)) + "\n";
  out += "[stdin] " + StreamKind(STD_INPUT_HANDLE) + "\n";
  out += "[stdout] " + StreamKind(STD_OUTPUT_HANDLE) + "\n";
  out += "[stderr] " + StreamKind(STD_ERROR_HANDLE) + "\n";
  wchar_t* block = GetEnvironmentStringsW();
  for (const wchar_t* p = block; *p; p += wcslen(p) + 1)
    if (*p != L'=') out += "[env] " + text::WideToUtf8(p) + "\n";  // skip the "=C:" drive entries
  FreeEnvironmentStringsW(block);
  auto handles = steering.find("handle");
  if (handles != steering.end()) {
    for (const std::string& value : handles->second) out += "[handle] " + standin::HandleState(value) + "\n";
  }
  std::string settings;
  if (!standin::Env("KESTRANE_SETTINGS_FILE", &settings) || settings.empty()) {
    standin::Env("LOCALAPPDATA", &settings);
    settings += "\\Kestrane\\settings.ini";
  }
  if (FILE* ini = _wfopen(text::Utf8ToWide(settings).c_str(), L"r")) {
    char line[1024];
    while (fgets(line, sizeof line, ini)) out += std::string("[settings] ") + line;
    fclose(ini);
  }

  const std::wstring path = text::Utf8ToWide(standin::OwnDir() + "received.txt");
  FILE* f = _wfopen((path + L".tmp").c_str(), L"wb");
  if (!f) return;
  fwrite(out.data(), 1, out.size(), f);
  fclose(f);
  MoveFileExW((path + L".tmp").c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
}

// The real game's crash handler writes its report and lets Windows end the process with
// the exception code; doing the same here also keeps Wine from starting its debugger.
LONG WINAPI OnCrash(EXCEPTION_POINTERS* info) {
  const unsigned code = (unsigned)info->ExceptionRecord->ExceptionCode;
  char hex[16];
  snprintf(hex, sizeof hex, "0x%08X", code);
  WriteStderr(std::string("[game] crashed with exception ") + hex);
  if (!g_crash_report_folder.empty()) {
    char name[64];
    time_t now = time(nullptr);
    struct tm parts = {};
    localtime_s(&parts, &now);
    strftime(name, sizeof name, "crash_%Y-%m-%d_%H-%M.txt", &parts);
    std::string home, self = standin::OwnDir();
    standin::Env("USERPROFILE", &home);
    char body[512];
    snprintf(body, sizeof body, "Crash report\nexception %s\nprogram folder %s\nhome %s\n", hex, self.c_str(), home.c_str());
    FILE* f = _wfopen(text::Utf8ToWide(g_crash_report_folder + "\\" + name).c_str(), L"wb");
    if (f) {
      fputs(body, f);
      fclose(f);
    }
  }
  return EXCEPTION_EXECUTE_HANDLER;
}

// Every access is volatile: the compiler must not drop a fault it can prove pointless.
[[noreturn]] void Crash(const std::string& how) {
  volatile int zero = 0, one = 1;
  volatile int* volatile nowhere = nullptr;
  if (how == "access") *nowhere = 1;
  if (how == "divide") zero = one / zero;
  if (how == "breakpoint") DebugBreak();
  ExitProcess(3);  // an unknown kind of crash: a steering mistake
}

int Play(const standin::Steering& steering) {
  std::string aspect = "unset", launched = "unset";
  standin::Env("KESTRANE_ASPECT", &aspect);
  standin::Env("KESTRANE_LAUNCHED", &launched);
  WriteStderr("[game] started (aspect " + aspect + ", launched " + launched + ")");
  auto lines = steering.find("stderr");
  if (lines != steering.end())
    for (const std::string& line : lines->second) WriteStderr(line);

  const std::string run_ms = standin::Value(steering, "run_ms", "");
  Sleep(run_ms.empty() ? INFINITE : (DWORD)strtoul(run_ms.c_str(), nullptr, 10));
  const std::string crash = standin::Value(steering, "crash", "");
  if (!crash.empty()) Crash(crash);
  const unsigned code = (unsigned)strtoul(standin::Value(steering, "exit", "0").c_str(), nullptr, 0);
  WriteStderr("[game] exiting with code " + std::to_string(code));
  return (int)code;
}

}  // namespace

int main() {
  const standin::Steering steering = standin::ReadSteering(standin::OwnDir() + "game.steer");
  if (standin::Value(steering, "crash_report", "0") == "1") {
    std::string local;
    if (!standin::Env("LOCALAPPDATA", &local)) local = ".";
    g_crash_report_folder = local + "\\Kestrane\\logs";
    CreateDirectoryW(text::Utf8ToWide(local + "\\Kestrane").c_str(), nullptr);
    CreateDirectoryW(text::Utf8ToWide(g_crash_report_folder).c_str(), nullptr);
  }
  SetUnhandledExceptionFilter(OnCrash);
  WriteReceived(steering);
  return Play(steering);
}
