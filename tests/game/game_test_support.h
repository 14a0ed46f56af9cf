// The stand-in game for tests: installed as KestraneGame.exe in a folder of the test's
// own, steered through its game.steer, read back through its received.txt.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "tests/settings/settings_test_fixture.h"
#include "tests/support/scoped_env.h"

namespace gametest {

// Copies the stand-in to folder\KestraneGame.exe with these game.steer lines; its path
// ("" on failure).
std::string InstallGame(const std::string& folder, const std::vector<std::string>& steering = {});
void Steer(const std::string& folder, const std::vector<std::string>& steering);

// What the game was given, from received.txt in its folder (empty until it has started).
struct Received {
  std::vector<std::string> lines;
  bool Has(const std::string& line) const;
  // The value of "[env] NAME=...", or nullopt when the game didn't get the variable.
  std::optional<std::string> Env(const std::string& name) const;
};
Received ReadReceived(const std::string& folder);
// Waits until the started game has written received.txt.
bool WaitForReceived(const std::string& folder, unsigned timeout_ms = 30000);

// Waits until the game slot is empty, which the monitor does after recording the run.
bool WaitForGameEnd(unsigned timeout_ms = 30000);

}  // namespace gametest

// A settings store and LOCALAPPDATA in a fresh folder, and the stand-in installed in
// Path("game") and named by KESTRANE_GAME_EXE. A game still running at the end is ended
// and its run recorded before the folder goes away.
class GameTest : public SettingsTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  std::string GameFolder() const { return Path("game"); }
  std::string LogPath() const { return Path("local\\Kestrane\\logs\\kestrane_log.txt"); }
  std::string LogsDir() const { return Path("local\\Kestrane\\logs"); }
  // LaunchGame that must succeed; waits for the run to be recorded when `wait`.
  void Play(bool wait = true);

  std::string game_;
  std::unique_ptr<testsupport::ScopedEnv> game_exe_;
};
