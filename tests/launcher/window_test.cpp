// The launcher window under Wine's X11 driver (the test session's Xvfb display), driven
// with real window messages: its class and placement, keyboard and gamepad navigation,
// dropped files, the end of a game, closing, and when the loop draws.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <string>
#include <vector>

#include "dump/dump_search.h"
#include "game/game_supervisor.h"
#include "jobs/job_status.h"
#include "launcher/dump_checks.h"
#include "launcher/launcher_actions.h"
#include "launcher/launcher_state.h"
#include "launcher/window_geometry.h"
#include "settings/settings_store.h"
#include "tests/launcher/window_harness.h"
#include "tests/launcher/window_test_fixture.h"
#include "tests/settings/settings_test_fixture.h"
#include "tests/support/child_run.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_folder.h"
#include "ui/context.h"

namespace {

using launchertest::WindowHarness;

class WindowTest : public launchertest::RealWindowTest {
 protected:
  void TearDown() override {
    LauncherWindowTesting::SetPadReader(nullptr);
    RealWindowTest::TearDown();
  }
  // Home with a configured dump that isn't there: the hero asks for the disc.
  void ConfigureMissingDump() {
    UseFileWithText("[launcher]\ndump_path = " + Path("gone") + "\n[display]\nbackground_animation = off\n");
  }
  template <typename T>
  T Read(WindowHarness& w, T LauncherState::*field) {
    T value{};
    w.OnGui([&] { value = Launcher().*field; });
    return value;
  }
};

// [SECTION] Placement

TEST(WindowGeometryTest, TheWindowFitsItsWorkAreaAtEveryDpi) {
  struct Case {
    int dpi;
    RECT work;
    RECT window;
    SIZE minimum;
  } cases[] = {
      // 96 dpi on a large screen: 1280 x 720, centred.
      {96, {0, 0, 1920, 1040}, {320, 160, 1600, 880}, {1024, 576}},
      // 150 %: 1920 x 1080 asked for, fitted into 1326 x 688 with the aspect kept; the
      // minimum (1536 x 864 scaled) would push it off the screen and is fitted too.
      {144, {0, 0, 1366, 728}, {71, 20, 71 + 1223, 20 + 688}, {1223, 688}},
      // A work area that doesn't start at 0 (a taskbar on the left).
      {96, {200, 0, 1800, 1000}, {360, 140, 1640, 860}, {1024, 576}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.dpi);
    const RECT r = InitialWindowRect(c.dpi, c.work);
    EXPECT_EQ(c.window.left, r.left);
    EXPECT_EQ(c.window.top, r.top);
    EXPECT_EQ(c.window.right, r.right);
    EXPECT_EQ(c.window.bottom, r.bottom);
    const SIZE m = MinimumWindowSize(c.dpi, c.work);
    EXPECT_EQ(c.minimum.cx, m.cx);
    EXPECT_EQ(c.minimum.cy, m.cy);
  }
}

TEST_F(WindowTest, TheWindowIsABorderlessAppWindowCentredInTheWorkArea) {
  WindowHarness w;
  ASSERT_TRUE(w.Start());
  wchar_t name[64] = {}, title[64] = {};
  GetClassNameW(w.hwnd(), name, 64);
  GetWindowTextW(w.hwnd(), title, 64);
  EXPECT_STREQ(L"KestraneLauncher", name);
  EXPECT_STREQ(L"Kestrane", title);
  const DWORD style = static_cast<DWORD>(GetWindowLongPtrW(w.hwnd(), GWL_STYLE));
  EXPECT_EQ(0x800F0000u, style & 0x800F0000u);
  EXPECT_EQ(0u, style & WS_CAPTION);
  EXPECT_EQ(0x40010u, static_cast<DWORD>(GetWindowLongPtrW(w.hwnd(), GWL_EXSTYLE)) & 0x40010u);
  RECT work = {};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  const RECT expected = InitialWindowRect(dpi, work);
  RECT actual = {};
  GetWindowRect(w.hwnd(), &actual);
  EXPECT_EQ(expected.left, actual.left);
  EXPECT_EQ(expected.top, actual.top);
  EXPECT_EQ(expected.right - expected.left, actual.right - actual.left);
  EXPECT_EQ(expected.bottom - expected.top, actual.bottom - actual.top);
  // The whole window is client area, and without a dump the first screen is the chooser.
  RECT client = {};
  GetClientRect(w.hwnd(), &client);
  EXPECT_EQ(actual.right - actual.left, client.right);
  EXPECT_EQ(ScreenId::DiscChooser, Read(w, &LauncherState::screen));
  EXPECT_EQ(0, w.Close());
}

// What the window shows, read back from its own device context.
std::vector<uint32_t> CaptureClient(HWND hwnd, int* width, int* height) {
  RECT client = {};
  GetClientRect(hwnd, &client);
  *width = client.right;
  *height = client.bottom;
  HDC window_dc = GetDC(hwnd);
  HDC memory = CreateCompatibleDC(window_dc);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = *width;
  info.bmiHeader.biHeight = -*height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, *width, *height, window_dc, 0, 0, SRCCOPY);
  GdiFlush();
  std::vector<uint32_t> pixels(static_cast<const uint32_t*>(bits),
                               static_cast<const uint32_t*>(bits) + static_cast<size_t>(*width) * *height);
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(hwnd, window_dc);
  return pixels;
}

