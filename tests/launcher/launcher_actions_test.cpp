// Moving between screens: the first screen, default focus, the gear, toasts and the keys
// Home answers, through frames of the real Frame; and slow work kept off the window's thread.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dump/dump_judgement.h"
#include "game/bug_report.h"
#include "jobs/enhance_job.h"
#include "launcher/home_screen.h"
#include "launcher/launcher_actions.h"
#include "launcher/offload.h"
#include "platform/window_thread.h"
#include "settings/settings_store.h"
#include "tests/fixtures/dump_fixture.h"
#include "tests/launcher/launcher_test_fixture.h"
#include "ui/context.h"

namespace {

using launchertest::LauncherTest;

class LauncherActionsTest : public LauncherTest {};

TEST_F(LauncherActionsTest, PlayWithoutADumpOpensTheChooserAndTheGearReopensTheLastPage) {
  RefreshDumpStatus();
  EXPECT_FALSE(Launcher().status.configured);
  Step();  // Home, focus on PLAY
  Nav(ui::NavEvent::Activate);
  EXPECT_EQ(ScreenId::DiscChooser, Launcher().screen);

  // The very first gear click opens Display; after Audio it reopens Audio.
  const float gear_x = 1280 - 124 + 17, gear_y = 26;
  Click(gear_x, gear_y);
  EXPECT_EQ(ScreenId::Settings, Launcher().screen);
  EXPECT_EQ(SettingsPage::Display, Launcher().page);
  GoToSettingsPage(SettingsPage::Audio);
  GoToScreen(ScreenId::Home);
  Step();
  Click(gear_x, gear_y);
  EXPECT_EQ(ScreenId::Settings, Launcher().screen);
  EXPECT_EQ(SettingsPage::Audio, Launcher().page);
}

TEST_F(LauncherActionsTest, AKeyPressedInTheFrameOfAScreenChangeWaitsOneFrame) {
  RefreshDumpStatus();
  Step();
  GoToScreen(ScreenId::Home);  // screen_changed: this frame applies the default focus
  queue_.Push(ui::NavEvent::Activate);
  Step();
  EXPECT_EQ(ScreenId::Home, Launcher().screen) << "the queued Activate ran in the focus frame";
  Step();
  EXPECT_EQ(ScreenId::DiscChooser, Launcher().screen);
}

TEST_F(LauncherActionsTest, ASecondToastReplacesTheFirstForAFullTime) {
  ShowToast(L"first");
  const double first_until = Launcher().toast_until;
  ShowToast(L"second");
  EXPECT_EQ(L"second", Launcher().toast_text);
  EXPECT_GE(Launcher().toast_until, first_until);
  EXPECT_NEAR(Launcher().toast_until, NowSeconds() + 3.5, 0.05);
}

TEST_F(LauncherActionsTest, TheTopBarButtonsNeverTakeTheKeyboardFocus) {
  RefreshDumpStatus();
  Step();
  const int play = Focus();
  // Tab through every focus stop of Home: the count comes back to PLAY without ever
  // landing on an id past the screen's own widgets.
  const int stops = ui::Ctx().widget_count;
  for (int i = 0; i < stops; ++i) Nav(ui::NavEvent::Down);
  EXPECT_EQ(play, Focus());
  EXPECT_EQ(ScreenId::Home, Launcher().screen);
}

}  // namespace

// Judging, hashing and reading reports report themselves when they run on the window's
// thread (the tests run the build with the check); the same calls elsewhere don't.
std::vector<std::string> g_reported;
void Remember(const char* operation) { g_reported.push_back(operation); }

TEST_F(LauncherActionsTest, SlowWorkOnTheWindowThreadIsReported) {
  const std::string dump = fixtures::MakeDump(Path("dump")).chosen;
  SettingsStore::Set("launcher.dump_path", dump.c_str());
  g_reported.clear();
  SetWindowThreadReport(Remember);
  MarkWindowThread();
  ReadDumpStatus(dump);
  ClassifyDump(dump);
  ComposeReport(DumpStatus(), BuildStatus());
  std::wstring message;
  RemoveEnhancedVideo(&message);
  ClearWindowThread();
  ReadDumpStatus(dump);  // not on the window's thread any more
  SetWindowThreadReport(nullptr);
  const std::vector<std::string> expected = {
      "ReadDumpStatus", "JudgeDump", "HashMainDol", "JudgeDump", "HashMainDol", "ComposeReport", "RemoveEnhancedVideo"};
  EXPECT_EQ(expected, g_reported);
  // The window's own refresh hands the judgement to the worker.
  g_reported.clear();
  SetWindowThreadReport(Remember);
  MarkWindowThread();
  RefreshDumpStatus();
  ClearWindowThread();
  SetWindowThreadReport(nullptr);
  EXPECT_TRUE(g_reported.empty()) << g_reported.front();
  EXPECT_TRUE(Launcher().status.judgement.verified);
}

// A window closed before it handed anything off, then closed again, leaves the worker
// usable: the next window's pieces still run off its thread.
TEST_F(LauncherActionsTest, AStopWithNoWorkerLeavesTheNextPieceOffTheCallersThread) {
  ASSERT_TRUE(Offload::Stop(10000));
  ASSERT_TRUE(Offload::Stop(10000));  // no worker now
  DWORD ran_on = GetCurrentThreadId();
  Offload::Post([&ran_on] { ran_on = GetCurrentThreadId(); });
  ASSERT_TRUE(Offload::WaitUntilIdle(10000));
  EXPECT_NE(GetCurrentThreadId(), ran_on);
}
