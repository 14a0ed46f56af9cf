// Home's rules through frames of the real Frame: what PLAY does at each readiness, the
// last-run row's links, and how Home answers while a job runs.
#include <gtest/gtest.h>

#include "jobs/job_status.h"
#include "launcher/home_screen.h"
#include "launcher/launcher_actions.h"
#include "settings/settings_store.h"
#include "tests/fixtures/dump_fixture.h"
#include "tests/launcher/launcher_test_fixture.h"
#include "tests/support/scoped_env.h"
#include "ui/context.h"

namespace {

using launchertest::LauncherTest;

class HomeScreenTest : public LauncherTest {
 protected:
  void SetUp() override {
    LauncherTest::SetUp();
    game_exe_ = std::make_unique<testsupport::ScopedEnv>("KESTRANE_GAME_EXE", Path("KestraneGame.exe"));
  }
  void TearDown() override {
    WaitForNoJob();
    LauncherTest::TearDown();
  }
  // A dump the test build verifies, optionally indexed (dump.ini) and built (the game exists).
  void MakeDumpState(bool imported, bool built) {
    const fixtures::MadeDump dump = fixtures::MakeDump(Path("dump"));
    SettingsStore::Set("launcher.dump_path", dump.chosen.c_str());
    if (imported)
      testsupport::WriteFile(Path("local\\Kestrane\\dump.ini"), "disc=" + dump.files_dir + "\nverified=1\n");
    if (built) testsupport::WriteFile(Path("KestraneGame.exe"), "a game");
    RefreshDumpStatus();
  }
  // Jobs started by a test end before the next test's folder replaces this one.
  static void WaitForNoJob() {
    CancelJob();
    EXPECT_TRUE(WaitForJobEnd(60000));
  }
  // Moves the keyboard focus to the n-th focus stop after PLAY (wrapping to the first).
  void FocusAfterPlay(int n) {
    for (int i = 0; i < n; ++i) Nav(ui::NavEvent::Down);
  }
  std::unique_ptr<testsupport::ScopedEnv> game_exe_;
};

// Indexing and building both start the setup, never a rebuild; only a ready game starts.
TEST_F(HomeScreenTest, ReadinessPlaysLabelAndItsActionFollowTheDumpTheIndexAndTheBuild) {
  struct Case {
    bool dump, imported, built;
    int level;
    const wchar_t* label;
    ScreenId then;
  } cases[] = {{false, false, false, 0, L"SELECT YOUR DISC", ScreenId::DiscChooser},
               {true, false, false, 2, L"BUILD KESTRANE", ScreenId::JobProgress},
               {true, true, false, 2, L"BUILD KESTRANE", ScreenId::JobProgress},
               {true, false, true, 1, L"GET READY", ScreenId::JobProgress},
               {true, true, true, 3, L"PLAY", ScreenId::Home}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    WaitForNoJob();
    testsupport::RemoveTree(Path("dump"));
    DeleteFileA(Path("KestraneGame.exe").c_str());
    DeleteFileA(Path("local\\Kestrane\\dump.ini").c_str());
    SettingsStore::Reset("launcher.dump_path");
    if (c.dump) MakeDumpState(c.imported, c.built);
    GoToScreen(ScreenId::Home);
    Step();
    EXPECT_EQ(c.level, ReadyLevel());
    EXPECT_STREQ(c.label, PlayLabel());
    Nav(ui::NavEvent::Activate);
    EXPECT_EQ(c.then, Launcher().screen);
    if (c.then == ScreenId::JobProgress) {
      EXPECT_EQ(L"Getting Kestrane ready", SnapshotJob().title);
    }
    // The stand-in "game" is no program: its start fails with the reason.
    EXPECT_EQ(c.then == ScreenId::Home, !Launcher().launch_error.empty());
  }
}

TEST_F(HomeScreenTest, TheRebuildLinkRebuildsAVerifiedBuiltGame) {
  MakeDumpState(true, true);
  Step();
  // Focus stops before PLAY: Change, Rebuild, Builds, Settings, Controls, Logs, About.
  FocusAfterPlay(2);
  Nav(ui::NavEvent::Activate);
  EXPECT_EQ(ScreenId::JobProgress, Launcher().screen);
  EXPECT_EQ(L"Rebuilding Kestrane", SnapshotJob().title);
}

TEST_F(HomeScreenTest, WhileAJobRunsHomeNeitherPlaysNorStartsAnother) {
  MakeDumpState(true, true);
  JobStatus setup;
  setup.kind = kJobSetup;
  setup.title = L"Rebuilding Kestrane";
  ASSERT_TRUE(BeginJob(setup));
  Step();
  Nav(ui::NavEvent::Activate);  // PLAY: the linker may be replacing the game right now
  EXPECT_EQ(ScreenId::Home, Launcher().screen);
  EXPECT_FALSE(Launcher().game_started);
  EXPECT_EQ(L"Kestrane is being set up. PLAY works when that's done.", Launcher().toast_text);
  // Rebuild shows the setup that runs instead of pretending to start one.
  EXPECT_FALSE(StartSetup(true));
  EXPECT_EQ(ScreenId::JobProgress, Launcher().screen);
  EndJob(false);

  JobStatus enhance;
  enhance.kind = kJobEnhance;
  ASSERT_TRUE(BeginJob(enhance));
  GoToScreen(ScreenId::Home);
  EXPECT_FALSE(StartSetup(true));
  EXPECT_EQ(ScreenId::Home, Launcher().screen);
  EXPECT_NE(std::wstring::npos, Launcher().toast_text.find(L"intro video")) << Launcher().toast_text;
  Step();
  Nav(ui::NavEvent::Activate);  // PLAY: the enhancement pauses for the game
  EXPECT_FALSE(Launcher().launch_error.empty()) << "refused: " << Launcher().toast_text;
  EndJob(false);
}

TEST_F(HomeScreenTest, AFinishedEnhancementIsAnnouncedOnceAndACancelledOneNever) {
  MakeDumpState(true, true);
  for (bool cancelled : {false, true}) {
    SCOPED_TRACE(cancelled);
    Launcher().toast_text.clear();
    JobStatus enhance;
    enhance.kind = kJobEnhance;
    ASSERT_TRUE(BeginJob(enhance));
    Step();
    if (cancelled) {
      CancelJob();
      ASSERT_TRUE(CheckCancel(0));
      EndJob(false);
    } else {
      EndJob(true);
    }
    Step();
    const std::wstring ready = L"Your enhanced intro video is ready. It plays from the next game start.";
    EXPECT_EQ(cancelled ? L"" : ready, Launcher().toast_text);
    Launcher().toast_text.clear();
    Step();
    EXPECT_EQ(L"", Launcher().toast_text) << "announced twice";
  }
}

TEST_F(HomeScreenTest, TheLastRunRowOffersItsLinksByWhatTheRunKept) {
  MakeDumpState(true, true);
  struct Case {
    const char* runs;
    const char* graphics;
    int links;  // the row's own focus stops
  } cases[] = {
      // A crash with its log kept: View log, Copy report; risky graphics add Use safe settings.
      {"2026-12-09 21:02\t312\tc0000005\tCrashed\t1\n", "[graphics]\ninternal_scale = 2\n", 3},
      {"2026-12-09 21:02\t312\tc0000005\tCrashed\t1\n", "[graphics]\nmsaa = 1\ninternal_scale = 1\n", 2},
      {"2026-12-09 21:02\t312\tc0000005\tCrashed\t1\n", "[graphics]\nmsaa = 2\ninternal_scale = 1\n", 3},
      {"2026-12-09 21:02\t312\tc0000005\tCrashed\t1\n", "[graphics]\ninternal_scale = 1\nenhanced_assets = 1\n", 3},
      // No log kept: Turn on, and Use safe settings while the scale is the default "window".
      {"2026-12-09 21:02\t41\t00000060\tStopped\t0\n", "", 2},
      {"2026-12-09 21:02\t41\t00000060\tStopped\t0\n", "[graphics]\ninternal_scale = 1\n", 1},
      // The newest run was fine: no row at all.
      {"2026-12-09 21:02\t41\t00000060\tStopped\t0\n2026-12-09 22:00\t600\t00000000\tOK\t1\n", "", 0},
  };
  Step();
  const int plain_stops = ui::Ctx().widget_count;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.runs);
    testsupport::WriteFile(Path("local\\Kestrane\\logs\\runs.tsv"), c.runs);
    UseFileWithText(std::string("[launcher]\ndump_path = ") + SettingsStore::Get("launcher.dump_path") + "\n" +
                    c.graphics);
    RefreshRuns();
    Step();
    EXPECT_EQ(plain_stops + c.links, ui::Ctx().widget_count);
  }
}

