// The setup job end to end: the test build of the launcher in a source checkout, with
// stand-ins for import.exe, Python and zig, run as "--setup" the way a script runs it.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "platform/text.h"
#include "settings/install_layout.h"
#include "tests/fixtures/dump_fixture.h"
#include "tests/jobs/jobs_test_support.h"
#include "tests/support/child_run.h"
#include "tests/support/temp_folder.h"

using testsupport::ChildOptions;
using testsupport::ChildResult;
using testsupport::ReadFile;
using testsupport::WriteFile;
using jobstest::Lines;

namespace {

const std::vector<std::string> kTitles = {
    "Find your disc dump",   "Check it's the retail USA disc", "Unpack the build tools", "Get the Kestrane source",
    "Index the game files",  "Build Kestrane",                 "Prepare the shaders",    "Ready to play",
};
const char kCancelled[] = "FAILED Cancelled. Your current game stays as it is.";
const char kLongBuildLine[] =
    "cc -O2 -c src/very/long/path/to/a/translation/unit/that/makes/this/line/longer/than/the/step/detail/"
    "shows/without/cutting/it.c";

// A source checkout holding the launcher (checkout\bin) with its bundled tools, a dump,
// and a player profile. Every run gets 1.5 GiB of free space, the least that passes.
class SetupJobTest : public testsupport::TempFolderTest {
 protected:
  void SetUp() override {
    ASSERT_NE("", fixtures::MakeInstall(Install()));
    ASSERT_TRUE(fixtures::AddTool(Install(), "tools\\python\\python.exe", "standin_python.exe"));
    ASSERT_TRUE(fixtures::AddTool(Install(), "tools\\zig\\zig.exe", "standin_zig.exe"));
    ASSERT_TRUE(fixtures::AddTool(Install(), "import.exe", "standin_import.exe"));
    WriteLinkPy("");
    dump_ = fixtures::MakeDump(Path("dump"));
    testsupport::MakeFolders(Path("empty"));
    options_ = fixtures::LauncherOptions(Path("profile"));
    options_.env.push_back({"KESTRANE_TEST_FREE_SPACE", "1610612736"});
    options_.env.push_back({"KESTRANE_GAME_EXE", ""});
    options_.env.push_back({"ZIG", ""});
    options_.env.push_back({"PATH", Path("empty")});
  }

  std::string Install() const { return Path("checkout\\bin"); }
  std::string Game() const { return Path("checkout\\bin\\KestraneGame.exe"); }
  std::string LinkPy() const { return Path("checkout\\tools\\gametrial\\link.py"); }
  std::string DumpIni() const { return Path("profile\\local\\Kestrane\\dump.ini"); }

  // The build script the Python stand-in runs: it checks what the launcher passes,
  // prints a short and a long line and writes the game.
  void WriteLinkPy(const std::string& extra) {
    WriteFile(LinkPy(), "output=" + Game() + "\nzig=" + Install() + "\\tools\\zig\\zig.exe\nline=compiling main\nline=" +
                            kLongBuildLine + "\nline=linking KestraneGame.exe\n" + extra);
  }
  void SetEnv(const std::string& name, const std::string& value) { options_.env.push_back({name, value}); }

  ChildResult Setup(const std::vector<std::string>& extra = {}) {
    std::vector<std::string> args = {"--setup", dump_.chosen};
    args.insert(args.end(), extra.begin(), extra.end());
    ChildResult r = testsupport::RunChild(Install() + "\\Kestrane.exe", args, options_);
    EXPECT_TRUE(r.started);
    EXPECT_FALSE(r.timed_out);
    return r;
  }

  fixtures::MadeDump dump_;
  ChildOptions options_;
};

std::map<std::string, std::string> FinalStates(const std::string& out) { return jobstest::FinalStates(out, kTitles); }

std::string FolderSizeText(const std::string& folder) {
  return text::WideToUtf8(InstallLayout::FormatSize(FolderSize(folder)));
}

FILETIME LastWrite(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data);
  return data.ftLastWriteTime;
}

bool SameTime(const FILETIME& a, const FILETIME& b) { return CompareFileTime(&a, &b) == 0; }

