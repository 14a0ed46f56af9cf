// LaunchGame and its monitor, in process, with the stand-in game: what the game is
// given, where its standard error goes, what is refused, and how each run is recorded.
#include "game/game_supervisor.h"

#include <gtest/gtest.h>

#include <regex>

#include "game/run_records.h"
#include "platform/text.h"
#include "settings/install_layout.h"
#include "settings/launcher_log.h"
#include "settings/settings_store.h"
#include "tests/game/game_test_support.h"
#include "tests/support/child_run.h"
#include "tests/support/stray_handle.h"

using gametest::ReadReceived;
using gametest::Received;
using gametest::Steer;
using testsupport::Lf;
using testsupport::PathExists;
using testsupport::ReadFile;
using testsupport::ScopedEnv;
using testsupport::WriteFile;

namespace {

const char kTime[] = "\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d";

class SupervisorTest : public GameTest {};

TEST_F(SupervisorTest, TheGameGetsThePlayEnvironmentAndItsStandardErrorFollowsTheLogHeader) {
  ScopedEnv settings_file("KESTRANE_SETTINGS_FILE", SettingsPath());
  ScopedEnv inherited("KESTRANE_MUTE", "1");
  SettingsStore::Set("display.aspect", "4:3");
  SettingsStore::Set("audio.master", "35");  // pending: the start must save it first
  WriteFile(LogPath(), "the previous run's log\n");
  Steer(GameFolder(), {"run_ms=0", "stderr=[game] loading the disc", "exit=0"});

  Play();

  Received got = ReadReceived(GameFolder());
  EXPECT_EQ("4:3", got.Env("KESTRANE_ASPECT"));
  EXPECT_EQ("1", got.Env("KESTRANE_LAUNCHED"));
  EXPECT_EQ("1", got.Env("KESTRANE_ERROR_LOG"));
  EXPECT_EQ("1", got.Env("KESTRANE_MUTE"));
  EXPECT_EQ(SettingsPath(), got.Env("KESTRANE_SETTINGS_FILE"));
  EXPECT_TRUE(got.Has("[settings] master = 35"));
  // The quoted path alone.
  EXPECT_EQ("[arg] " + game_, got.lines.at(0));
  EXPECT_NE(0u, got.lines.at(1).rfind("[arg]", 0));
  // The test program's folder is no source checkout, so the game runs in the launcher's folder.
  std::string exe_dir = InstallLayout::ExeDir();
  exe_dir.pop_back();
  EXPECT_TRUE(got.Has("[cwd] " + exe_dir) || got.Has("[cwd] " + exe_dir + "\\"));
  EXPECT_TRUE(got.Has("[stdin] char"));
  EXPECT_TRUE(got.Has("[stdout] char"));
  EXPECT_TRUE(got.Has("[stderr] file"));

  EXPECT_TRUE(std::regex_match(Lf(ReadFile(LogPath())),
                               std::regex(std::string(kTime) + " Kestrane 0\\.1\\.0, launcher 0\\.1\\.0\n" + kTime +
                                          " \\[launcher\\] starting KestraneGame\\.exe \\(aspect 4:3\\)\n"
                                          "\\[game\\] started \\(aspect 4:3, launched 1\\)\n"
                                          "\\[game\\] loading the disc\n"
                                          "\\[game\\] exiting with code 0\n" +
                                          kTime + " \\[launcher\\] game exited after \\d+ s: OK\n")))
      << ReadFile(LogPath());
  EXPECT_EQ("the previous run's log\n", ReadFile(LogPath() + ".1"));

  std::vector<RunRecord> runs = ReadRuns();
  ASSERT_EQ(1u, runs.size());
  EXPECT_TRUE(std::regex_match(runs[0].startedAt, std::regex("\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d")));
  EXPECT_EQ(0u, runs[0].exitCode);
  EXPECT_EQ("OK", runs[0].kind);
  EXPECT_TRUE(runs[0].logKept);
}

TEST_F(SupervisorTest, WithErrorLogsOffNothingIsWrittenButTheRun) {
  SettingsStore::Set("launcher.error_log", "0");
  SettingsStore::Set("display.aspect", "21:9");
  Steer(GameFolder(), {"run_ms=0", "stderr=[game] nobody reads this", "exit=98"});

  Play();

  Received got = ReadReceived(GameFolder());
  EXPECT_EQ("16:9", got.Env("KESTRANE_ASPECT"));
  EXPECT_EQ("0", got.Env("KESTRANE_ERROR_LOG"));
  EXPECT_TRUE(got.Has("[stderr] char"));
  EXPECT_FALSE(PathExists(LogPath()));
  EXPECT_FALSE(PathExists(LogPath() + ".1"));
  std::vector<RunRecord> runs = ReadRuns();
  ASSERT_EQ(1u, runs.size());
  EXPECT_EQ(98u, runs[0].exitCode);
  EXPECT_EQ("Stopped", runs[0].kind);
  EXPECT_FALSE(runs[0].logKept);
}

TEST_F(SupervisorTest, MatchWindowReachesTheGameThroughItsSettings) {
  ScopedEnv settings_file("KESTRANE_SETTINGS_FILE", SettingsPath());
  SettingsStore::Set("display.aspect", "native");
  Steer(GameFolder(), {"run_ms=0", "exit=0"});
  Play();
  Received got = ReadReceived(GameFolder());
  EXPECT_FALSE(got.Env("KESTRANE_ASPECT").has_value());
  EXPECT_TRUE(got.Has("[settings] aspect = native"));
  EXPECT_NE(std::string::npos, ReadFile(LogPath()).find("[launcher] starting KestraneGame.exe (aspect native)"));
}

TEST_F(SupervisorTest, RefusalsComeBeforeAnythingIsWritten) {
  WriteFile(LogPath(), "kept as it is\n");
  std::string message;
  {
    ScopedEnv missing("KESTRANE_GAME_EXE", Path("nowhere\\KestraneGame.exe"));
    EXPECT_FALSE(LaunchGame(&message));
    EXPECT_EQ("KestraneGame.exe isn't built yet.", message);
  }
  {
    ScopedEnv folder("KESTRANE_GAME_EXE", GameFolder());
    EXPECT_FALSE(LaunchGame(&message));
    EXPECT_EQ("KestraneGame.exe isn't built yet.", message);
  }
  EXPECT_EQ("kept as it is\n", ReadFile(LogPath()));

  Steer(GameFolder(), {});  // plays until ended
  Play(false);
  ASSERT_TRUE(gametest::WaitForReceived(GameFolder()));
  EXPECT_TRUE(IsGameRunning());
  const std::string log = ReadFile(LogPath());
  const std::string previous = ReadFile(LogPath() + ".1");
  message.clear();
  EXPECT_FALSE(LaunchGame(&message));
  EXPECT_EQ("The game is already running.", message);
  EXPECT_EQ(log, ReadFile(LogPath()));
  EXPECT_EQ(previous, ReadFile(LogPath() + ".1"));
  EXPECT_FALSE(PathExists(LogPath() + ".2"));

  EndGame();
  ASSERT_TRUE(gametest::WaitForGameEnd());
  std::vector<RunRecord> runs = ReadRuns();
  ASSERT_EQ(1u, runs.size());
  EXPECT_EQ(1u, runs[0].exitCode);
  EXPECT_EQ(L"Stopped (exit code 1)", OutcomeText(runs[0].exitCode));
}

TEST_F(SupervisorTest, TheLogStillRotatesWhileTheGameHoldsItsStandardError) {
  Steer(GameFolder(), {"stderr=[game] the first run's line"});  // plays until ended
  Play(false);
  const std::string logs = LogPath().substr(0, LogPath().find_last_of('\\'));
  ASSERT_TRUE(testsupport::WaitInFolder(
      logs, [this] { return ReadFile(LogPath()).find("[game] the first run's line") != std::string::npos; }, 30000))
      << ReadFile(LogPath());
  // What the next start does first, while this game (or a process it started) still
  // holds the log as its standard error.
  StartGameLog("16:9");
  EXPECT_NE(std::string::npos, ReadFile(LogPath() + ".1").find("[game] the first run's line"));
  EXPECT_EQ(std::string::npos, ReadFile(LogPath()).find("[game] the first run's line")) << ReadFile(LogPath());
  EndGame();
  ASSERT_TRUE(gametest::WaitForGameEnd());
}

TEST_F(SupervisorTest, AStartFailureIsReportedAndLoggedAfterTheRotation) {
  WriteFile(LogPath(), "older\n");
  WriteFile(Path("broken\\KestraneGame.exe"), "not a program");
  ScopedEnv broken("KESTRANE_GAME_EXE", Path("broken\\KestraneGame.exe"));
  std::string message;
  EXPECT_FALSE(LaunchGame(&message));
  ASSERT_TRUE(std::regex_match(message, std::regex("Couldn't start the game \\(Windows error [1-9]\\d*\\)\\.")))
      << message;
  EXPECT_FALSE(IsGameRunning());
  const std::string log = Lf(ReadFile(LogPath()));
  EXPECT_TRUE(std::regex_search(log, std::regex(std::string("^") + kTime + " Kestrane 0\\.1\\.0, launcher 0\\.1\\.0\n" +
                                                kTime + " \\[launcher\\] starting KestraneGame\\.exe \\(aspect 16:9\\)\n")))
      << log;
  EXPECT_NE(std::string::npos, log.find(" [launcher] " + message + "\n")) << log;
  EXPECT_EQ("older\n", ReadFile(LogPath() + ".1"));
  EXPECT_TRUE(ReadRuns().empty());
}

TEST_F(SupervisorTest, CrashesAreRecordedWithTheirExceptionAndReport) {
  struct Case {
    const char* crash;
    uint32_t code;
    const char* kind;
    bool report;
  } cases[] = {
      {"access", 0xC0000005, "Crashed", true},
      {"divide", 0xC0000094, "Crashed", false},
      {"breakpoint", 0x80000003, "Stopped", false},
  };
  for (const Case& c : cases) {
    testsupport::RemoveTree(LogsDir());
    Steer(GameFolder(), {"run_ms=0", std::string("crash=") + c.crash, c.report ? "crash_report=1" : "crash_report=0"});
    Play();
    std::vector<RunRecord> runs = ReadRuns();
    ASSERT_EQ(1u, runs.size()) << c.crash;
    EXPECT_EQ(c.code, runs[0].exitCode) << c.crash;
    EXPECT_EQ(c.kind, runs[0].kind) << c.crash;
    const std::string report = FindCrashReport(runs[0]);
    EXPECT_EQ(c.report, !report.empty()) << c.crash;
    if (c.report) {
      EXPECT_NE(std::string::npos, ReadFile(report).find("exception 0xC0000005"));
    }
    RunRecord failed;
    EXPECT_TRUE(LastFailedRun(&failed));
    // However long the game took to crash on a busy machine.
    const std::string log = Lf(ReadFile(LogPath()));
    const size_t at = log.find("[launcher] game exited after ");
    ASSERT_NE(std::string::npos, at) << log;
    const std::string line = log.substr(at, log.find('\n', at) - at);
    const size_t seconds_end = line.find(" s: ") + 4;
    EXPECT_TRUE(std::regex_match(line.substr(0, seconds_end), std::regex("\\[launcher\\] game exited after \\d+ s: ")))
        << line;
    EXPECT_EQ(text::WideToUtf8(OutcomeText(c.code)), line.substr(seconds_end))
        << ReadFile(LogPath());
  }
}

TEST_F(SupervisorTest, EachRunsLogIsFoundAfterLaterRunsRotatedIt) {
  for (int run = 1; run <= 3; ++run) {
    Steer(GameFolder(), {"run_ms=0", "stderr=[game] run " + std::to_string(run)});
    Play();
  }
  for (int index = 0; index < 3; ++index) {
    const std::string log = LogFileForRun(index);
    EXPECT_NE(std::string::npos, ReadFile(log).find("[game] run " + std::to_string(3 - index))) << log;
  }
}

TEST_F(SupervisorTest, TheRegisteredWindowHearsOfTheEndAfterTheRunIsRecorded) {
  HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  ASSERT_NE(nullptr, window);
  RegisterGameWindow(window, kGameEndedMessage);
  Steer(GameFolder(), {"run_ms=0", "exit=97"});
  Play();
  MSG msg = {};
  const ULONGLONG until = GetTickCount64() + 10000;
  bool got = false;
  while (!(got = PeekMessageW(&msg, window, kGameEndedMessage, kGameEndedMessage, PM_REMOVE)) &&
         GetTickCount64() < until)
    Sleep(10);
  RegisterGameWindow(nullptr, 0);
  DestroyWindow(window);
  ASSERT_TRUE(got);
  EXPECT_EQ(0x8001u, msg.message);
  EXPECT_EQ(97u, msg.wParam);
  ASSERT_EQ(1u, ReadRuns().size());
}

TEST_F(SupervisorTest, TheGameInheritsOnlyItsStandardHandles) {
  // Like the pipe of a tool that a job is starting at this moment.
  testsupport::StrayHandle stray;
  ASSERT_TRUE(stray.valid());
  Steer(GameFolder(), {"run_ms=0", "handle=" + stray.hex()});
  Play();
  EXPECT_TRUE(ReadReceived(GameFolder()).Has("[handle] " + stray.hex() + " closed"));
}

}  // namespace