// The UI shot of a state as KestraneTestBuild draws it with the test's settings, and how
// many pixels of `shown` differ from it.
size_t DifferFromShot(const std::string& screen, const std::string& shot, const std::vector<uint32_t>& shown, int width,
                      int height, const std::string& settings) {
  testsupport::ChildOptions options;
  options.env = {{"KESTRANE_SETTINGS_FILE", settings}};
  testsupport::ChildResult r = testsupport::RunChild(
      testsupport::BinDir() + "KestraneTestBuild.exe",
      {"--ui-shot", screen, shot, std::to_string(width), std::to_string(height)}, options);
  EXPECT_EQ(0u, r.exit_code) << r.out << r.err;
  const std::string bmp = testsupport::ReadFile(shot);
  if (bmp.size() != 54 + shown.size() * 4) {
    ADD_FAILURE() << screen << ": a shot of " << bmp.size() << " bytes";
    return shown.size();
  }
  size_t differ = 0;
  for (size_t i = 0; i < shown.size(); ++i) {
    uint32_t pixel;
    std::memcpy(&pixel, bmp.data() + 54 + i * 4, 4);
    if ((pixel & 0xFFFFFF) != (shown[i] & 0xFFFFFF)) ++differ;
  }
  return differ;
}

TEST_F(WindowTest, TheWindowShowsWhatTheUiShotOfTheSameStateShows) {
  ConfigureMissingDump();
  WindowHarness w;
  ASSERT_TRUE(w.Start());
  ASSERT_TRUE(w.WaitFor([] { return !DumpChecks::Busy(); }));
  ASSERT_TRUE(w.WaitFullFrames(1));
  int width = 0, height = 0;
  std::vector<uint32_t> shown;
  w.OnGui([&] { shown = CaptureClient(w.hwnd(), &width, &height); });
  EXPECT_EQ(0, w.Close());
  EXPECT_EQ(0u, DifferFromShot("home", Path("home.bmp"), shown, width, height, SettingsPath())) << "of " << shown.size();
}

TEST_F(WindowTest, TheFrameThatTakesAKeyAlreadyShowsWhereItLed) {
  ConfigureMissingDump();
  WindowHarness w;
  ASSERT_TRUE(w.Start());
  w.OnGui([] { GoToSettingsPage(SettingsPage::Display); });
  ASSERT_TRUE(w.WaitFullFrames(2));
  struct Case {
    WPARAM key;
    ScreenId screen;
    SettingsPage page;
    const char* shot;
  } cases[] = {{'E', ScreenId::Settings, SettingsPage::Graphics, "settings:graphics"},
               {VK_ESCAPE, ScreenId::Home, SettingsPage::Graphics, "home"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.shot);
    PostMessageW(w.hwnd(), WM_KEYDOWN, c.key, 1);
    // Read back the moment the loop has taken the key: before any later paint could
    // cover a stale frame up.
    int width = 0, height = 0;
    std::vector<uint32_t> shown;
    ASSERT_TRUE(w.WaitFor([&] {
      if (Launcher().screen != c.screen || Launcher().page != c.page) return false;
      shown = CaptureClient(w.hwnd(), &width, &height);
      return true;
    }));
    EXPECT_EQ(0u, DifferFromShot(c.shot, Path("shot.bmp"), shown, width, height, SettingsPath())) << "of " << shown.size();
  }
  EXPECT_EQ(0, w.Close());
}

