// The Settings screen in the real window, driven with real window messages: a keyboard
// change reaching settings.ini once, "Reset this page", the wheel, and a move of the game
// data folder while the window goes on painting.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>

#include "launcher/data_folder_move.h"
#include "launcher/launcher_actions.h"
#include "launcher/launcher_state.h"
#include "launcher/settings_pages.h"
#include "settings/game_data_folder.h"
#include "settings/settings_store.h"
#include "tests/launcher/window_harness.h"
#include "tests/launcher/window_test_fixture.h"
#include "tests/settings/settings_test_fixture.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_folder.h"
#include "ui/context.h"

namespace {

using launchertest::WindowHarness;

std::atomic<int> g_saves{0};
std::atomic<unsigned> g_change_tick{0}, g_save_tick{0};
void CountSave(const SettingsStoreTesting::SaveEvent& event, void*) {
  if (!event.saved) return;
  g_change_tick = event.change_tick;
  g_save_tick = event.save_tick;
  ++g_saves;
}

std::string g_moved_to;
std::string PickMovedTo(const std::wstring&) { return g_moved_to; }

class SettingsWindowTest : public launchertest::RealWindowTest {
 protected:
  void SetUp() override {
    RealWindowTest::SetUp();
    g_saves = 0;
  }
  void TearDown() override {
    SettingsStoreTesting::SetSaveObserver(nullptr, nullptr);
    SettingsPagesTesting::SetFolderPicker(nullptr);
    DataFolderMoveTesting::SetGate(nullptr);
    RealWindowTest::TearDown();
  }
  // Home first (a dump is configured, if gone), nothing animating.
  std::string BaseSettings() const {
    return "[launcher]\ndump_path = " + Path("gone") + "\n[display]\nbackground_animation = off\n";
  }
  // The page with the pointer parked where no control is (the window may open under it,
  // and the focus follows a moving pointer).
  void Open(WindowHarness& w, SettingsPage page) {
    MoveMouse(w, 1100, 560);
    w.OnGui([page] { GoToSettingsPage(page); });
    ASSERT_TRUE(w.WaitFullFrames(2));
  }
  // The mouse to a design point, as the window receives it; the pointer itself goes there
  // too, so what the system reports of it later agrees.
  void MoveMouse(WindowHarness& w, float x, float y) {
    POINT at = {};
    w.OnGui([&] {
      const ui::Context& c = ui::Ctx();
      at = {static_cast<LONG>(x * c.scale + c.offset_x), static_cast<LONG>(y * c.scale + c.offset_y)};
    });
    POINT screen = at;
    ClientToScreen(w.hwnd(), &screen);
    SetCursorPos(screen.x, screen.y);
    PostMessageW(w.hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(at.x, at.y));
  }
  void Wheel(WindowHarness& w, int notches) {
    PostMessageW(w.hwnd(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(static_cast<short>(notches * WHEEL_DELTA))), 0);
  }
  float Scroll(WindowHarness& w) {
    float scroll = 0;
    w.OnGui([&] { scroll = Launcher().settings_scroll; });
    return scroll;
  }

};

TEST_F(SettingsWindowTest, AKeyboardChangeReachesSettingsIniOnceAMomentLater) {
  UseFileWithText(BaseSettings());
  SettingsStoreTesting::SetSaveObserver(CountSave, nullptr);
  WindowHarness w;
  ASSERT_TRUE(w.Start());
  Open(w, SettingsPage::Display);  // the focus is on Window mode, shown as Borderless (the default)
  ASSERT_TRUE(w.Key(VK_RIGHT));
  ASSERT_TRUE(w.WaitFor([] { return g_saves.load() >= 1; }, 10000));
  const unsigned delay = g_save_tick - g_change_tick;
  EXPECT_GE(delay, 300u);
  EXPECT_LT(delay, 2000u);
  // What the game reads when it starts.
  const std::string text = testsupport::ReadFile(SettingsPath());
  EXPECT_NE(std::string::npos, text.find("[display]\nbackground_animation = off\nwindow_mode = fullscreen\n")) << text;
  EXPECT_EQ(0, w.Close());  // closing flushes: nothing is left to write
  EXPECT_EQ(1, g_saves.load());
}

TEST_F(SettingsWindowTest, ResetThisPageFromTheKeyboard) {
  UseFileWithText(BaseSettings() + "window_mode = windowed\nvsync = 0\n[audio]\nmaster = 35\n");
  WindowHarness w;
  ASSERT_TRUE(w.Start());
  Open(w, SettingsPage::Display);
  // Up from the first row is "Back to home", once more wraps to the last stop: the link.
  ASSERT_TRUE(w.Key(VK_UP));
  ASSERT_TRUE(w.Key(VK_UP));
  bool on_reset = false;
  w.OnGui([&] { on_reset = ui::Ctx().focus == ui::Ctx().widget_count - 1; });
  ASSERT_TRUE(on_reset);
  ASSERT_TRUE(w.Key(VK_RETURN));
  w.OnGui([] { EXPECT_EQ(L"Back to the defaults for this page.", Launcher().toast_text); });
  ASSERT_TRUE(w.WaitFor([&] { return !SettingsStoreTesting::IsDirty(); }, 10000));
  EXPECT_EQ("[launcher]\ndump_path = " + Path("gone") + "\n[display]\n[audio]\nmaster = 35\n",
            testsupport::ReadFile(SettingsPath()));
  EXPECT_EQ(0, w.Close());
}

TEST_F(SettingsWindowTest, TheWheelScrollsOnlyRightOfTheSideList) {
  UseFileWithText(BaseSettings());
  WindowHarness w;
  ASSERT_TRUE(w.Start());
  Open(w, SettingsPage::Graphics);  // taller than the view
  MoveMouse(w, 120, 400);
  Wheel(w, -3);
  ASSERT_TRUE(w.WaitFullFrames(2));
  EXPECT_EQ(0, Scroll(w));
  MoveMouse(w, 600, 400);
  Wheel(w, -1);
  ASSERT_TRUE(w.WaitFor([] { return Launcher().settings_scroll != 0; }, 10000));
  EXPECT_EQ(60, Scroll(w));
  EXPECT_EQ(0, w.Close());
}

TEST_F(SettingsWindowTest, TheWindowPaintsThroughADataFolderMoveAndClosesOnlyAfterIt) {
  UseFileWithText(BaseSettings() + "[launcher]\ndata_dir = " + Path("data") + "\n");
  // A folder of many files; how long it takes to copy is the gate's to decide. The
  // launcher made both folders, so both move.
  ASSERT_TRUE(CreateDirectoryA(Path("data").c_str(), nullptr));
  ASSERT_TRUE(MakeLauncherFolder(Path("data\\cache")));
  ASSERT_TRUE(MakeLauncherFolder(Path("data\\disc")));
  for (int i = 0; i < 40; ++i)
    testsupport::WriteFile(Path("data\\cache\\frames\\f" + std::to_string(i) + ".png"), std::string(256 << 10, 'f'));
  testsupport::WriteFile(Path("data\\disc\\DATA\\sys\\main.dol"), "dol");
  g_moved_to = Path("moved");
  SettingsPagesTesting::SetFolderPicker(PickMovedTo);
  HANDLE gate = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  DataFolderMoveTesting::SetGate(gate);

  WindowHarness w;
  ASSERT_TRUE(w.Start());
  Open(w, SettingsPage::GameFiles);
  w.OnGui([] { ui::Ctx().focus = Launcher().settings_rows.at(1).id; });  // Game data folder
  ASSERT_TRUE(w.Key(VK_RETURN));
  ASSERT_TRUE(w.WaitFor([] { return DataFolderMoving(); }));

  // The window goes on: the row counts the seconds, and every answer comes back at once.
  // Counted from a second the row has shown, so a slow start can't eat one of the two.
  int from = 0;
  w.OnGui([&] { from = Launcher().data_move_shown_second; });
  const int before = w.Counts().full;
  ASSERT_TRUE(w.WaitFor([from] { return Launcher().data_move_shown_second >= from + 2; }, 10000));
  const int during = w.Counts().full - before;
  EXPECT_GE(during, 2) << "full frames while the data folder moved";
  RecordProperty("full_frames_during_move", during);

  // Closing now would leave half a folder: the window says so and stays.
  PostMessageW(w.hwnd(), WM_CLOSE, 0, 0);
  ASSERT_TRUE(w.WaitFullFrames(1));
  EXPECT_TRUE(w.Running());
  w.OnGui([] { EXPECT_EQ(L"Moving your game data. Kestrane closes when that's done.", Launcher().toast_text); });

  SetEvent(gate);
  ASSERT_TRUE(w.WaitEnded(60000)) << "the window didn't close after the move";
  EXPECT_EQ(L"Moved. Kestrane keeps its game data there now.", Launcher().toast_text);
  EXPECT_EQ(Path("moved"), SettingsStore::Get("launcher.data_dir"));
  EXPECT_EQ(std::string(256 << 10, 'f'), testsupport::ReadFile(Path("moved\\cache\\frames\\f39.png")));
  EXPECT_EQ("dol", testsupport::ReadFile(Path("moved\\disc\\DATA\\sys\\main.dol")));
  CloseHandle(gate);
}

}  // namespace
