// Benchmark of the real launcher window on its Home screen (a figure printer, not a test):
//   - full frames at 1280 x 720 and 1920 x 1080, median with the backdrop, screen and
//     present parts;
//   - partial frames of the backdrop animation, against the full frame;
//   - CPU time of an idle launcher (animation off) over 20 s, as a share of one core;
//   - start-up to the first painted frame;
//   - full frames drawn by each idle Settings page (the heartbeat is one per 2 s);
//   - a Home frame drawn alone in turns without and with recording what it shows (what a
//     screen reader's client costs), and the full and partial frames of the window again
//     with a client connected (an MSAA client on another thread).
// The window runs in this process for the frame figures; the idle and start-up figures come
// from the test build of the launcher as a child process with the same profile.
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

#include "launcher/back_buffer.h"
#include "launcher/frame.h"
#include "launcher/launcher_state.h"
#include "launcher/launcher_window_testing.h"
#include "launcher/navigation.h"
#include "launcher/settings_pages.h"
#include "platform/text.h"
#include "settings/settings_store.h"
#include "tests/fixtures/dump_fixture.h"
#include "tests/launcher/window_harness.h"
#include "tests/support/child_run.h"
#include "tests/support/temp_folder.h"
#include "tests/support/window_of.h"
#include "ui/access.h"
#include "ui/access_tree.h"
#include "ui/backdrop.h"
#include "ui/layer.h"
#include "ui/gdiplus_api.h"
#include "ui/emblem.h"
#include "ui/interaction.h"
#include "ui/truck_run.h"
#include "ui/wordmark.h"

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
  printf("partial frame %ld x %ld: %.2f ms (backdrop %.2f, screen %.2f) + present %.2f ms + publish %.2f ms; median of "
         "%zu; %.0f %% of the full frame (target 10 %% or less)\n",
         client.right, client.bottom, partial.frame, partial.backdrop, partial.screen, partial.present, partial.access,
         partial.count, full.frame > 0 ? 100.0 * partial.frame / full.frame : 0.0);
}

double NowMs() {
  LARGE_INTEGER f, t;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&t);
  return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(f.QuadPart);
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
    time("backdrop", [] { ui::Backdrop([](float l, float k) { ui::Truck().Draw(l, k); }); });
    time("emblem", [] { ui::Emblem(824, 58, 360, 40); });
    time("wordmark", [] { ui::Wordmark(829, 396, 350); });
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
  for (SettingsPage page = 0; page < kSettingsPageCount; ++page) {
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

// The test build of the launcher as a player starts it, with the animation off.
void ChildFigures(const std::string& root, int idle_seconds) {
  std::wstring command = L"\"" + text::Utf8ToWide(fixtures::TestLauncherExe()) + L"\"";
  STARTUPINFOW si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  LARGE_INTEGER frequency, t0, t1;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&t0);
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
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
    WaitForSingleObject(pi.hProcess, 3000);  // past the start's own work
    const double before = CpuSeconds(pi.hProcess);
    WaitForSingleObject(pi.hProcess, static_cast<DWORD>(idle_seconds) * 1000);
    const double used = CpuSeconds(pi.hProcess) - before;
    printf("idle on Home, animation off, %d s: %.2f s of CPU, %.2f %% of one core (target 5 %% or less)\n",
           idle_seconds, used, 100.0 * used / idle_seconds);
    PostMessageW(hwnd, WM_CLOSE, 0, 0);
  } else {
    printf("start-up: no launcher window appeared\n");
  }
  if (WaitForSingleObject(pi.hProcess, 30000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  (void)root;
}

}  // namespace

int main(int argc, char** argv) {
  const int frames = argc > 1 ? std::max(5, atoi(argv[1])) : 40;
  const int idle_seconds = argc > 2 ? std::max(1, atoi(argv[2])) : 20;
  testsupport::TempFolder temp;
  const std::string root = temp.path();
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
    w.Close();
  }

  SetEnv("KESTRANE_DISPLAY_BACKGROUND_ANIMATION", "off");
  ChildFigures(root, idle_seconds);
  return 0;
}