// [SECTION] Input

struct Pad {
  static std::atomic<WORD> buttons;
  static std::atomic<int> reads;  // of the first pad, by the window
  static DWORD WINAPI Read(DWORD index, void* state) {
    if (index != 0) return ERROR_DEVICE_NOT_CONNECTED;
    const WORD now = buttons.load();
    std::memset(state, 0, 16);
    std::memcpy(static_cast<char*>(state) + 4, &now, sizeof now);
    ++reads;
    return ERROR_SUCCESS;
  }
};
std::atomic<WORD> Pad::buttons{0};
std::atomic<int> Pad::reads{0};

TEST_F(WindowTest, HomeAnswersTheKeyboardAndTheGamepad) {
  ConfigureMissingDump();
  Pad::buttons = 0;
  LauncherWindowTesting::SetPadReader(&Pad::Read);
  WindowHarness w;
  ASSERT_TRUE(w.Start());
  ASSERT_EQ(ScreenId::Home, Read(w, &LauncherState::screen));
  // A pad press counts only while the launcher is in front (a button held in the
  // background never makes an edge), and a window of a test running beside this one may
  // take the front for a while: the front is taken back, and a press that was swallowed
  // is let go, seen let go, and made again.
  const auto in_front = [&w] {
    if (GetForegroundWindow() != w.hwnd()) SetForegroundWindow(w.hwnd());
    return GetForegroundWindow() == w.hwnd();
  };
  const auto press = [&](WORD button, ScreenId leads_to) {
    return launchertest::Poll(
        [&] {
          Pad::buttons = 0;
          const int seen = Pad::reads;
          if (!launchertest::Poll([&] { return Pad::reads > seen; }, 5000) || !w.WaitFor(in_front, 10000)) return false;
          Pad::buttons = button;
          const bool led = w.WaitFor([&] { return Launcher().screen == leads_to; }, 3000);
          Pad::buttons = 0;
          return led;
        },
        40000);
  };

  // Enter on PLAY (the default focus) with a disc that is gone opens the chooser.
  ASSERT_TRUE(w.Key(VK_RETURN));
  EXPECT_EQ(ScreenId::DiscChooser, Read(w, &LauncherState::screen));

  // Tab from PLAY wraps to the first link, "Change", which also opens the chooser.
  w.OnGui([] { GoToScreen(ScreenId::Home); });
  ASSERT_TRUE(w.WaitFullFrames(2));
  ASSERT_TRUE(w.Key(VK_TAB));
  ASSERT_TRUE(w.Key(VK_RETURN));
  EXPECT_EQ(ScreenId::DiscChooser, Read(w, &LauncherState::screen));

  // The gamepad's Y opens the Display page; its Start plays from Home.
  w.OnGui([] { GoToScreen(ScreenId::Home); });
  ASSERT_TRUE(w.WaitFullFrames(2));
  EXPECT_TRUE(press(0x8000, ScreenId::Settings)) << "Y";
  EXPECT_EQ(SettingsPage::Display, Read(w, &LauncherState::page));
  w.OnGui([] { GoToScreen(ScreenId::Home); });
  ASSERT_TRUE(w.WaitFullFrames(2));
  EXPECT_TRUE(press(0x0010, ScreenId::DiscChooser)) << "Start";
  EXPECT_EQ(0, w.Close());
}

