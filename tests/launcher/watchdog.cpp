#include "tests/launcher/watchdog.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "launcher/data_folder_move.h"
#include "launcher/dump_checks.h"
#include "launcher/launcher_actions.h"
#include "launcher/launcher_state.h"
#include "launcher/offload.h"
#include "platform/env.h"
#include "platform/files.h"
#include "platform/text.h"
#include "settings/game_data_folder.h"
#include "settings/install_layout.h"
#include "tests/launcher/window_harness.h"

namespace launchertest {

Watchdog::Watchdog(HWND hwnd) : hwnd_(hwnd) {
  InitializeCriticalSection(&lock_);
  stop_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  answered_ = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  thread_ = CreateThread(nullptr, 0, Run, this, 0, nullptr);
}

Watchdog::~Watchdog() {
  Stop();
  CloseHandle(thread_);
  CloseHandle(answered_);
  CloseHandle(stop_);
  DeleteCriticalSection(&lock_);
}

DWORD WINAPI Watchdog::Run(LPVOID self) {
  auto* dog = static_cast<Watchdog*>(self);
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  do {
    LARGE_INTEGER t0, t1;
    QueryPerformanceCounter(&t0);
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(dog->hwnd_, WM_NULL, 0, 0, SMTO_NORMAL, 300000, &ignored);
    QueryPerformanceCounter(&t1);
    const double ms = 1000.0 * static_cast<double>(t1.QuadPart - t0.QuadPart) / static_cast<double>(frequency.QuadPart);
    EnterCriticalSection(&dog->lock_);
    dog->longest_ms_ = std::max(dog->longest_ms_, ms);
    ++dog->answers_;
    LeaveCriticalSection(&dog->lock_);
    SetEvent(dog->answered_);
  } while (WaitForSingleObject(dog->stop_, 50) == WAIT_TIMEOUT);  // the pace, not a wait for anything
  return 0;
}

int Watchdog::Answers() {
  EnterCriticalSection(&lock_);
  const int n = answers_;
  LeaveCriticalSection(&lock_);
  return n;
}

bool Watchdog::WaitAnswers(int count, DWORD limit_ms) {
  const int target = Answers() + count;
  const ULONGLONG until = GetTickCount64() + limit_ms;
  while (Answers() < target) {
    const ULONGLONG now = GetTickCount64();
    if (now >= until) return false;
    WaitForSingleObject(answered_, static_cast<DWORD>(until - now));
  }
  return true;
}

double Watchdog::Stop() {
  SetEvent(stop_);
  WaitForSingleObject(thread_, INFINITE);
  EnterCriticalSection(&lock_);
  const double longest = longest_ms_;
  LeaveCriticalSection(&lock_);
  return longest;
}

}  // namespace launchertest

