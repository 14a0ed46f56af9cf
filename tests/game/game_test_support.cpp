#include "tests/game/game_test_support.h"

#include <windows.h>

#include <algorithm>
#include <sstream>

#include "game/game_supervisor.h"
#include "platform/text.h"
#include "tests/support/temp_folder.h"

namespace gametest {

namespace {

bool WaitFor(unsigned timeout_ms, bool (*done)(const std::string&), const std::string& arg) {
  const ULONGLONG until = GetTickCount64() + timeout_ms;
  while (!done(arg)) {
    if (GetTickCount64() > until) return false;
    Sleep(20);
  }
  return true;
}

}  // namespace

void Steer(const std::string& folder, const std::vector<std::string>& steering) {
  std::string text;
  for (const std::string& line : steering) text += line + "\n";
  testsupport::WriteFile(folder + "\\game.steer", text);
}

std::string InstallGame(const std::string& folder, const std::vector<std::string>& steering) {
  testsupport::MakeFolders(folder);
  const std::string exe = folder + "\\KestraneGame.exe";
  if (!CopyFileW(text::Utf8ToWide(testsupport::BinDir() + "standin_game.exe").c_str(), text::Utf8ToWide(exe).c_str(),
                 FALSE))
    return std::string();
  Steer(folder, steering);
  return exe;
}

bool Received::Has(const std::string& line) const { return std::find(lines.begin(), lines.end(), line) != lines.end(); }

std::optional<std::string> Received::Env(const std::string& name) const {
  const std::string prefix = "[env] " + name + "=";
  for (const std::string& line : lines)
    if (line.compare(0, prefix.size(), prefix) == 0) return line.substr(prefix.size());
  return std::nullopt;
}

Received ReadReceived(const std::string& folder) {
  Received received;
  std::istringstream in(testsupport::ReadFile(folder + "\\received.txt"));
  for (std::string line; std::getline(in, line);) received.lines.push_back(line);
  return received;
}

bool WaitForReceived(const std::string& folder, unsigned timeout_ms) {
  return WaitFor(timeout_ms, [](const std::string& f) { return testsupport::PathExists(f + "\\received.txt"); }, folder);
}

bool WaitForGameEnd(unsigned timeout_ms) {
  return WaitFor(timeout_ms, [](const std::string&) { return !IsGameRunning(); }, "");
}

}  // namespace gametest

void GameTest::SetUp() {
  SettingsTest::SetUp();
  game_ = gametest::InstallGame(GameFolder(), {"run_ms=0"});
  ASSERT_FALSE(game_.empty());
  game_exe_ = std::make_unique<testsupport::ScopedEnv>("KESTRANE_GAME_EXE", game_);
}

void GameTest::TearDown() {
  EndGame();
  EXPECT_TRUE(gametest::WaitForGameEnd());
  game_exe_.reset();
  SettingsTest::TearDown();
}

void GameTest::Play(bool wait) {
  std::string message;
  ASSERT_TRUE(LaunchGame(&message)) << message;
  EXPECT_EQ("", message);
  if (wait) {
    ASSERT_TRUE(gametest::WaitForGameEnd());
  }
}