TEST_F(WindowTest, TheFocusFollowsAPointerThatMovesNotOneTheWindowMovesUnder) {
  UseFileWithText("[display]\nbackground_animation = off\n");
  WindowHarness w;
  ASSERT_TRUE(w.Start());  // no dump yet: the chooser, with nothing found in an empty profile
  ASSERT_TRUE(w.WaitFor([] { return !DumpSearch::IsRunning() && Launcher().screen == ScreenId::DiscChooser; }));
  ASSERT_TRUE(w.WaitFullFrames(2));
  // The window moves so that "How do I dump my disc?" lies under the resting pointer and
  // hears of the pointer there, as the system tells it; then the pointer moves a pixel.
  POINT link = {}, cursor = {}, origin = {};
  w.OnGui([&] {
    const ui::Context& c = ui::Ctx();
    const RECT at = DesignToPixels(c.scale, c.offset_x, c.offset_y, 120, 646, 120, 646);
    link = {at.left, at.top};
  });
  GetCursorPos(&cursor);
  ClientToScreen(w.hwnd(), &origin);
  RECT r = {};
  GetWindowRect(w.hwnd(), &r);
  SetWindowPos(w.hwnd(), nullptr, r.left + cursor.x - origin.x - link.x, r.top + cursor.y - origin.y - link.y, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  for (const int moved : {0, 1}) {
    PostMessageW(w.hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(link.x + moved, link.y));
    ASSERT_TRUE(w.WaitFullFrames(2));
    bool on_default = false;  // CONTINUE, while no row is shown
    w.OnGui([&] { on_default = ui::Ctx().focus == Launcher().chooser_continue_id; });
    EXPECT_EQ(moved == 0, on_default) << (moved ? "a moving pointer didn't take the focus" : "a resting one did");
  }
  EXPECT_EQ(0, w.Close());
}

// A real WM_DROPFILES carrying one path: the DROPFILES header, then wide text.
HGLOBAL MakeDrop(const std::vector<std::wstring>& paths) {
  size_t chars = 1;
  for (const std::wstring& p : paths) chars += p.size() + 1;
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + chars * sizeof(wchar_t));
  auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
  drop->pFiles = sizeof(DROPFILES);
  drop->fWide = TRUE;
  auto* text = reinterpret_cast<wchar_t*>(drop + 1);
  for (const std::wstring& p : paths) {
    std::memcpy(text, p.c_str(), p.size() * sizeof(wchar_t));
    text += p.size() + 1;
  }
  GlobalUnlock(memory);
  return memory;
}

TEST_F(WindowTest, ADroppedPathIsTakenWholeAndJudgedWithoutHoldingTheWindow) {
  ConfigureMissingDump();
  WindowHarness w;
  ASSERT_TRUE(w.Start());
  // Longer than the 520 characters a fixed buffer would keep; the second file is ignored.
  std::string deep = Path("drop");
  while (deep.size() < 700) deep += "\\a rather long folder name";
  testsupport::MakeFolders(deep);
  PostMessageW(w.hwnd(), WM_DROPFILES,
               reinterpret_cast<WPARAM>(MakeDrop({std::wstring(deep.begin(), deep.end()), L"C:\\second"})), 0);
  ASSERT_TRUE(w.WaitFor([] { return Launcher().screen == ScreenId::DiscChooser && !Launcher().chosen.empty(); }));
  ASSERT_TRUE(w.WaitFor([] { return !DumpChecks::Busy() && Launcher().chosen.front().kind != kDumpBeingChecked; }));
  w.OnGui([&] {
    const LauncherState& st = Launcher();
    ASSERT_EQ(1u, st.chosen.size());
    EXPECT_EQ(deep, st.chosen.front().path);
    EXPECT_EQ(2, st.chosen.front().kind);  // an empty folder is no dump
    EXPECT_EQ(0, st.selected);
    EXPECT_EQ(L"That folder isn't a complete disc dump.", st.toast_text);
  });
  EXPECT_EQ(0, w.Close());
}

// [SECTION] The end of a game and closing

TEST_F(WindowTest, AGameThatEndsBadlyBringsHomeBackWithAToast) {
  UseFileWithText("[launcher]\nclose_on_play = 0\ndump_path = " + Path("gone") + "\n");
  WindowHarness w;
  ASSERT_TRUE(w.Start());
  w.OnGui([] { GoToSettingsPage(SettingsPage::Audio); });
  PostMessageW(w.hwnd(), kGameEndedMessage, 0xC0000005, 0);
  ASSERT_TRUE(w.WaitFor([] { return Launcher().screen == ScreenId::Home; }));
  w.OnGui([] {
    EXPECT_EQ(L"The game stopped unexpectedly. See Last run.", Launcher().toast_text);
    EXPECT_FALSE(Launcher().last_run_valid && Launcher().game_started);
  });
  EXPECT_TRUE(IsWindowVisible(w.hwnd()));
  EXPECT_EQ(0, w.Close());
}