// Makes `path` a day old, so any build afterwards is newer.
void MakeOld(const std::string& path) {
  FILETIME t = LastWrite(path);
  ULARGE_INTEGER v = {{t.dwLowDateTime, t.dwHighDateTime}};
  v.QuadPart -= 24ULL * 3600 * 10000000;
  t = {v.LowPart, v.HighPart};
  HANDLE h = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  SetFileTime(h, nullptr, nullptr, &t);
  CloseHandle(h);
}

// [SECTION] Success

TEST_F(SetupJobTest, FirstSetupBuildsTheGameASecondKeepsItAndRebuildBuildsAgain) {
  ChildResult first = Setup();
  EXPECT_EQ(0u, first.exit_code) << first.out;
  std::map<std::string, std::string> states = FinalStates(first.out);
  EXPECT_EQ("done " + dump_.root + " (extracted folder, " + FolderSizeText(dump_.root) + ")", states[kTitles[0]]);
  EXPECT_EQ("done main.dol SHA-1 matches RKVE01 " + InstallLayout::Shorten(fixtures::kFixtureMainDolSha1),
            states[kTitles[1]]);
  EXPECT_EQ("done Using the bundled zig and Python", states[kTitles[2]]);
  EXPECT_EQ("done Using the source in this download", states[kTitles[3]]);
  EXPECT_EQ("done 3 resource sets, 1234 resources, every CRC checked", states[kTitles[4]]);
  EXPECT_EQ("done Built " + InstallLayout::FileDate(Game()), states[kTitles[5]]);
  EXPECT_EQ("skipped Not needed: shaders are made as the game runs", states[kTitles[6]]);
  EXPECT_EQ("done Press PLAY to start.", states[kTitles[7]]);
  EXPECT_EQ("finished 1 failed 0 cancelled 0", Lines(first.out).back());
  EXPECT_EQ(std::string::npos, first.out.find("---- log"));
  // The importer's record, and the dump path the job confirmed, both kept on disk.
  EXPECT_NE(std::string::npos, ReadFile(DumpIni()).find("disc=" + dump_.files_dir + "\n"));
  EXPECT_NE(std::string::npos,
            ReadFile(Path("profile\\local\\Kestrane\\settings.ini")).find(dump_.root));
  EXPECT_EQ("stand-in game", ReadFile(Game()));

  MakeOld(Game());
  const FILETIME built = LastWrite(Game());
  // Without a build the job ends right after storing the dump path; it must still reach
  // the file before the process exits.
  DeleteFileA(Path("profile\\local\\Kestrane\\settings.ini").c_str());
  ChildResult second = Setup();
  EXPECT_EQ(0u, second.exit_code) << second.out;
  states = FinalStates(second.out);
  EXPECT_EQ("skipped Not needed: the game is already built", states[kTitles[2]]);
  EXPECT_EQ("skipped Not needed: the game is already built", states[kTitles[3]]);
  EXPECT_EQ("done 3 resource sets, 1234 resources, every CRC checked", states[kTitles[4]]);
  EXPECT_EQ("skipped Already built (" + InstallLayout::FileDate(Game()) + ")", states[kTitles[5]]);
  EXPECT_EQ("done Press PLAY to start.", states[kTitles[7]]);
  EXPECT_TRUE(SameTime(built, LastWrite(Game())));
  EXPECT_NE(std::string::npos, ReadFile(Path("profile\\local\\Kestrane\\settings.ini")).find(dump_.root));

  ChildResult rebuild = Setup({"--rebuild"});
  EXPECT_EQ(0u, rebuild.exit_code) << rebuild.out;
  states = FinalStates(rebuild.out);
  EXPECT_EQ("done Using the bundled zig and Python", states[kTitles[2]]);
  EXPECT_EQ("done Built " + InstallLayout::FileDate(Game()), states[kTitles[5]]);
  FILETIME rebuilt = LastWrite(Game());
  EXPECT_GT(CompareFileTime(&rebuilt, &built), 0);
}

