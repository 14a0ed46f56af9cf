// Moving the game data folder from the Game files page: refused while something uses the
// folder, run on the worker while the window goes on, the controls that use the folder
// disabled meanwhile, and the result as a toast when it ends.
#include <gtest/gtest.h>

#include <windows.h>

#include "game/game_supervisor.h"
#include "jobs/enhance_job.h"
#include "jobs/job_status.h"
#include "launcher/data_folder_move.h"
#include "launcher/dump_checks.h"
#include "launcher/launcher_actions.h"
#include "launcher/settings_pages.h"
#include "settings/game_data_folder.h"
#include "settings/settings_store.h"
#include "tests/launcher/launcher_test_fixture.h"
#include "tests/support/scoped_env.h"
#include "ui/context.h"

namespace {

using launchertest::LauncherTest;

std::string g_picked;
int g_picks = 0;
std::string PickForTest(const std::wstring&) {
  ++g_picks;
  return g_picked;
}

class DataFolderMoveTest : public LauncherTest {
 protected:
  void SetUp() override {
    LauncherTest::SetUp();
    UseFileWithText("[launcher]\ndata_dir = " + Path("data") + "\n");
    // A cache the launcher made (it holds the launcher's mark), so it may move.
    CreateDirectoryA(Path("data").c_str(), nullptr);
    ASSERT_TRUE(MakeLauncherFolder(Path("data\\cache")));
    testsupport::WriteFile(Path("data\\cache\\frames\\0001.png"), "frame");
    g_picks = 0;
    g_picked = Path("moved");
    SettingsPagesTesting::SetFolderPicker(PickForTest);
    gate_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  }
  void TearDown() override {
    SetEvent(gate_);
    EXPECT_TRUE(WaitForDataFolderMove(60000));
    DataFolderMoveTesting::SetGate(nullptr);
    CloseHandle(gate_);
    SettingsPagesTesting::SetFolderPicker(nullptr);
    if (job_started_) EndJob(false);
    LauncherTest::TearDown();
  }

  // Activate on the Game files row at `index` (0 Disc folder, 1 Game data folder).
  void ActivateRow(size_t index) {
    GoToSettingsPage(SettingsPage::GameFiles);
    Step();
    ui::Ctx().focus = Launcher().settings_rows.at(index).id;
    Nav(ui::NavEvent::Activate);
  }
  void StartJob() {
    JobStatus job;
    job.kind = kJobEnhance;
    ASSERT_TRUE(BeginJob(job));
    job_started_ = true;
  }

  HANDLE gate_ = nullptr;
  bool job_started_ = false;
};

TEST_F(DataFolderMoveTest, ChangeIsRefusedBeforeThePickerWhileAJobUsesTheFolder) {
  StartJob();
  ActivateRow(1);
  EXPECT_EQ(0, g_picks);
  EXPECT_EQ(L"A job is using the game data folder. Move it when the job is done.", Launcher().toast_text);
  EXPECT_FALSE(DataFolderMoving());
  EXPECT_TRUE(testsupport::PathExists(Path("data\\cache\\frames\\0001.png")));
  EXPECT_EQ(Path("data"), SettingsStore::Get("launcher.data_dir"));
}

// The game reads its files from the folder; a disc check may be extracting an image into it.
TEST_F(DataFolderMoveTest, TheMoveIsRefusedWhileTheGameRunsOrADiscIsBeingChecked) {
  ASSERT_TRUE(CopyFileA((testsupport::BinDir() + "standin_game.exe").c_str(), Path("game.exe").c_str(), FALSE));
  testsupport::ScopedEnv game("KESTRANE_GAME_EXE", Path("game.exe"));
  // The game's end is told the way the window hears it: posted once the game slot is free.
  HWND ended = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  ASSERT_NE(nullptr, ended);
  RegisterGameWindow(ended, kGameEndedMessage);
  std::string message;
  ASSERT_TRUE(LaunchGame(&message)) << message;
  EXPECT_FALSE(StartDataFolderMove(Path("moved")));
  EXPECT_EQ(L"The game is running. Move the game data folder after you quit it.", Launcher().toast_text);
  EndGame();
  MSG msg = {};
  for (ULONGLONG until = GetTickCount64() + 30000, now = GetTickCount64();
       !PeekMessageW(&msg, ended, kGameEndedMessage, kGameEndedMessage, PM_REMOVE) && now < until;
       now = GetTickCount64())
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(until - now), QS_POSTMESSAGE);
  RegisterGameWindow(nullptr, 0);
  DestroyWindow(ended);
  ASSERT_FALSE(IsGameRunning());

