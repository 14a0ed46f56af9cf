// A new player's first start with the keyboard alone, end to end: no dump configured, the
// chooser lists the dump the search found in the player's Downloads, Enter on it starts
// the setup, the progress screen follows every step with the stand-in tools, PLAY runs
// the stand-in game and Home shows. The launcher's screens run in the probe, installed
// next to the stand-ins the way the launcher is, which prints what each screen shows.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/fixtures/dump_fixture.h"
#include "tests/support/child_run.h"
#include "tests/support/temp_folder.h"

namespace {

class FirstRunTest : public testsupport::TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    install_ = Path("checkout\\bin");
    const std::string profile = Path("profile");
    ASSERT_NE("", fixtures::MakeInstall(install_));
    for (const auto& [to, from] : std::vector<std::pair<std::string, std::string>>{
             {"tools\\python\\python.exe", "standin_python.exe"},
             {"tools\\zig\\zig.exe", "standin_zig.exe"},
             {"import.exe", "standin_import.exe"},
             {"launcher_probe.exe", "launcher_probe.exe"}})
      ASSERT_TRUE(fixtures::AddTool(install_, to, from)) << from;
    options_ = fixtures::LauncherOptions(profile);
    options_.env.push_back({"KESTRANE_GAME_EXE", ""});
    options_.env.push_back({"ZIG", ""});
    options_.env.push_back({"KESTRANE_SHORTCUT_DIR", Path("shortcuts")});
    options_.timeout_ms = 300000;
    testsupport::MakeFolders(Path("shortcuts"));
    dump_ = fixtures::MakeDump(profile + "\\home\\Downloads\\Skarvel (USA)").chosen;
    // The game ends by itself a moment after PLAY starts it.
    testsupport::WriteFile(install_ + "\\game.steer", "run_ms=300\n");
  }

  // The source's build script, as the stand-in Python reads it: it builds the stand-in game.
  void SteerBuild(const std::string& extra) {
    testsupport::WriteFile(Path("checkout\\tools\\gametrial\\link.py"),
                           "output=" + install_ + "\\KestraneGame.exe\ngame_from=" + testsupport::BinDir() +
                               "standin_game.exe\nline=compiling main\n" + extra);
  }

  // Runs the keyboard script; the screens after each word, by word and occurrence.
  std::vector<std::pair<std::string, std::string>> Keys(const std::vector<std::string>& words) {
    std::vector<std::string> args = {"keys"};
    args.insert(args.end(), words.begin(), words.end());
    const testsupport::ChildResult r = testsupport::RunChild(install_ + "\\launcher_probe.exe", args, options_);
    EXPECT_EQ(0u, r.exit_code) << r.out << r.err;
    std::vector<std::pair<std::string, std::string>> screens;
    size_t at = 0;
    while ((at = r.out.find("== ", at)) != std::string::npos) {
      const size_t line_end = r.out.find('\n', at);
      const size_t next = r.out.find("\n== ", line_end);
      screens.push_back({r.out.substr(at + 3, line_end - at - 3),
                         r.out.substr(line_end + 1, next == std::string::npos ? std::string::npos : next - line_end)});
      at = line_end;
    }
    return screens;
  }

  std::string install_;
  std::string dump_;
  testsupport::ChildOptions options_;
};

bool Shows(const std::string& screen, const std::string& line) {
  return screen.find(line + "\n") != std::string::npos;
}

TEST_F(FirstRunTest, FromNoDiscToARunningGameWithTheKeyboardAlone) {
  SteerBuild("line=linking\n");
  const auto s = Keys({"search", "enter", "job-end", "enter", "game-end"});
  ASSERT_EQ(6u, s.size());
  EXPECT_TRUE(Shows(s[0].second, "screen chooser")) << s[0].second;
  EXPECT_TRUE(Shows(s[1].second, "row 0 ready Wii disc, USA (RKVE01) | " + dump_)) << s[1].second;

  EXPECT_TRUE(Shows(s[2].second, "screen progress")) << s[2].second;
  const std::string& end = s[3].second;
  EXPECT_TRUE(Shows(end, "eyebrow All set")) << end;
  const char* const steps[] = {"done Find your disc dump",   "done Check it's the retail USA disc",
                               "done Unpack the build tools", "done Get the Kestrane source",
                               "done Index the game files",  "done Build Kestrane",
                               "skipped Prepare the shaders", "done Ready to play: Press PLAY to start."};
  for (int i = 0; i < 8; ++i)
    EXPECT_NE(std::string::npos, end.find("step " + std::to_string(i) + " " + steps[i])) << end;
  EXPECT_TRUE(Shows(end, "buttons [PLAY] [HOME]")) << end;
  EXPECT_TRUE(Shows(end, "shortcut boxes offered")) << end;

  EXPECT_TRUE(Shows(s[4].second, "screen home")) << s[4].second;
  EXPECT_TRUE(Shows(s[4].second, "ready level 3")) << s[4].second;
  EXPECT_TRUE(testsupport::PathExists(install_ + "\\received.txt")) << "the game never ran";
  EXPECT_NE("", testsupport::ReadFile(Path("profile\\local\\Kestrane\\logs\\runs.tsv"))) << "no run recorded";
  EXPECT_TRUE(testsupport::PathExists(Path("shortcuts\\Kestrane (desktop).lnk")));
  EXPECT_TRUE(testsupport::PathExists(Path("shortcuts\\Kestrane (start).lnk")));
}

TEST_F(FirstRunTest, AFailedBuildShowsItsReasonAndTryAgainRunsTheJobAgain) {
  SteerBuild("write_game=0\nexit=1\nline=error: undefined symbol RaceMain\n");
  const auto s = Keys({"search", "enter", "job-end", "enter", "job-end"});
  ASSERT_EQ(6u, s.size());
  for (size_t i : {3u, 5u}) {
    const std::string& end = s[i].second;
    EXPECT_TRUE(Shows(end, "eyebrow Something went wrong")) << end;
    EXPECT_TRUE(Shows(end, "step 5 FAILED Build Kestrane: Build failed. Show details for the log.")) << end;
    EXPECT_TRUE(Shows(end, "buttons [TRY AGAIN] [BACK]")) << end;
  }
  // TRY AGAIN, focused at the end, started the job again on the same dump.
  EXPECT_TRUE(Shows(s[4].second, "screen progress")) << s[4].second;
  EXPECT_TRUE(Shows(s[4].second, "buttons [CANCEL]")) << s[4].second;
}

}  // namespace
