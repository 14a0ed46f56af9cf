// "--launch-game" end to end: the test build of the launcher installed in a temporary
// folder with the stand-in game next to it, run the way a script runs it.
#include <gtest/gtest.h>

#include <windows.h>

#include <regex>

#include "tests/fixtures/dump_fixture.h"
#include "tests/game/game_test_support.h"
#include "tests/support/child_run.h"
#include "tests/support/temp_folder.h"

using testsupport::ChildResult;
using testsupport::PathExists;
using testsupport::ReadFile;

namespace {

class LaunchGameModeTest : public testsupport::TempFolderTest {
 protected:
  void SetUp() override {
    launcher_ = fixtures::MakeInstall(Path("install"));
    ASSERT_FALSE(launcher_.empty());
    options_ = fixtures::LauncherOptions(Path("profile"));
  }

  std::string InstallGame(const std::vector<std::string>& steering) {
    return gametest::InstallGame(Path("install"), steering);
  }

  ChildResult LaunchGame(const std::vector<std::string>& args, const std::vector<std::pair<std::string, std::string>>& env = {}) {
    testsupport::ChildOptions options = options_;
    options.env.insert(options.env.end(), env.begin(), env.end());
    std::vector<std::string> all = {"--launch-game"};
    all.insert(all.end(), args.begin(), args.end());
    ChildResult r = testsupport::RunChild(launcher_, all, options);
    EXPECT_TRUE(r.started && !r.timed_out);
    return r;
  }

  std::string launcher_;
  testsupport::ChildOptions options_;
};

const char kStartedAt[] = "\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d";

TEST_F(LaunchGameModeTest, AGameStillRunningIsEndedAfterTheGivenSecondsAndRecorded) {
  const std::string game = InstallGame({"stderr=[game] racing"});  // plays until ended
  ChildResult r = LaunchGame({"2"});
  EXPECT_EQ(0u, r.exit_code) << r.out << r.err;
  EXPECT_TRUE(std::regex_match(r.out, std::regex("started " + std::regex_replace(game, std::regex("[\\\\.()]"), "\\$&") +
                                                 "\nstill running after 2 s; ending it\n"
                                                 "recorded: " + kStartedAt + ", [23] s, Stopped \\(exit code 1\\), log kept\n")))
      << r.out;
  const std::string log = ReadFile(fixtures::ErrorLogIn(Path("profile")));
  EXPECT_NE(std::string::npos, log.find("[game] racing"));
  EXPECT_NE(std::string::npos, log.find("[launcher] game exited after "));
  EXPECT_TRUE(gametest::ReadReceived(Path("install")).Has("[env] KESTRANE_LAUNCHED=1"));
}

TEST_F(LaunchGameModeTest, ZeroSecondsEndsTheGameAtOnceAndStillRecordsIt) {
  InstallGame({});
  for (const char* seconds : {"0", "soon"}) {
    ChildResult r = LaunchGame({seconds}, {{"KESTRANE_ERROR_LOG", "0"}});
    EXPECT_EQ(0u, r.exit_code);
    EXPECT_TRUE(std::regex_search(r.out, std::regex(std::string("\nstill running after 0 s; ending it\nrecorded: ") +
                                                    kStartedAt + ", 0 s, Stopped \\(exit code 1\\), log off\n$")))
        << r.out;
  }
  EXPECT_FALSE(PathExists(fixtures::ErrorLogIn(Path("profile"))));
}

TEST_F(LaunchGameModeTest, AGameThatEndsByItselfIsRecordedWithItsOutcome) {
  InstallGame({"run_ms=300", "exit=96"});
  ChildResult r = LaunchGame({});
  EXPECT_EQ(0u, r.exit_code);
  EXPECT_EQ(std::string::npos, r.out.find("still running"));
  EXPECT_TRUE(std::regex_search(r.out, std::regex(std::string("\nrecorded: ") + kStartedAt +
                                                  ", [01] s, Stopped: the game reported a fatal error, log kept\n$")))
      << r.out;
}

TEST_F(LaunchGameModeTest, ARunThatCantBeWrittenOutlivesTheLauncherAndIsNeverReportedAsRecorded) {
  InstallGame({"run_ms=300", "exit=96"});
  const std::string logs = Path("profile\\local\\Kestrane\\logs\\");
  const std::string runs = logs + "runs.tsv";
  const std::string earlier = "2024-05-01 09:30\t7\t00000000\tOK\t1\n";
  ASSERT_TRUE(testsupport::WriteFile(runs, earlier));
  // Another program reads runs.tsv the whole time, without sharing its deletion.
  HANDLE reader = CreateFileA(runs.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, reader);
  ChildResult r = LaunchGame({});
  CloseHandle(reader);
  EXPECT_EQ(0u, r.exit_code);
  EXPECT_NE(std::string::npos, r.out.find("\nnot recorded yet (runs.tsv couldn't be written; the run waits in " + logs +
                                          "runs-pending.tsv and goes in with the next run): "))
      << r.out;
  EXPECT_TRUE(std::regex_search(r.out, std::regex(std::string("run\\): ") + kStartedAt +
                                                  ", [01] s, Stopped: the game reported a fatal error, log kept\n$")))
      << r.out;
  EXPECT_EQ(std::string::npos, r.out.find("recorded: 2024-05-01")) << r.out;
  EXPECT_EQ(earlier, ReadFile(runs));
  EXPECT_NE(std::string::npos, ReadFile(fixtures::ErrorLogIn(Path("profile"))).find("[launcher] couldn't write "));

  // The launcher has exited; the next one's run takes the held-out run in before its own.
  InstallGame({"run_ms=0", "exit=0"});
  r = LaunchGame({});
  EXPECT_TRUE(std::regex_search(r.out, std::regex("\nrecorded: "))) << r.out;
  EXPECT_TRUE(std::regex_match(testsupport::Lf(ReadFile(runs)),
                               std::regex(earlier + kStartedAt + "\t[01]\t00000060\tStopped\t1\n" + kStartedAt +
                                          "\t[01]\t00000000\tOK\t1\n")))
      << ReadFile(runs);
  EXPECT_FALSE(PathExists(logs + "runs-pending.tsv"));
}

TEST_F(LaunchGameModeTest, AMissingGameIsReportedAndNothingIsRecorded) {
  ChildResult r = LaunchGame({"0"});
  EXPECT_EQ(1u, r.exit_code);
  EXPECT_EQ("could not start: KestraneGame.exe isn't built yet.\nLooked for " + Path("install\\KestraneGame.exe") +
                ". Build it first: Kestrane --setup <your disc dump>.\n",
            r.out);
  EXPECT_FALSE(PathExists(Path("profile\\local\\Kestrane\\logs\\runs.tsv")));
  EXPECT_FALSE(PathExists(fixtures::ErrorLogIn(Path("profile"))));
}

}  // namespace
