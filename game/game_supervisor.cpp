#include "game/game_supervisor.h"

#include <atomic>
#include <cstdio>
#include <memory>

#include "game/game_contract.h"
#include "game/run_records.h"
#include "platform/files.h"
#include "platform/local_time.h"
#include "platform/scoped_lock.h"
#include "platform/text.h"
#include "process/process_start.h"
#include "settings/launcher_log.h"
#include "settings/settings_store.h"

namespace {

// [SECTION] State

// Guards g_game_process, the game slot: the process handle of the game being played, set
// by LaunchGame and emptied by its monitor thread; non-null exactly while a game runs.
// Under it only the slot is read or changed, or TerminateProcess called on it.
StaticLock g_game_lock;
HANDLE g_game_process = nullptr;

// The notification target: written once by the window before any game starts, read by
// the monitor threads. Atomics, so no lock is needed to read it.
std::atomic<HWND> g_window{nullptr};
std::atomic<UINT> g_message{0};

// The run of the game that ended last; g_last_run_lock guards all three.
StaticLock g_last_run_lock;
bool g_has_last_run = false;
RunRecord g_last_run;
RunRecorded g_last_run_recorded = RunRecorded::kInRunsFile;

void CloseIfOpen(HANDLE h) {
  if (h != nullptr && h != INVALID_HANDLE_VALUE) CloseHandle(h);
}

// [SECTION] Monitor

DWORD WINAPI MonitorGame(void* param) {
  std::unique_ptr<MonitorStart> start(static_cast<MonitorStart*>(param));
  WaitForSingleObject(start->process, INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(start->process, &code);
  CloseHandle(start->process);
  const double now = GetTickCount64() / 1000.0;

  const RunRecord run = MakeRunRecord(start->startedAt, now - start->startSeconds, code, start->errorLog);
  RunRecorded recorded = RunRecorded::kInRunsFile;
  RecordRun(run, &recorded);
  {
    ScopedLock lock(&g_last_run_lock);
    g_has_last_run = true;
    g_last_run = run;
    g_last_run_recorded = recorded;
  }
  if (run.logKept)
    LogLine("[launcher] game exited after %d s: %s", (int)run.seconds, text::WideToUtf8(OutcomeText(code)).c_str());

  {
    ScopedLock lock(&g_game_lock);
    CloseIfOpen(g_game_process);
    g_game_process = nullptr;
  }
  // Only now may a new game start, and the run is already in runs.tsv for the window.
  HWND window = g_window.load();
  if (window) PostMessageA(window, g_message.load(), code, 0);
  return 0;
}

// [SECTION] Start

std::string StartFailure(DWORD error) {
  char text[64];
  snprintf(text, sizeof text, "Couldn't start the game (Windows error %lu).", (unsigned long)error);
  LogLine("[launcher] %s", text);
  return text;
}

}  // namespace

// [SECTION] Interface

bool IsGameRunning() {
  ScopedLock lock(&g_game_lock);
  return g_game_process != nullptr;
}

void EndGame() {
  ScopedLock lock(&g_game_lock);
  if (g_game_process) TerminateProcess(g_game_process, 1);
}

bool LastEndedRun(RunRecord* run, RunRecorded* recorded) {
  ScopedLock lock(&g_last_run_lock);
  if (!g_has_last_run) return false;
  *run = g_last_run;
  *recorded = g_last_run_recorded;
  return true;
}

void RegisterGameWindow(HWND window, UINT message) {
  g_message.store(message);
  g_window.store(window);
}

bool LaunchGame(std::string* message) {
  if (IsGameRunning()) {
    *message = "The game is already running.";
    return false;
  }
  const std::string exe = GameExePath();
  if (!files::IsFile(exe)) {
    *message = "KestraneGame.exe isn't built yet.";
    return false;
  }
  // The game reads settings.ini itself: it must see the player's latest choices.
  SettingsStore::Flush();
  const std::string setting = SettingsStore::Get("display.aspect");
  const std::string aspect = setting == "4:3" || setting == "native" ? setting : "16:9";
  const bool errorLog = SettingsStore::GetInt("launcher.error_log") != 0;
  const EnvOverrides overrides = PlayEnvironment(aspect, errorLog);

  SECURITY_ATTRIBUTES inheritable = {};
  inheritable.nLength = sizeof inheritable;
  inheritable.bInheritHandle = TRUE;
  HANDLE log = INVALID_HANDLE_VALUE;
  if (errorLog) {
    StartGameLog(aspect.c_str());
    // Delete sharing lets the next start rotate this file even while a handle to it
    // lives on (a process the game started, or under Wine the ended game itself for a
    // moment); a failed rotation would make the next start empty this run's log.
    log = CreateFileA(ErrorLogPath().c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                      &inheritable, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  }
  HANDLE null_device = CreateFileA("NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                   &inheritable, OPEN_EXISTING, 0, nullptr);

  ProcessLaunch launch;
  launch.program = text::Utf8ToWide(exe);
  launch.commandLine = GameCommandLine();
  launch.workingDir = GameWorkingDir();
  launch.environment = overrides;
  launch.input = null_device;
  launch.output = null_device;
  launch.error = log != INVALID_HANDLE_VALUE ? log : null_device;  // only standard error is kept
  PROCESS_INFORMATION pi = {};
  DWORD error = 0;
  const bool started = StartProcess(launch, &pi, &error);
  const double startSeconds = GetTickCount64() / 1000.0;
  CloseIfOpen(log);
  CloseIfOpen(null_device);
  if (!started) {
    *message = StartFailure(error);
    return false;
  }
  CloseHandle(pi.hThread);

  auto start = std::make_unique<MonitorStart>();
  start->startSeconds = startSeconds;
  start->startedAt = local_time::Now("%Y-%m-%d %H:%M");
  start->errorLog = errorLog;
  HANDLE monitor = nullptr;
  if (!DuplicateHandle(GetCurrentProcess(), pi.hProcess, GetCurrentProcess(), &start->process, 0, FALSE,
                       DUPLICATE_SAME_ACCESS))
    start->process = nullptr;
  if (start->process) {
    {
      ScopedLock lock(&g_game_lock);
      g_game_process = pi.hProcess;
    }
    monitor = CreateThread(nullptr, 0, MonitorGame, start.get(), 0, nullptr);
    if (monitor) start.release();  // the thread owns it now
  }
  if (!monitor) {
    // A game nobody watches would leave the slot full for good and a hidden launcher
    // waiting forever: end it and report the start as failed.
    const DWORD monitor_error = GetLastError();
    TerminateProcess(pi.hProcess, 1);
    {
      ScopedLock lock(&g_game_lock);
      if (g_game_process == pi.hProcess) g_game_process = nullptr;
    }
    CloseHandle(pi.hProcess);
    CloseIfOpen(start->process);
    *message = StartFailure(monitor_error);
    return false;
  }
  CloseHandle(monitor);
  return true;
}
