// Benchmark of the real launcher window (a figure printer, not a test):
//   - full frames of Home at 1280 x 720 and 1920 x 1080, median with the backdrop, screen
//     and present parts;
//   - partial frames of the backdrop animation, those with the emblem and those without,
//     against the full frame;
//   - how long a key takes to show its outcome on screen (Q and E on Settings);
//   - full frames drawn by each idle Settings page (the heartbeat is one per 2 s);
//   - a Home frame drawn alone in turns without and with recording what it shows (what a
//     screen reader's client costs), and the full and partial frames of the window again
//     with a client connected (an MSAA client on another thread);
//   - the watchdog: the longest wait for the window's answer while each slow case runs
//     against a held stand-in (watchdog_cases.h);
//   - the CPU time of the launcher on Home at 1280 x 720 over 20 s with the animation off
//     and with it on, as a share of one core;
//   - start-up to the first painted frame.
// The window runs in this process for the frame, key, screen reader and CPU figures; the
// watchdog's in the probe; the start-up figure comes from the test build of the launcher
// as a child process with the same profile.
//
//   launcher_bench.exe [frames] [idle seconds]     (default 40 and 20)
#include <windows.h>
#include <oleacc.h>

#include <algorithm>
#include <functional>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "art/backdrop.h"
#include "art/emblem.h"
#include "art/truck_run.h"
#include "art/wordmark.h"
#include "launcher/back_buffer.h"
#include "launcher/frame.h"
#include "launcher/launcher_actions.h"
#include "launcher/launcher_state.h"
#include "launcher/launcher_window_testing.h"
#include "launcher/settings_pages.h"
#include "platform/create_process.h"
#include "platform/text.h"
#include "settings/settings_store.h"
#include "tests/fixtures/dump_fixture.h"
#include "tests/launcher/watchdog_cases.h"
#include "tests/launcher/window_harness.h"
#include "tests/support/child_run.h"
#include "tests/support/temp_folder.h"
#include "tests/support/window_of.h"
#include "ui/access.h"
#include "ui/access_tree.h"
#include "ui/layer.h"
#include "ui/gdiplus_api.h"
#include "ui/interaction.h"

namespace {

using LauncherWindowTesting::FrameTiming;

double Median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

struct Medians {
  double frame, backdrop, screen, present, access;
  size_t count;
};

Medians MediansOf(const std::vector<FrameTiming>& log, bool partial) {
  std::vector<double> f, b, s, p, a;
  for (const FrameTiming& t : log) {
    if (t.partial != partial) continue;
    f.push_back(t.frame_ms);
    b.push_back(t.backdrop_ms);
    s.push_back(t.screen_ms);
    p.push_back(t.present_ms);
    a.push_back(t.access_ms);
  }
  return {Median(f), Median(b), Median(s), Median(p), Median(a), f.size()};
}

// A verified, indexed dump and a built game, so Home reads "Ready to race".
void MakeReadyProfile(const std::string& root) {
  const fixtures::MadeDump dump = fixtures::MakeDump(root + "\\dump");
  testsupport::WriteFile(root + "\\local\\Kestrane\\dump.ini",
                         "disc=" + dump.files_dir + "\nverified=1\n");
  testsupport::WriteFile(root + "\\KestraneGame.exe", "a built game");
  testsupport::WriteFile(root + "\\settings.ini", "[launcher]\ndump_path = " + dump.chosen + "\n");
}

void SetEnv(const char* name, const std::string& value) { SetEnvironmentVariableA(name, value.c_str()); }

double NowMs() {
  LARGE_INTEGER f, t;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&t);
  return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(f.QuadPart);
}