TEST_F(SetupJobTest, ADeveloperSetupUsesThePcsToolsAndTellsTheCheckout) {
  DeleteFileA((Install() + "\\tools\\python\\python.exe").c_str());
  testsupport::MakeFolders(Path("checkout\\.git"));
  WriteFile(Path("checkout\\tools\\gametrial\\decomp_ref.txt"), "4f1c2a9be01d7c3a5e6f7a8b9c0d1e2f3a4b5c6d\n");
  ASSERT_TRUE(fixtures::AddTool(Path("pcpath"), "python.exe", "standin_python.exe"));
  WriteFile(Path("pcpath\\python.steer"), "version=py 3 12\n");
  SetEnv("PATH", Path("pcpath"));
  ChildResult r = Setup();
  EXPECT_EQ(0u, r.exit_code) << r.out;
  std::map<std::string, std::string> states = FinalStates(r.out);
  EXPECT_EQ("done Using zig and Python already on this PC (developer setup)", states[kTitles[2]]);
  EXPECT_EQ("done Using this PC's checkout \xC2\xB7 decomp 4f1c2a9", states[kTitles[3]]);
}

// [SECTION] Failures

// The job ended at `step` with `message`; later steps never ran, and the console got the
// outcome line and the job log.
void ExpectFailedAt(const ChildResult& r, int step, const std::string& message) {
  EXPECT_EQ(1u, r.exit_code);
  std::map<std::string, std::string> states = FinalStates(r.out);
  EXPECT_EQ("FAILED " + message, states[kTitles[step]]) << r.out;
  for (int later = step + 1; later < 8; ++later) EXPECT_EQ("pending ", states[kTitles[later]]) << kTitles[later];
  std::vector<std::string> lines = Lines(r.out);
  auto block = std::find_if(lines.begin(), lines.end(), [](const std::string& l) { return l.rfind("---- log", 0) == 0; });
  ASSERT_NE(lines.end(), block) << r.out;
  EXPECT_EQ("finished 1 failed 1 cancelled 0", *(block - 1));
  EXPECT_EQ("---- log (last " + std::to_string(lines.end() - block - 1) + " lines)", *block);
  EXPECT_EQ("[launcher] looking at ", (block + 1)->substr(0, 22));
  EXPECT_EQ("[launcher] " + kTitles[step] + ": " + message, lines.back()) << "the reason ends the job's log";
}

TEST_F(SetupJobTest, TheDumpMustBeThereAndBeTheRetailUsaDisc) {
  fixtures::DumpContents other;
  other.main_dol = fixtures::OtherMainDol();
  dump_ = fixtures::MakeDump(Path("other"), other);
  ExpectFailedAt(Setup(), 1, "This disc doesn't match the retail USA game, so Kestrane can't run it.");

  dump_.chosen = Path("gone");
  ExpectFailedAt(Setup(), 0,
                 "There's nothing at " + Path("gone") + ". Check the path, or choose your dump again if you moved it.");
  EXPECT_FALSE(testsupport::PathExists(Game()));
}

TEST_F(SetupJobTest, BuildingNeedsMoreThanOneAndAHalfGigabytesFree) {
  SetEnv("KESTRANE_TEST_FREE_SPACE", "1610612735");
  ExpectFailedAt(Setup(), 2, "Building needs about 1.50 GB free on this drive; there's 1.50 GB. Free some space, then try again.");
  SetEnv("KESTRANE_TEST_FREE_SPACE", "52428800");
  ExpectFailedAt(Setup(), 2, "Building needs about 1.50 GB free on this drive; there's 50 MB. Free some space, then try again.");
}

TEST_F(SetupJobTest, BothBuildToolsMustBeFound) {
  const char kNoPython[] = "Python wasn't found. The Kestrane download has it in tools\\python; download it again.";
  DeleteFileA((Install() + "\\tools\\zig\\zig.exe").c_str());
  ExpectFailedAt(Setup(), 2, "zig wasn't found. The Kestrane download has it in tools\\zig; download it again.");
  DeleteFileA((Install() + "\\tools\\python\\python.exe").c_str());
  fixtures::AddTool(Install(), "tools\\zig\\zig.exe", "standin_zig.exe");
  ExpectFailedAt(Setup(), 2, kNoPython);
  // A Python on the PATH that is too old counts as none.
  fixtures::AddTool(Path("pcpath"), "python.exe", "standin_python.exe");
  WriteFile(Path("pcpath\\python.steer"), "version=py 3 10\n");
  SetEnv("PATH", Path("pcpath"));
  ExpectFailedAt(Setup(), 2, kNoPython);
}

