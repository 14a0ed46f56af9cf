#include "settings/launcher_log.h"

#include <windows.h>

#include <regex>

#include "settings/settings_store.h"
#include "tests/settings/settings_test_fixture.h"

using testsupport::PathExists;
using testsupport::ReadFile;
using testsupport::ScopedEnv;

namespace {

class LauncherLogTest : public SettingsTest {
 protected:
  std::string LogPath() const { return Path("local\\Kestrane\\logs\\kestrane_log.txt"); }
};

const char kStamp[] = R"(\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2})";
// The log is a text-mode file: each line feed is written as CR LF.
const char kEol[] = "\r\n";

TEST_F(LauncherLogTest, PathsLiveUnderTheLocalFolder) {
  EXPECT_EQ(Path("local\\Kestrane\\logs"), LogsFolder());
  EXPECT_TRUE(PathExists(Path("local\\Kestrane\\logs")));
  EXPECT_EQ(LogPath(), ErrorLogPath());
}

TEST_F(LauncherLogTest, LinesCarryTheLocalTimeAndTheMessage) {
  LogLine("[launcher] %s: %s", "Index the game files", "import.exe is missing next to the launcher.");
  LogLine("[launcher] build failed (exit %d): %s", -1, "last line");
  std::string text = ReadFile(LogPath());
  std::regex expected(std::string("^") + kStamp +
                      " \\[launcher\\] Index the game files: import\\.exe is missing next to the launcher\\." + kEol +
                      kStamp + " \\[launcher\\] build failed \\(exit -1\\): last line" + kEol + "$");
  EXPECT_TRUE(std::regex_match(text, expected)) << text;
}

TEST_F(LauncherLogTest, NothingIsWrittenWithLogsOff) {
  SettingsStore::Set("launcher.error_log", "0");
  LogLine("[launcher] game started");
  EXPECT_FALSE(PathExists(LogPath()));
  SettingsStore::Set("launcher.error_log", "1");
  {
    ScopedEnv off("KESTRANE_ERROR_LOG", "0");  // the variable overrides the setting
    LogLine("[launcher] game started");
    EXPECT_FALSE(PathExists(LogPath()));
  }
  LogLine("[launcher] game started");
  EXPECT_TRUE(PathExists(LogPath()));
}

TEST_F(LauncherLogTest, GameStartWritesTwoHeaderLines) {
  LogLine("[launcher] before the run");
  StartGameLog("4:3");
  std::regex expected(std::string("^") + kStamp + " Kestrane 0\\.1\\.0, launcher 0\\.1\\.0" + kEol + kStamp +
                      " \\[launcher\\] starting KestraneGame\\.exe \\(aspect 4:3\\)" + kEol + "$");
  std::string text = ReadFile(LogPath());
  EXPECT_TRUE(std::regex_match(text, expected)) << text;
  EXPECT_NE(std::string::npos, ReadFile(LogPath() + ".1").find("before the run"));
}

TEST_F(LauncherLogTest, SixGameStartsKeepTheNewestFiveLogs) {
  for (int run = 1; run <= 6; ++run) {
    StartGameLog("16:9");
    LogLine("[launcher] run %d", run);
  }
  EXPECT_NE(std::string::npos, ReadFile(LogPath()).find("run 6"));
  for (int n = 1; n <= 4; ++n) {
    std::string rotated = ReadFile(LogPath() + "." + std::to_string(n));
    EXPECT_NE(std::string::npos, rotated.find("run " + std::to_string(6 - n))) << "copy ." << n;
  }
  EXPECT_FALSE(PathExists(LogPath() + ".5"));
  for (const char* suffix : {"", ".1", ".2", ".3", ".4"})
    EXPECT_EQ(std::string::npos, ReadFile(LogPath() + suffix).find(std::string("run 1") + kEol)) << "the first run's log remains";
}

TEST_F(LauncherLogTest, ALogThatCantBeMovedIsContinuedNotEmptied) {
  LogLine("[launcher] the previous run");
  // A log viewer following the file: it shares reading and writing, not renaming.
  HANDLE viewer = CreateFileA(LogPath().c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, viewer);
  StartGameLog("16:9");
  CloseHandle(viewer);
  std::string text = ReadFile(LogPath());
  EXPECT_TRUE(std::regex_match(text, std::regex(std::string("^") + kStamp + " \\[launcher\\] the previous run" + kEol +
                                                kStamp + " Kestrane 0\\.1\\.0, launcher 0\\.1\\.0" + kEol + kStamp +
                                                " \\[launcher\\] starting KestraneGame\\.exe \\(aspect 16:9\\)" + kEol + "$")))
      << text;
}

}  // namespace
