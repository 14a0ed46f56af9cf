// A player's first run, end to end in the real window with the keyboard alone: no dump,
// the chooser lists the dump the search found in Downloads, Enter on it, the setup through
// the stand-in tools on the progress screen, PLAY there, a crash, Home again with the last
// run; and a build that fails, its reason shown, TRY AGAIN running the job again.
#include <gtest/gtest.h>

#include <string>

#include "tests/fixtures/dump_fixture.h"
#include "tests/launcher/scene.h"
#include "tests/support/temp_folder.h"

namespace {

class FirstRunTest : public testsupport::TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    scene_ = launchertest::MakeScene(Path("scene"));
    ASSERT_TRUE(scene_.ok);
    // Where the search looks: the player's Downloads.
    dump_ = launchertest::MakeReadyDump(scene_, "profile\\home\\Downloads\\Skarvel (USA)");
    testsupport::MakeFolders(scene_.root + "\\shortcuts");
    scene_.options.env.push_back({"KESTRANE_SHORTCUT_DIR", scene_.root + "\\shortcuts"});
    scene_.options.timeout_ms = 300000;
  }

  // The build script the stand-in Python runs: it builds the stand-in game.
  void SteerBuild(const std::string& extra) {
    ASSERT_TRUE(testsupport::WriteFile(scene_.root + "\\checkout\\tools\\gametrial\\link.py",
                                       "output=" + scene_.install + "\\KestraneGame.exe\ngame_from=" +
                                           testsupport::BinDir() + "standin_game.exe\n" + extra));
  }

  // Runs the probe's mode and checks that the lines come out in this order.
  void ExpectInOrder(const std::string& mode, const std::vector<std::string>& expected) {
    const testsupport::ChildResult r = launchertest::RunInScene(scene_, {mode}, "launcher_probe.exe");
    ASSERT_EQ(0u, r.exit_code) << r.out << r.err;
    size_t at = 0;
    for (const std::string& line : expected) {
      const size_t found = r.out.find(line + "\n", at);
      ASSERT_NE(std::string::npos, found) << "missing, in order: " << line << "\n" << r.out;
      at = found + line.size();
    }
  }

  launchertest::Scene scene_;
  std::string dump_;
};

TEST_F(FirstRunTest, FromNoDumpToACrashedRunWithTheKeyboard) {
  // The game plays a moment and then crashes for real.
  SteerBuild("line=compiling main\n");
  ASSERT_TRUE(testsupport::WriteFile(scene_.install + "\\game.steer", "run_ms=300\ncrash=access\n"));
  ASSERT_TRUE(testsupport::WriteFile(launchertest::SettingsFileOf(scene_), "[launcher]\nclose_on_play = 0\n"));
  ExpectInOrder("firstrun", {
                                "first screen: chooser",  // nothing configured yet
                                "row 0: ready " + dump_,
                                "screen: progress",
                                "Find your disc dump: done",
                                "Check it's the retail USA disc: done",
                                "Unpack the build tools: done",
                                "Get the Kestrane source: done",
                                "Index the game files: done",
                                "Build Kestrane: done",
                                "Prepare the shaders: skipped",
                                "Ready to play: done",
                                "eyebrow: All set",
                                "buttons: [PLAY][HOME]",
                                "shortcut boxes: offered",
                                "game started: yes",
                                "ready level: 3",
                                "screen: home",
                                "toast: The game stopped unexpectedly. See Last run.",
                                "last run: Crashed",
                            });
  // PLAY applied the boxes the finished first setup offered, both ticked.
  EXPECT_TRUE(testsupport::PathExists(scene_.root + "\\shortcuts\\Kestrane (desktop).lnk"));
  EXPECT_TRUE(testsupport::PathExists(scene_.root + "\\shortcuts\\Kestrane (start).lnk"));
}

TEST_F(FirstRunTest, AFailedBuildShowsWhyAndTryAgainRunsTheJobAgain) {
  SteerBuild("write_game=0\nexit=1\nline=error: undefined symbol RaceMain\n");
  const std::vector<std::string> failed = {"Index the game files: done", "Build Kestrane: FAILED",
                                           "  why: Build failed. Show details for the log.",
                                           "eyebrow: Something went wrong", "buttons: [TRY AGAIN][BACK]"};
  std::vector<std::string> expected = {"first screen: chooser", "row 0: ready " + dump_, "screen: progress"};
  expected.insert(expected.end(), failed.begin(), failed.end());
  expected.insert(expected.end(), {"shortcut boxes: none", "screen: progress", "job started again: yes"});
  expected.insert(expected.end(), failed.begin(), failed.end());
  ExpectInOrder("firstrun-retry", expected);
}

}  // namespace