  DumpChecksTesting::SetGate(gate_);
  DumpChecks::QueueStatus(ConfiguredDump());  // under way, held at the gate
  EXPECT_FALSE(StartDataFolderMove(Path("moved")));
  EXPECT_EQ(L"Your disc is being checked. Move the game data folder when that's done.", Launcher().toast_text);
  SetEvent(gate_);
  ASSERT_TRUE(DumpChecks::WaitUntilIdle(60000));
  DumpChecksTesting::SetGate(nullptr);
  DumpChecks::TakeFinished();
  EXPECT_FALSE(DataFolderMoving());
  EXPECT_TRUE(testsupport::PathExists(Path("data\\cache\\frames\\0001.png")));
}

TEST_F(DataFolderMoveTest, TheMoveRunsBehindTheWindowAndEndsWithItsToast) {
  DataFolderMoveTesting::SetGate(gate_);
  ActivateRow(1);
  EXPECT_EQ(1, g_picks);
  ASSERT_TRUE(DataFolderMoving());

  // Frames go on while it runs; what uses the folder waits, and so does closing.
  Step();
  EXPECT_FALSE(ApplyFinishedDataFolderMove());
  ui::Ctx().focus = Launcher().settings_rows.at(1).id;
  Nav(ui::NavEvent::Activate);
  EXPECT_EQ(1, g_picks) << "CHANGE… ran again during the move";
  ui::Ctx().focus = Launcher().settings_rows.at(0).id;
  Nav(ui::NavEvent::Activate);
  EXPECT_EQ(ScreenId::Settings, Launcher().screen) << "the disc chooser opened during the move";
  Launcher().status.judgement.path = Path("some dump");
  EXPECT_FALSE(StartSetup(false));
  EXPECT_FALSE(JobRunning());
  EXPECT_EQ(L"Kestrane is moving its game data. Try again when that's done.", Launcher().toast_text);
  EXPECT_FALSE(DataFolderMoveAllowsClose());
  EXPECT_TRUE(Launcher().close_after_data_move);

  SetEvent(gate_);
  ASSERT_TRUE(WaitForDataFolderMove(60000));
  EXPECT_TRUE(ApplyFinishedDataFolderMove());
  EXPECT_FALSE(DataFolderMoving());
  EXPECT_EQ(L"Moved. Kestrane keeps its game data there now.", Launcher().toast_text);
  EXPECT_EQ(Path("moved"), SettingsStore::Get("launcher.data_dir"));
  EXPECT_TRUE(testsupport::PathExists(Path("moved\\cache\\frames\\0001.png")));
  EXPECT_FALSE(testsupport::PathExists(Path("data\\cache")));
  Step();
  EXPECT_EQ(Path("moved"), Launcher().settings_files.data_dir) << "the page still shows the old folder";
}

TEST_F(DataFolderMoveTest, AFailedMoveShowsWhatWentWrong) {
  g_picked = Path("no such parent\\moved");
  ActivateRow(1);
  ASSERT_TRUE(WaitForDataFolderMove(60000));
  EXPECT_TRUE(ApplyFinishedDataFolderMove());
  EXPECT_EQ(L"That folder can't be created.", Launcher().toast_text);
  EXPECT_EQ(Path("data"), SettingsStore::Get("launcher.data_dir"));
}

TEST_F(DataFolderMoveTest, TheEnhancedVideoCantBeRemovedUnderARunningJob) {
  const std::string video = Path("data\\cache\\enhanced\\uisingle.mp4");
  testsupport::WriteFile(video, "video");
  GoToSettingsPage(SettingsPage::Graphics);
  Step();
  // The intro row's REMOVE is the focus stop after the row itself.
  int remove = -1;
  const std::vector<SettingsFocusRow>& rows = Launcher().settings_rows;
  for (size_t i = 1; i < rows.size(); ++i)
    if (rows[i].id == rows[i - 1].id + 1 && rows[i].top > rows[i - 1].top && rows[i].top < rows[i - 1].top + 20)
      remove = rows[i].id;
  ASSERT_GE(remove, 0);
  StartJob();
  Step();
  ui::Ctx().focus = remove;
  Nav(ui::NavEvent::Activate);
  EXPECT_TRUE(testsupport::PathExists(video));
  EndJob(false);
  job_started_ = false;
  Step();
  ui::Ctx().focus = remove;
  Nav(ui::NavEvent::Activate);
  EXPECT_FALSE(testsupport::PathExists(video));
}

}  // namespace