TEST_F(WindowTest, WithCloseOnPlayTheLauncherEndsWithTheGameUnlessAJobRuns) {
  UseFileWithText("[launcher]\nclose_on_play = 1\ndump_path = " + Path("gone") + "\n");
  {
    // A job is running (its record says so): quitting would kill it, so Home comes back.
    JobStatus busy;
    busy.title = L"Enhancing your intro video";
    busy.kind = kJobEnhance;
    ASSERT_TRUE(BeginJob(busy));
    WindowHarness w;
    ASSERT_TRUE(w.Start());
    PostMessageW(w.hwnd(), kGameEndedMessage, 0, 0);
    ASSERT_TRUE(w.WaitFullFrames(3));
    EXPECT_TRUE(w.Running());
    EXPECT_EQ(ScreenId::Home, Read(w, &LauncherState::screen));
    // Closing now asks first; the second close within the toast's time quits.
    PostMessageW(w.hwnd(), WM_CLOSE, 0, 0);
    ASSERT_TRUE(w.WaitFor([] { return Launcher().toast_text == L"A job is running. Close again to cancel it and quit."; }));
    EXPECT_TRUE(w.Running());
    // The second close cancels the job on the way out; the launcher ends once it has.
    PostMessageW(w.hwnd(), WM_CLOSE, 0, 0);
    ASSERT_TRUE(launchertest::Poll([] { return JobCancelRequested(); })) << "quitting left the job running";
    EndJob(false);
    EXPECT_TRUE(w.WaitEnded(60000));
  }
  WindowHarness w;
  ASSERT_TRUE(w.Start());
  PostMessageW(w.hwnd(), kGameEndedMessage, 0, 0);
  EXPECT_TRUE(w.WaitEnded(60000)) << "the launcher stayed after the game ended";
  EXPECT_EQ(0, w.Close());
}

TEST_F(WindowTest, ClosingFlushesAChangeTheSaverHasNotWrittenYet) {
  ConfigureMissingDump();
  WindowHarness w;
  ASSERT_TRUE(w.Start());
  w.OnGui([] { SettingsStore::Set("display.vsync", "0"); });
  ASSERT_EQ(0, w.Close());
  EXPECT_NE(std::string::npos, SavedText().find("vsync = 0")) << SavedText();
}

TEST_F(WindowTest, ActivationPicksUpSettingsEditedElsewhere) {
  ConfigureMissingDump();
  WindowHarness w;
  ASSERT_TRUE(w.Start());
  testsupport::WriteFile(SettingsPath(), "[launcher]\ndump_path = " + Path("gone") +
                                             "\n[display]\nbackground_animation = off\nvsync = 0\n");
  SendMessageW(w.hwnd(), WM_ACTIVATE, WA_ACTIVE, 0);  // handled when it returns
  EXPECT_STREQ("0", SettingsStore::Get("display.vsync"));
  EXPECT_EQ(0, w.Close());
}

// [SECTION] When the loop draws