namespace {

using launchertest::WindowHarness;

constexpr DWORD kLimitMs = 120000;
// What the window is asked meanwhile, in answers: about 1.5 s at one each 50 ms.
constexpr int kHeldAnswers = 30;

void Say(const char* what, const std::string& value) {
  printf("%s: %s\n", what, value.c_str());
  fflush(stdout);
}

// What Save report opened: recorded, not shown, so no Explorer window outlives the test.
CRITICAL_SECTION g_opened_lock;  // guards g_opened, written by the launcher's worker
std::string g_opened;

void RecordOpened(const std::string& path) {
  EnterCriticalSection(&g_opened_lock);
  g_opened = path;
  LeaveCriticalSection(&g_opened_lock);
}

std::string Opened() {
  EnterCriticalSection(&g_opened_lock);
  const std::string path = g_opened;
  LeaveCriticalSection(&g_opened_lock);
  return path;
}

bool ToastStarts(const wchar_t* start) { return Launcher().toast_text.rfind(start, 0) == 0; }

// The configured disc image is being read while dtk waits for a gate: Home, Check again
// and both reports go on meanwhile; then the window closes while the read still waits.
bool HeldImage(WindowHarness& w, launchertest::Watchdog& dog) {
  bool checking = false;
  w.OnGui([&] { checking = Launcher().status_checking; });
  Say("status at start", checking ? "checking" : "verdict");
  w.OnGui([] { GoToScreen(ScreenId::Home); });
  w.OnGui([] { CheckDumpAgain(); });
  w.OnGui([] { CopyReport(); });
  Say("report copied while the image is read",
      w.WaitFor([] { return ToastStarts(L"Report copied"); }, kLimitMs) ? "yes" : "no");
  w.OnGui([] { GoToSettingsPage(SettingsPage::Logs); });
  w.OnGui([] { SaveReport(); });
  Say("report saved while the image is read",
      w.WaitFor([] { return ToastStarts(L"Report saved"); }, kLimitMs) ? "yes" : "no");
  dog.WaitAnswers(kHeldAnswers);
  w.OnGui([&] { checking = Launcher().status_checking; });
  Say("still reading", checking ? "yes" : "no");
  return true;
}

// Save report over a log of megabytes: the scrub runs on the worker.
bool BigLog(WindowHarness& w, launchertest::Watchdog& dog) {
  w.OnGui([] { GoToSettingsPage(SettingsPage::Logs); });
  const ULONGLONG t0 = GetTickCount64();
  w.OnGui([] { SaveReport(); });
  const bool done = w.WaitFor([] { return ToastStarts(L"Report saved") || ToastStarts(L"Couldn't"); }, kLimitMs);
  Say("report took", std::to_string(GetTickCount64() - t0) + " ms");
  w.OnGui([] { Say("toast", text::WideToUtf8(Launcher().toast_text)); });
  // The copy in the saved folder went through the scrub whole.
  std::string profile, copy;
  env::Get("USERPROFILE", &profile);
  files::ReadAll(Opened() + "\\kestrane_log.txt", &copy);
  Say("scrubbed copy", copy.size() < (10u << 20) ? "missing" : copy.find(profile) == std::string::npos ? "clean" : "names the home folder");
  dog.WaitAnswers(2);
  return done;
}

// A data-folder move held at its start by the test's gate, then let go.
bool DataMove(WindowHarness& w, launchertest::Watchdog& dog, const std::string& target, HANDLE gate) {
  w.OnGui([] { GoToSettingsPage(SettingsPage::GameFiles); });
  bool started = false;
  w.OnGui([&] { started = StartDataFolderMove(target); });
  Say("move started", started ? "yes" : "no");
  dog.WaitAnswers(kHeldAnswers);
  SetEvent(gate);
  const bool ended = w.WaitFor([] { return !Launcher().data_move_running; }, kLimitMs);
  w.OnGui([] { Say("toast", text::WideToUtf8(Launcher().toast_text)); });
  dog.WaitAnswers(5);
  return started && ended;
}

// The setup job on the configured dump, to its end and the window's handling of it.
bool JobEnd(WindowHarness& w, launchertest::Watchdog& dog) {
  bool started = false;
  w.OnGui([&] { started = StartSetup(false); });
  const bool ended = w.WaitFor([] { return !Launcher().job.running && Launcher().finish_seen; }, kLimitMs);
  w.WaitFor([] { return !DumpChecks::Busy(); }, kLimitMs);
  dog.WaitAnswers(10);
  w.OnGui([] { Say("screen", Launcher().screen == ScreenId::JobProgress ? "progress" : "other"); });
  return started && ended;
}

// The Logs page opened over a runs.tsv of many lines.
bool LongRuns(WindowHarness& w, launchertest::Watchdog& dog) {
  const ULONGLONG t0 = GetTickCount64();
  w.OnGui([] { GoToSettingsPage(SettingsPage::Logs); });
  const bool read = w.WaitFor([] { return !Offload::Busy() && Launcher().runs.loaded; }, kLimitMs);
  Say("runs read in", std::to_string(GetTickCount64() - t0) + " ms");
  w.OnGui([] { Say("runs listed", std::to_string(Launcher().runs.runs.size())); });
  dog.WaitAnswers(5);
  return read;
}

}  // namespace

int Watchdog(int argc, char** argv) {
  const std::string which = argv[2];
  const std::string arg = argc > 3 ? argv[3] : "";
  HANDLE gate = nullptr;
  if (which == "data-move") {
    // A cache the launcher made (so it may move) of 40 files of 1 MB.
    const std::string data = InstallLayout::DataDir();
    CreateDirectoryA(data.c_str(), nullptr);
    if (!MakeLauncherFolder(data + "\\cache")) return 4;
    const std::string block(1 << 20, 'f');
    for (int i = 0; i < 40; ++i) {
      FILE* f = fopen((data + "\\cache\\frame" + std::to_string(i) + ".png").c_str(), "wb");
      if (!f || fwrite(block.data(), 1, block.size(), f) != block.size()) return 4;
      fclose(f);
    }
    gate = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    DataFolderMoveTesting::SetGate(gate);
  }
  InitializeCriticalSection(&g_opened_lock);
  LauncherActionsTesting::SetOpener(RecordOpened);
  WindowHarness w;
  if (!w.Start()) return 3;
  launchertest::Watchdog dog(w.hwnd());
  bool ok = false;
  if (which == "held-image") ok = HeldImage(w, dog);
  else if (which == "big-log") ok = BigLog(w, dog);
  else if (which == "data-move") ok = DataMove(w, dog, arg, gate);
  else if (which == "job-end") ok = JobEnd(w, dog);
  else if (which == "long-runs") ok = LongRuns(w, dog);
  const int answers = dog.Answers();
  const double longest = dog.Stop();
  char line[96];
  snprintf(line, sizeof line, "%.0f ms over %d answers", longest, answers);
  Say("longest wait", line);
  // Closing ends the workers within their bound, a held judgement included.
  const ULONGLONG t0 = GetTickCount64();
  const int closed = w.Close(60000);
  Say("closed", closed == 0 ? "in " + std::to_string(GetTickCount64() - t0) + " ms" : "no");
  Say("probe folder left", files::Exists(InstallLayout::DiscDir() + "\\probe") ? "yes" : "no");
  if (gate) {
    DataFolderMoveTesting::SetGate(nullptr);
    CloseHandle(gate);
  }
  return ok && closed == 0 ? 0 : 5;
}