// Without a tools folder (the launcher-only download) downloading again can't help: the
// messages say what to install.
TEST_F(SetupJobTest, TheLauncherOnlyDownloadSaysWhatToAdd) {
  testsupport::RemoveTree(Install() + "\\tools");
  const std::string no_python =
      "Python wasn't found. Install Python 3.11 or newer (python.org) and add it to PATH, then try again.";
  ExpectFailedAt(Setup(), 2, no_python);
  fixtures::AddTool(Path("pcpath"), "python.exe", "standin_python.exe");
  SetEnv("PATH", Path("pcpath"));
  ExpectFailedAt(Setup(), 2,
                 "zig wasn't found. Install zig (ziglang.org) and add it to PATH or set ZIG to zig.exe, then try again.");
  fixtures::AddTool(Path("pcpath"), "zig.exe", "standin_zig.exe");
  DeleteFileA(LinkPy().c_str());
  ExpectFailedAt(Setup(), 3,
                 "The Kestrane source isn't on this PC. Unpack it so tools\\gametrial sits beside Kestrane's folder, "
                 "then try again.");
}

TEST_F(SetupJobTest, TheSourceMustBeOnThisPc) {
  DeleteFileA(LinkPy().c_str());
  ExpectFailedAt(Setup(), 3, "The Kestrane source isn't on this PC. Downloads arrive with the update host.");
}

TEST_F(SetupJobTest, ImporterFailuresSayWhatWentWrong) {
  WriteFile(Install() + "\\import.steer", "error=tocres.res: CRC mismatch in set 12\nexit=3\n");
  ChildResult r = Setup();
  ExpectFailedAt(r, 4, "tocres.res: CRC mismatch in set 12");
  EXPECT_NE(std::string::npos, r.out.find("\n[import] [args] " + dump_.root + "\n"));
  EXPECT_NE(std::string::npos, r.out.find("\n[import] [cwd] " + Install() + "\n"));

  WriteFile(Install() + "\\import.steer", "sets=none\nrecord=0\nexit=3\n");
  ExpectFailedAt(Setup(), 4, "The importer failed.");

  WriteFile(Install() + "\\import.exe", "not a program");
  ExpectFailedAt(Setup(), 4, "Couldn't start import.exe.");

  DeleteFileA((Install() + "\\import.exe").c_str());
  ExpectFailedAt(Setup(), 4, "import.exe is missing next to the launcher.");
  EXPECT_EQ("", ReadFile(Path("profile\\local\\Kestrane\\settings.ini")));  // no dump confirmed
}

TEST_F(SetupJobTest, ABuildThatLeavesNoNewerGameFails) {
  WriteLinkPy("write_game=0\n");
  ChildResult r = Setup();
  ExpectFailedAt(r, 5, "Build failed. Show details for the log.");
  // What the build script got, from its own report in the job log.
  EXPECT_NE(std::string::npos, r.out.find("\n[build] KESTRANE_DOL=" + dump_.dol_path + "\n"));
  EXPECT_NE(std::string::npos, r.out.find("\n[build] PYTHONUNBUFFERED=1\n"));
  EXPECT_NE(std::string::npos, r.out.find("\n[build] cwd=" + Path("checkout") + "\n"));
  EXPECT_NE(std::string::npos, r.out.find("\n[launcher] python " + Install() + "\\tools\\python\\python.exe, zig " +
                                          Install() + "\\tools\\zig\\zig.exe\n"));
  std::string log = ReadFile(fixtures::ErrorLogIn(Path("profile")));
  EXPECT_NE(std::string::npos, log.find(" [launcher] build failed (exit 0): linking KestraneGame.exe\r\n")) << log;
  EXPECT_NE(std::string::npos, log.find(" [launcher] Build Kestrane: Build failed. Show details for the log.\r\n"));
}