TEST_F(WindowTest, AnIdleHomeDrawsOnlyTheHeartbeatAndTheAnimationOnlyPartialFrames) {
  ConfigureMissingDump();  // animation off
  WindowHarness w;
  ASSERT_TRUE(w.Start());
  ASSERT_TRUE(w.WaitFor([] { return !DumpChecks::Busy(); }));
  w.WaitFullFrames(1, 3000);  // past anything left from the start

  // Animation off: one full frame every 2 s, nothing in between.
  LauncherWindowTesting::FrameCounts before = w.Counts();
  ASSERT_TRUE(w.WaitFullFrames(2, 10000));
  LauncherWindowTesting::FrameCounts after = w.Counts();
  EXPECT_EQ(before.partial, after.partial);

  // Animation on: partial frames, and still only the heartbeat's full frames.
  w.OnGui([] { SettingsStore::Set("display.background_animation", "on"); });
  before = w.Counts();
  const ULONGLONG started = GetTickCount64();
  ASSERT_TRUE(w.WaitFor([&] { return LauncherWindowTesting::Counts().partial >= before.partial + 30; }));
  after = w.Counts();
  const int heartbeats = static_cast<int>((GetTickCount64() - started) / 2000);
  EXPECT_LE(after.full - before.full, 1 + heartbeats) << "full frames while only the backdrop moved";
  // The emblem's slowly turning ring refreshes in one partial frame of three.
  const int partials = after.partial - before.partial, emblems = after.emblem - before.emblem;
  EXPECT_NEAR(partials / 3.0, emblems, 1.0);

  // Minimised: nothing at all, for longer than the heartbeat.
  ShowWindow(w.hwnd(), SW_MINIMIZE);
  ASSERT_TRUE(w.WaitFor([&] { return IsIconic(w.hwnd()) != FALSE; }));
  before = w.Counts();
  EXPECT_FALSE(w.WaitEnded(2500));  // longer than the heartbeat
  after = w.Counts();
  EXPECT_EQ(before.full, after.full);
  EXPECT_EQ(before.partial, after.partial);
  EXPECT_EQ(0, w.Close());
}

TEST_F(WindowTest, APartialFrameOfHomeMatchesAWholeOneOfTheSameMoment) {
  UseFileWithText("[launcher]\ndump_path = " + Path("gone") + "\n[display]\nbackground_animation = on\n");
  WindowHarness w;
  ASSERT_TRUE(w.Start());
  ASSERT_TRUE(w.WaitFor([] { return LauncherWindowTesting::Counts().partial >= 10; }));
  // A toast over the letters and the art: the foreground holds text, glow and edges.
  w.OnGui([] { ShowToast(L"Safe settings on: anti-aliasing off, render resolution 1x."); });
  ASSERT_TRUE(w.WaitFullFrames(1));
  LauncherWindowTesting::CompositeCheck check;
  w.OnGui([&] { check = LauncherWindowTesting::CheckComposite(); });
  // Blending rounds its own way: one step of 255 at most, and never more.
  EXPECT_GE(check.differing, 0);
  EXPECT_LE(check.worst, 1) << check.differing << " pixels differ in (" << check.box.left << "," << check.box.top
                            << ")-(" << check.box.right << "," << check.box.bottom << ")";
  EXPECT_EQ(0, w.Close());
}

TEST_F(WindowTest, TheFrameTimeLogAveragesEveryHundredPartialFrames) {
  UseFileWithText("[launcher]\ndump_path = " + Path("gone") + "\n[display]\nbackground_animation = on\n");
  testsupport::ScopedEnv log("KESTRANE_FRAMETIME", Path("frametime.txt"));
  WindowHarness w;
  ASSERT_TRUE(w.Start());
  ASSERT_TRUE(w.WaitFor([&] { return testsupport::ReadFile(Path("frametime.txt")).find('\n') != std::string::npos; }));
  const std::string line = testsupport::ReadFile(Path("frametime.txt"));
  double frame = -1, backdrop = -1, screen = -1;
  int count = 0;
  ASSERT_EQ(4, sscanf(line.c_str(), "partial frame %lf ms (backdrop %lf, screen %lf; %d frames)", &frame, &backdrop,
                      &screen, &count))
      << line;
  EXPECT_EQ(100, count);
  EXPECT_GT(frame, 0);
  EXPECT_LE(backdrop + screen, frame * 1.01);
  EXPECT_EQ(0, w.Close());
}

TEST_F(WindowTest, AFrameTimeLogThatCantBeOpenedIsSkipped) {
  UseFileWithText("[launcher]\ndump_path = " + Path("gone") + "\n[display]\nbackground_animation = on\n");
  testsupport::ScopedEnv log("KESTRANE_FRAMETIME", Path("home"));  // a folder
  WindowHarness w;
  ASSERT_TRUE(w.Start());
  ASSERT_TRUE(w.WaitFor([] { return LauncherWindowTesting::Counts().partial >= 210; }));
  EXPECT_TRUE(w.Running());
  EXPECT_EQ(0, w.Close());
}

}  // namespace