TEST_F(HomeScreenTest, UseSafeSettingsPutsTheSafeTrioBack) {
  MakeDumpState(true, true);
  testsupport::WriteFile(Path("local\\Kestrane\\logs\\runs.tsv"), "2026-12-09 21:02\t312\tc0000005\tCrashed\t1\n");
  RefreshRuns();
  SettingsStore::Set("graphics.internal_scale", "3");
  SettingsStore::Set("graphics.msaa", "4");
  SettingsStore::Set("graphics.enhanced_assets", "1");
  Step();
  FocusAfterPlay(3);  // View log, Copy report, Use safe settings
  const int with_link = ui::Ctx().widget_count;
  Nav(ui::NavEvent::Activate);
  EXPECT_STREQ("1", SettingsStore::Get("graphics.internal_scale"));
  EXPECT_EQ(0, SettingsStore::GetInt("graphics.msaa"));
  EXPECT_EQ(0, SettingsStore::GetInt("graphics.enhanced_assets"));
  EXPECT_NE(std::wstring::npos, Launcher().toast_text.find(L"Safe settings on")) << Launcher().toast_text;
  // The row shrinks to its short form in the very paint that took the key.
  EXPECT_EQ(with_link - 1, ui::Ctx().widget_count);
}

TEST_F(HomeScreenTest, TurnOnSwitchesErrorLogsOn) {
  MakeDumpState(true, true);
  SettingsStore::Set("launcher.error_log", "0");
  testsupport::WriteFile(Path("local\\Kestrane\\logs\\runs.tsv"), "2026-12-09 21:02\t41\t00000060\tStopped\t0\n");
  RefreshRuns();
  Step();
  FocusAfterPlay(1);
  Nav(ui::NavEvent::Activate);
  EXPECT_EQ(1, SettingsStore::GetInt("launcher.error_log"));
  EXPECT_EQ(L"Error logs are on. The next run keeps its details.", Launcher().toast_text);
}

}  // namespace