TEST_F(SetupJobTest, ARebuildWhoseScriptLeavesTheOlderGameFails) {
  WriteFile(Game(), "old game");
  MakeOld(Game());
  const FILETIME before = LastWrite(Game());
  WriteLinkPy("write_game=0\n");  // exits 0, having built nothing
  ExpectFailedAt(Setup({"--rebuild"}), 5, "Build failed. Show details for the log.");
  EXPECT_EQ("old game", ReadFile(Game()));
  EXPECT_TRUE(SameTime(before, LastWrite(Game())));
}

TEST_F(SetupJobTest, ADiscImageIsIndexedFromTheFolderItWasExtractedTo) {
  const std::string image = Path("Skarvel (USA).rvz");
  ASSERT_TRUE(fixtures::MakeDiscImage(image));
  ASSERT_TRUE(fixtures::AddDtk(Install()));
  dump_.chosen = image;
  WriteLinkPy("write_game=0\n");  // a failure at the build prints the job log
  ChildResult r = Setup();
  EXPECT_EQ("done " + image + " (disc image, " + text::WideToUtf8(InstallLayout::FormatSize(testsupport::ReadFile(image).size())) +
                ")",
            FinalStates(r.out)[kTitles[0]]);
  EXPECT_EQ("done 3 resource sets, 1234 resources, every CRC checked", FinalStates(r.out)[kTitles[4]]);
  size_t args = r.out.find("\n[import] [args] ");
  ASSERT_NE(std::string::npos, args) << r.out;
  std::string given = r.out.substr(args + 17, r.out.find('\n', args + 1) - args - 17);
  EXPECT_EQ("\\files\\..", given.substr(given.size() - 9)) << given;
}

TEST_F(SetupJobTest, ZigFromWinGetIsLeftToTheBuildScript) {
  DeleteFileA((Install() + "\\tools\\zig\\zig.exe").c_str());
  testsupport::MakeFolders(Path("profile\\local\\Microsoft\\WinGet\\Packages"));
  WriteFile(LinkPy(), "output=" + Game() + "\nzig=unset\n");
  ChildResult r = Setup();
  EXPECT_EQ(0u, r.exit_code) << r.out;
  EXPECT_EQ("done Using zig and Python already on this PC (developer setup)", FinalStates(r.out)[kTitles[2]]);
}

// [SECTION] Cancel

// The job probe in the launcher's place: it cancels at the point `cancel_when` names
// (see tests/jobs/job_probe.cpp).
class SetupCancelTest : public SetupJobTest {
 protected:
  ChildResult RunProbe(const std::string& cancel_when, bool rebuild) {
    fixtures::AddTool(Install(), "job_probe.exe", "job_probe.exe");
    std::vector<std::string> args = {"setup", dump_.chosen, "--cancel", cancel_when};
    if (rebuild) args.push_back("--rebuild");
    ChildResult r = testsupport::RunChild(Install() + "\\job_probe.exe", args, options_);
    EXPECT_FALSE(r.timed_out);
    return r;
  }
  // The grandchild the spinning stand-in announced has ended.
  void ExpectGrandchildEnded(const ChildResult& r, const std::string& tag) {
    size_t at = r.out.find("[" + tag + "] grandchild ");
    ASSERT_NE(std::string::npos, at) << r.out;
    DWORD pid = (DWORD)atol(r.out.c_str() + at + tag.size() + 14);
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
    if (process) {
      EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process, 5000)) << "the " << tag << " grandchild still runs";
      CloseHandle(process);
    }
  }
  void ExpectCancelledAt(const ChildResult& r, int step) {
    std::map<std::string, std::string> states = FinalStates(r.out);
    EXPECT_EQ(kCancelled, states[kTitles[step]]) << r.out;
    for (int later = step + 1; later < 8; ++later) EXPECT_EQ("pending ", states[kTitles[later]]);
    EXPECT_NE(std::string::npos, r.out.find("\nfinished 1 failed 0 cancelled 1\n"));
  }
};

