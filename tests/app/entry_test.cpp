// Kestrane.exe run as a child, the way a script or a shell runs it.
#include <gtest/gtest.h>

#include <windows.h>

#include "app/modes/modes.h"
#include "app/modes/usage.h"
#include "platform/create_process.h"
#include "platform/text.h"
#include "tests/support/child_run.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_folder.h"

using testsupport::ChildOptions;
using testsupport::ChildResult;
using testsupport::KestraneExe;
using testsupport::RunChild;

namespace {

class EntryTest : public testsupport::TempFolderTest {
 protected:
  ChildResult Run(const std::vector<std::string>& args, ChildOptions options = ChildOptions()) {
    options.env.push_back({"LOCALAPPDATA", Path("local")});
    testsupport::MakeFolders(Path("local"));
    ChildResult r = RunChild(KestraneExe(), args, options);
    EXPECT_TRUE(r.started) << "Kestrane.exe did not start";
    EXPECT_FALSE(r.timed_out);
    return r;
  }
};

// What the console shows when the arguments fit no mode: the problem, then the usage.
std::string Refused(const std::string& problem) { return problem + "\n\n" + kUsage; }

TEST_F(EntryTest, HelpPrintsEveryModeAndUnknownArgumentsPrintItToo) {
  for (const char* help : {"--help", "-h", "/?"}) {
    ChildResult r = Run({help});
    EXPECT_EQ(0u, r.exit_code) << help;
    EXPECT_EQ(kUsage, r.out) << help;
  }
  for (const char* mode : {"--judge PATH\n", "--setup PATH [--rebuild]\n", "--launch-game [SECONDS]\n", "--enhance\n",
                           "--ui-shot SCREEN OUT [W H]\n", "--dol FILE", "--allow-unverified", "--version\n"})
    EXPECT_NE(std::string::npos, std::string(kUsage).find(mode)) << mode;
  ChildResult r = Run({"--frobnicate"});
  EXPECT_EQ(2u, r.exit_code);
  EXPECT_EQ(Refused("Unknown argument: --frobnicate"), r.err);
  EXPECT_EQ("Kestrane 0.1.0\n", Run({"--version"}).out);
}

TEST_F(EntryTest, EachCommandModeIsReached) {
  ChildResult judged = Run({"--judge", Path("no dump here"), "extra"});
  EXPECT_EQ(2u, judged.exit_code);
  EXPECT_EQ(0u, judged.out.find("kind 2 (incomplete) in ")) << judged.out;
  ChildResult setup = Run({"--setup", Path("no dump here"), "--rebuild"});
  EXPECT_EQ(1u, setup.exit_code);
  EXPECT_EQ(0u, setup.out.find("Find your disc dump: FAILED There's nothing at ")) << setup.out;
  ChildResult launched = Run({"--launch-game", "0"});  // no game is built next to Kestrane.exe
  EXPECT_EQ(1u, launched.exit_code);
  EXPECT_EQ(0u, launched.out.find("could not start: KestraneGame.exe isn't built yet.\n")) << launched.out;
  ChildOptions nothing_built;
  nothing_built.env = {{"KESTRANE_GAME_EXE", Path("KestraneGame.exe")}, {"KESTRANE_LAUNCHER_DATA_DIR", Path("data")}};
  ChildResult enhanced = Run({"--enhance"}, nothing_built);
  EXPECT_EQ(1u, enhanced.exit_code);
  EXPECT_EQ(0u, enhanced.out.find("Check free space: ")) << enhanced.out;
  EXPECT_NE(std::string::npos, enhanced.out.find("\nfinished 0 failed 1 cancelled 0\n")) << enhanced.out;
  ChildResult shot = Run({"--ui-shot", "nowhere", Path("x.bmp")});
  EXPECT_EQ(2u, shot.exit_code);
  EXPECT_EQ(0u, shot.err.find("unknown screen nowhere\nScreens: home, disc, firstrun, settings:files, ")) << shot.err;
  EXPECT_EQ(Refused("--judge needs a PATH."), Run({"--judge"}).err);
}

TEST_F(EntryTest, RedirectedOutputIsKeptAndTheConsoleIsNotAttached) {
  ChildOptions options;
  options.stdout_file = Path("out.txt");
  ChildResult r = Run({"--judge", Path("no dump here")}, options);
  // Had the console been attached, standard output would have been reopened on it.
  EXPECT_NE(std::string::npos, testsupport::ReadFile(Path("out.txt")).find("kind 2 (incomplete)"));
}

TEST_F(EntryTest, NonAsciiArgumentsArriveAsUtf8) {
  // Reaching the right row proves the argument vector was read; the word itself must
  // compare byte for byte, so a look-alike with a non-ASCII letter is unknown.
  EXPECT_EQ(Refused("Unknown argument: --judg\xC3\xA9"), Run({"--judg\xC3\xA9", "x"}).err);
  ChildResult r = Run({"--judge", Path("Zo\xC3\xAB")});
  EXPECT_NE(std::string::npos, r.out.find("There's nothing at " + Path("Zo\xC3\xAB") + ". ")) << r.out;
}

TEST_F(EntryTest, ASecondWindowBringsTheFirstToTheFrontAndEnds) {
  testsupport::MakeFolders(Path("local"));
  testsupport::ScopedEnv local("LOCALAPPDATA", Path("local"));
  testsupport::ScopedEnv data("KESTRANE_LAUNCHER_DATA_DIR", Path("data"));
  std::wstring command = L"\"" + text::Utf8ToWide(KestraneExe()) + L"\"";
  STARTUPINFOW si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION first = {};
  DWORD error = 0;
  ASSERT_TRUE(CreateProcessTrying(nullptr, command, FALSE, 0, nullptr, nullptr, &si, &first, &error)) << error;
  CloseHandle(first.hThread);
  WaitForInputIdle(first.hProcess, 60000);
  HWND window = nullptr;
  // Made before its loop first waits for input, but a start may wait for messages sooner.
  for (ULONGLONG until = GetTickCount64() + 60000; !window && GetTickCount64() < until;) {
    window = FindLauncherWindowOf(first.dwProcessId);
    if (!window && WaitForSingleObject(first.hProcess, 20) == WAIT_OBJECT_0) break;
  }
  ASSERT_TRUE(window) << "the first launcher showed no window";
  ShowWindow(window, SW_MINIMIZE);
  ASSERT_TRUE(IsIconic(window));

  ChildOptions bounded;
  bounded.timeout_ms = 30000;
  ChildResult second = Run({}, bounded);
  EXPECT_EQ(0u, second.exit_code);
  EXPECT_FALSE(IsIconic(window));
  // The console modes run beside the window.
  EXPECT_EQ(2u, Run({"--judge", Path("no dump here")}).exit_code);

  PostMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(first.hProcess, 60000));
  CloseHandle(first.hProcess);
}

}  // namespace
