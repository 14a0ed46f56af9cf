// A player's first run, end to end in the real window with the keyboard: no dump, the dump
// taken, the setup through the stand-in tools, Home ready, PLAY, a crash, Home again with
// the last run.
#include <gtest/gtest.h>

#include "tests/fixtures/dump_fixture.h"
#include "tests/launcher/scene.h"
#include "tests/support/temp_folder.h"

namespace {

class FirstRunTest : public testsupport::TempFolderTest {};

TEST_F(FirstRunTest, FromNoDumpToACrashedRunWithTheKeyboard) {
  launchertest::Scene scene = launchertest::MakeScene(Path("scene"));
  ASSERT_TRUE(scene.ok);
  const std::string dump = launchertest::MakeReadyDump(scene, "Downloads\\dump");
  // The build writes the stand-in game; it plays a moment and then crashes for real.
  ASSERT_TRUE(testsupport::WriteFile(scene.root + "\\checkout\\tools\\gametrial\\link.py",
                                     "output=" + scene.install + "\\KestraneGame.exe\ngame_from=" +
                                         testsupport::BinDir() + "standin_game.exe\n"));
  ASSERT_TRUE(testsupport::WriteFile(scene.install + "\\game.steer", "run_ms=300\ncrash=access\n"));
  ASSERT_TRUE(testsupport::WriteFile(launchertest::SettingsFileOf(scene), "[launcher]\nclose_on_play = 0\n"));
  scene.options.timeout_ms = 300000;

  testsupport::ChildResult r = launchertest::RunInScene(scene, {"firstrun", dump}, "launcher_probe.exe");
  ASSERT_EQ(0u, r.exit_code) << r.out << r.err;
  const char* expected[] = {
      "first screen: 1\n",  // the chooser: nothing configured yet
      "chosen: ready\n",
      "setup started: yes\n",
      "Find your disc dump: done\n",
      "Build Kestrane: done\n",
      "Ready to play: done\n",
      "ready level: 3\n",
      "game started: yes\n",
      "screen: 0\n",
      "toast: The game stopped unexpectedly. See Last run.\n",
      "last run: Crashed\n",
  };
  size_t at = 0;
  for (const char* line : expected) {
    const size_t found = r.out.find(line, at);
    ASSERT_NE(std::string::npos, found) << "missing, in order: " << line << r.out;
    at = found;
  }
}

}  // namespace