// The process whose id a file holds has ended (or ends within 5 s); one that lives on is
// ended here, so no test leaves it behind.
void ExpectNotedProcessEnded(const std::string& note, const char* what) {
  const std::string pid = ReadFile(note);
  ASSERT_NE("", pid) << what << " never started";
  HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, (DWORD)atol(pid.c_str()));
  if (!process) return;  // gone already
  const bool ended = WaitForSingleObject(process, 5000) == WAIT_OBJECT_0;
  if (!ended) TerminateProcess(process, 1);
  CloseHandle(process);
  EXPECT_TRUE(ended) << what << " outlived the launcher's interest in it";
}

TEST_F(SetupCancelTest, ACancelAfterTheDumpWasFoundStopsBeforeTheDiscIsChecked) {
  ChildResult r = RunProbe("done 0", false);
  EXPECT_EQ(0u, FinalStates(r.out)[kTitles[0]].rfind("done ", 0)) << r.out;
  ExpectCancelledAt(r, 1);
}

TEST_F(SetupCancelTest, ACancelWhileADiscImageIsReadEndsDtkAndIsNoFailure) {
  const std::string image = Path("Skarvel (USA).rvz");
  ASSERT_TRUE(fixtures::MakeDiscImage(image));
  ASSERT_TRUE(fixtures::AddDtk(Install()));
  dump_.chosen = image;
  SetEnv("STANDIN_DTK_HANG", "files");  // the long copy, after the header was checked
  SetEnv("STANDIN_DTK_HANG_NOTE", Path("dtk.pid"));
  ChildResult r = RunProbe("file " + Path("dtk.pid"), false);
  ExpectCancelledAt(r, 0);
  ExpectNotedProcessEnded(Path("dtk.pid"), "dtk");
}

TEST_F(SetupJobTest, ClosingTheLauncherEndsDtk) {
  const std::string image = Path("Skarvel (USA).rvz");
  ASSERT_TRUE(fixtures::MakeDiscImage(image));
  ASSERT_TRUE(fixtures::AddDtk(Install()));
  dump_.chosen = image;
  // dtk notes itself, then ends the launcher, as the player closing it would.
  SetEnv("STANDIN_DTK_HANG", "files");
  SetEnv("STANDIN_DTK_KILL_PARENT", "files");
  SetEnv("STANDIN_DTK_HANG_NOTE", Path("dtk.pid"));
  ChildResult r = testsupport::RunChild(Install() + "\\Kestrane.exe", {"--setup", dump_.chosen}, options_);
  EXPECT_EQ(9u, r.exit_code) << r.out;
  ExpectNotedProcessEnded(Path("dtk.pid"), "dtk");
}

TEST_F(SetupCancelTest, CancelDuringTheImportEndsTheImporterAndWhatItStarted) {
  WriteFile(Game(), "old game");
  WriteFile(Install() + "\\import.steer", "spin=1\n");
  ChildResult r = RunProbe("log [import] grandchild ", false);
  ExpectCancelledAt(r, 4);
  ExpectGrandchildEnded(r, "import");
  EXPECT_EQ("old game", ReadFile(Game()));
}

TEST_F(SetupCancelTest, CancelWhilePythonIsProbedIsACancelNotAMissingPython) {
  DeleteFileA((Install() + "\\tools\\zig\\zig.exe").c_str());  // so the bundled Python is probed
  WriteFile(Install() + "\\tools\\python\\python.steer", "probe_spin=1\n");
  ExpectCancelledAt(RunProbe("active 2", false), 2);
}

TEST_F(SetupCancelTest, CancelDuringTheBuildKeepsTheCurrentGame) {
  WriteFile(Game(), "old game");
  MakeOld(Game());
  const FILETIME before = LastWrite(Game());
  WriteLinkPy("spin=1\n");
  ChildResult r = RunProbe("log [build] grandchild ", true);
  ExpectCancelledAt(r, 5);
  ExpectGrandchildEnded(r, "build");
  EXPECT_EQ("old game", ReadFile(Game()));
  EXPECT_TRUE(SameTime(before, LastWrite(Game())));
}

}  // namespace