// Full frames forced by repainting, then the animation's own partial frames.
void FrameFigures(launchertest::WindowHarness& w, int width, int height, int frames) {
  SetWindowPos(w.hwnd(), nullptr, 0, 0, width, height, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
  w.WaitFullFrames(3);
  RECT client = {};
  GetClientRect(w.hwnd(), &client);
  std::vector<FrameTiming> log;
  w.OnGui([&] { LauncherWindowTesting::SetFrameLog(&log); });
  for (int i = 0; i < frames; ++i) {
    InvalidateRect(w.hwnd(), nullptr, FALSE);
    w.WaitFullFrames(1);
  }
  w.OnGui([&] { LauncherWindowTesting::SetFrameLog(nullptr); });
  const Medians full = MediansOf(log, false);
  printf("full frame %ld x %ld: %.1f ms (backdrop %.1f, screen %.1f) + present %.1f ms + publish %.2f ms; median of %zu\n",
         client.right, client.bottom, full.frame, full.backdrop, full.screen, full.present, full.access, full.count);

  std::vector<FrameTiming> animation;
  w.OnGui([&] { LauncherWindowTesting::SetFrameLog(&animation); });
  w.WaitFor([&] { return animation.size() >= static_cast<size_t>(frames) * 3; }, 120000);
  w.OnGui([&] { LauncherWindowTesting::SetFrameLog(nullptr); });
  const Medians partial = MediansOf(animation, true);
  double sum = 0;
  std::vector<FrameTiming> truck, emblem;
  for (const FrameTiming& t : animation) {
    if (!t.partial) continue;
    sum += t.frame_ms + t.present_ms;
    (t.emblem ? emblem : truck).push_back(t);
  }
  const double mean = partial.count ? sum / static_cast<double>(partial.count) : 0;
  printf("partial frame %ld x %ld: %.2f ms (backdrop %.2f, screen %.2f) + present %.2f ms + publish %.2f ms; median of %zu; "
         "mean with the copy %.2f ms, %.0f %% of the full frame (target 10 %% or less)\n",
         client.right, client.bottom, partial.frame, partial.backdrop, partial.screen, partial.present,
         partial.access, partial.count, mean, full.frame > 0 ? 100.0 * mean / (full.frame + full.present) : 0.0);
  printf("  truck only %.2f ms (median of %zu), with the emblem %.2f ms (median of %zu)\n",
         MediansOf(truck, true).frame, truck.size(), MediansOf(emblem, true).frame, emblem.size());
}

// Q and E on Settings: from the key's message to the moment the loop has drawn and shown
// its outcome (read on the window's thread right after that paint), median of `count`.
void KeyFigures(launchertest::WindowHarness& w, int count) {
  w.OnGui([] { GoToSettingsPage(SettingsPage::Display); });
  w.WaitFullFrames(2, 10000);
  std::vector<double> latencies;
  for (int i = 0; i < count; ++i) {
    const WPARAM key = i % 2 == 0 ? 'E' : 'Q';
    const SettingsPage expected = i % 2 == 0 ? SettingsPage::Graphics : SettingsPage::Display;
    const double t0 = NowMs();
    PostMessageW(w.hwnd(), WM_KEYDOWN, key, 1);
    double shown = 0;
    w.WaitFor([&] {
      if (Launcher().page != expected) return false;
      shown = NowMs();
      return true;
    }, 10000);
    latencies.push_back(shown - t0);
  }
  printf("a key to its outcome on screen (Q and E on Settings): %.0f ms median, %.0f ms longest, of %d\n",
         Median(latencies), *std::max_element(latencies.begin(), latencies.end()), count);
}

// Each watchdog case in an install of its own, as the tests run them.
void WatchdogFigures(const std::string& root) {
  printf("the window's longest wait for an answer while slow work runs (target 250 ms or less):\n");
  for (const std::string& name : launchertest::WatchdogCases()) {
    const launchertest::WatchdogRun run = launchertest::RunWatchdogCase(root + "\\watchdog-" + name, name);
    if (run.longest_ms < 0)
      printf("  %-11s no figure (exit %lu)\n%s\n", name.c_str(), run.result.exit_code, run.result.out.c_str());
    else
      printf("  %-11s %4.0f ms\n", name.c_str(), run.longest_ms);
  }
}


// Where a Home frame's time goes: its heavy parts drawn alone into a back buffer of the
// size, each the median of `frames` runs (on the window's thread, which owns the toolkit).
void PartFigures(launchertest::WindowHarness& w, int width, int height, int frames) {
  w.OnGui([&] {
    BackBuffer buffer;
    if (!MakeBackBuffer(&buffer, nullptr, width, height)) return;
    Gdiplus::Graphics graphics(buffer.dc);
    auto time = [&](const char* name, const std::function<void()>& draw) {
      std::vector<double> runs;
      for (int i = 0; i <= frames; ++i) {
        const double t0 = NowMs();
        ui::BeginFrame(&graphics, width, height, ui::Input());
        draw();
        ui::EndFrame();
        GdiFlush();
        if (i > 0) runs.push_back(NowMs() - t0);  // the first builds the caches
      }
      printf("  %-10s %6.1f ms\n", name, Median(runs));
    };
    printf("parts of a %d x %d Home frame, drawn alone:\n", width, height);
    time("backdrop", [] { art::Backdrop([](float l, float k) { art::Truck().Draw(l, k); }); });
    time("emblem", [] { art::Emblem(824, 58, 360, 40); });
    time("wordmark", [] { art::Wordmark(829, 396, 350); });
    time("clear", [] { ui::FillFrame(ui::Palette::bg1); });
    FreeBackBuffer(&buffer);
  });
}

// What a client costs a Home frame: Frame drawn into a back buffer of the size in turns
// without recording (no client, as for everyone else) and with it, then publishing what
// was recorded; medians of `frames` each. Before any client has asked the window.
void RecordingFigures(launchertest::WindowHarness& w, int width, int height, int frames) {
  w.OnGui([&] {
    BackBuffer buffer;
    if (!MakeBackBuffer(&buffer, nullptr, width, height)) return;
    {
      Gdiplus::Graphics graphics(buffer.dc);
      std::vector<double> off, on, publish;
      for (int i = 0; i <= frames; ++i) {
        for (const bool recording : {false, true}) {
          ui::AccessRecordFrames(recording);
          const double t0 = NowMs();
          Frame(&graphics, width, height, ui::Input());
          const double t1 = NowMs();
          ui::PublishAccess(nullptr);
          if (i == 0) continue;  // the first builds the caches
          (recording ? on : off).push_back(t1 - t0);
          if (recording) publish.push_back(NowMs() - t1);
        }
      }
      ui::AccessRecordFrames(false);
      printf("Home frame %d x %d drawn alone, in turns: %.2f ms without a client, %.2f ms recording (%+.2f ms) "
             "+ %.3f ms publishing; medians of %d\n",
             width, height, Median(off), Median(on), Median(on) - Median(off), Median(publish), frames);
    }
    FreeBackBuffer(&buffer);
  });
}

// Each Settings page left alone: how many full frames the loop draws in `seconds`, after
// the page has settled. Only Builds draws more, and only while its folder is measured.
void SettingsIdleFigures(launchertest::WindowHarness& w, int seconds) {
  printf("Settings pages left alone, %d s each (the heartbeat alone is %d full frames):\n", seconds, seconds / 2);
  for (int32_t number = 0; number < kSettingsPageCount; ++number) {
    const SettingsPage page = WrapSettingsPage(number);
    w.OnGui([page] { GoToSettingsPage(page); });
    w.WaitFullFrames(2, 10000);  // the page's entry and anything it asked for
    // The measured span is the timer's; nothing is asked of the window meanwhile, since
    // asking would itself be a message the loop answers.
    const int before = w.Counts().full;
    HANDLE span = CreateWaitableTimerW(nullptr, TRUE, nullptr);
    LARGE_INTEGER due;
    due.QuadPart = -10000000LL * seconds;  // relative, in 100 ns
    if (span && SetWaitableTimer(span, &due, 0, nullptr, nullptr, FALSE)) WaitForSingleObject(span, INFINITE);
    if (span) CloseHandle(span);
    const int frames = w.Counts().full - before;
    printf("  %-10ls %3d full frames%s\n", SettingsPageAt(page).title, frames,
           frames > seconds / 2 + 1 ? "  (more than the heartbeat)" : "");
  }
}

double CpuSeconds(HANDLE process) {
  FILETIME created, exited, kernel, user;
  if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return 0;
  auto seconds = [](const FILETIME& f) {
    return static_cast<double>((static_cast<uint64_t>(f.dwHighDateTime) << 32) | f.dwLowDateTime) / 1e7;
  };
  return seconds(kernel) + seconds(user);
}

// The test build of the launcher as a player starts it: the time to its first painted
// frame. (Wine tells no process the CPU time of another, so that figure is taken of the
// window in this process.)
void StartupFigure() {
  std::wstring command = L"\"" + text::Utf8ToWide(fixtures::TestLauncherExe()) + L"\"";
  STARTUPINFOW si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  LARGE_INTEGER frequency, t0, t1;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&t0);
  DWORD error = 0;
  if (!CreateProcessTrying(nullptr, command, FALSE, 0, nullptr, nullptr, &si, &pi, &error)) {
    printf("start-up: the launcher could not be started\n");
    return;
  }
  // The window is shown and painted (UpdateWindow) before the loop first answers a message.
  HWND hwnd = nullptr;
  const ULONGLONG until = GetTickCount64() + 60000;
  DWORD_PTR ignored = 0;
  while (GetTickCount64() < until) {
    hwnd = testsupport::LauncherWindowOf(pi.dwProcessId);
    if (hwnd && SendMessageTimeoutW(hwnd, WM_NULL, 0, 0, SMTO_BLOCK, 5000, &ignored)) break;
    hwnd = nullptr;
    if (WaitForSingleObject(pi.hProcess, 5) == WAIT_OBJECT_0) break;
  }
  QueryPerformanceCounter(&t1);
  if (hwnd) {
    printf("start-up to the first painted frame: %.0f ms\n",
           1000.0 * static_cast<double>(t1.QuadPart - t0.QuadPart) / static_cast<double>(frequency.QuadPart));
    PostMessageW(hwnd, WM_CLOSE, 0, 0);
  } else {
    printf("start-up: no launcher window appeared\n");
  }
  if (WaitForSingleObject(pi.hProcess, 30000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
}

// Home at 1280 x 720 left alone for `seconds`, with the animation off and on: this
// process's CPU time (the window's thread and its workers; the benchmark's own thread
// only waits on a timer) as a share of one core, and the frames drawn.
void CpuFigures(launchertest::WindowHarness& w, int seconds) {
  SetWindowPos(w.hwnd(), nullptr, 0, 0, 1280, 720, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
  w.OnGui([] { GoToScreen(ScreenId::Home); });
  for (bool animation : {false, true}) {
    SetEnv("KESTRANE_DISPLAY_BACKGROUND_ANIMATION", animation ? "on" : "off");
    w.WaitFullFrames(2, 10000);
    const LauncherWindowTesting::FrameCounts before = w.Counts();
    const double cpu_before = CpuSeconds(GetCurrentProcess());
    HANDLE span = CreateWaitableTimerW(nullptr, TRUE, nullptr);
    LARGE_INTEGER due;
    due.QuadPart = -10000000LL * seconds;  // relative, in 100 ns
    if (span && SetWaitableTimer(span, &due, 0, nullptr, nullptr, FALSE)) WaitForSingleObject(span, INFINITE);
    if (span) CloseHandle(span);
    const double used = CpuSeconds(GetCurrentProcess()) - cpu_before;
    const LauncherWindowTesting::FrameCounts after = w.Counts();
    printf("Home at 1280 x 720, animation %s, %d s: %.2f s of CPU, %.1f %% of one core (target %s); "
           "%d full and %d partial frames\n",
           animation ? "on" : "off", seconds, used, 100.0 * used / seconds, animation ? "4 % or less" : "5 % or less",
           after.full - before.full, after.partial - before.partial);
  }
}

}  // namespace

int main(int argc, char** argv) {
  const int frames = argc > 1 ? std::max(5, atoi(argv[1])) : 40;
  const int idle_seconds = argc > 2 ? std::max(1, atoi(argv[2])) : 20;
  testsupport::TempFolder temp;
  const std::string root = temp.path();
  WatchdogFigures(root);  // first: their scenes bring their own profile and settings
  MakeReadyProfile(root);
  SetEnv("LOCALAPPDATA", root + "\\local");
  SetEnv("USERPROFILE", root);
  SetEnv("KESTRANE_SETTINGS_FILE", root + "\\settings.ini");
  SetEnv("KESTRANE_GAME_EXE", root + "\\KestraneGame.exe");
  SetEnv("KESTRANE_DISPLAY_BACKGROUND_ANIMATION", "on");

  {
    launchertest::WindowHarness w;
    if (!w.Start()) {
      printf("the launcher window did not open\n");
      return 1;
    }
    w.OnGui([] {
      if (Launcher().screen != ScreenId::Home) GoToScreen(ScreenId::Home);
    });
    int level = -1;
    w.OnGui([&] { level = Launcher().status.judgement.verified && Launcher().status.imported ? 3 : 0; });
    printf("Home, %s\n", level == 3 ? "ready to race" : "not ready (the figures are of another Home)");
    FrameFigures(w, 1280, 720, frames);
    PartFigures(w, 1280, 720, frames);
    FrameFigures(w, 1920, 1080, frames);
    PartFigures(w, 1920, 1080, frames);
    SetWindowPos(w.hwnd(), nullptr, 0, 0, 1280, 720, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
    KeyFigures(w, 20);
    SettingsIdleFigures(w, 10);
    w.OnGui([] { GoToScreen(ScreenId::Home); });
    w.WaitFullFrames(2);
    RecordingFigures(w, 1280, 720, frames * 2);
    RecordingFigures(w, 1920, 1080, frames * 2);

    // A client asks for the window's object, as a screen reader does when the window
    // gets the focus; from then on every frame records and publishes what it shows.
    w.OnGui([] { GoToScreen(ScreenId::Home); });
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IAccessible* client = nullptr;
    if (AccessibleObjectFromWindow(w.hwnd(), OBJID_CLIENT, ui::access::kIidAccessible, reinterpret_cast<void**>(&client)) == S_OK) {
      long items = 0;
      w.WaitFullFrames(2);
      client->get_accChildCount(&items);
      printf("with a screen reader's client connected (%ld items on Home):\n", items);
      FrameFigures(w, 1280, 720, frames);
      FrameFigures(w, 1920, 1080, frames);
      client->Release();
    } else {
      printf("no client could connect\n");
    }
    CoUninitialize();
    CpuFigures(w, idle_seconds);
    w.Close();
  }
  SetEnv("KESTRANE_DISPLAY_BACKGROUND_ANIMATION", "off");
  StartupFigure();
  return 0;
}
