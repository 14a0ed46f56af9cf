#include "jobs/toolchain.h"

#include <gtest/gtest.h>

#include <memory>

#include "tests/jobs/jobs_test_support.h"
#include "tests/process/process_test_support.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_folder.h"

using jobstest::CopyProgram;
using processtest::Standin;
using testsupport::ScopedEnv;

namespace {

// A launcher folder with an optional tools folder, a PATH of one folder, no ZIG and a
// LOCALAPPDATA of its own.
class ToolchainTest : public testsupport::TempFolderTest {
 protected:
  void SetUp() override {
    testsupport::MakeFolders(Path("install"));
    testsupport::MakeFolders(Path("path"));
    testsupport::MakeFolders(Path("local"));
    path_ = std::make_unique<ScopedEnv>("PATH", Path("path"));
    zig_ = std::make_unique<ScopedEnv>("ZIG");
    local_ = std::make_unique<ScopedEnv>("LOCALAPPDATA", Path("local"));
  }
  std::string LauncherDir() const { return Path("install") + "\\"; }
  std::string ToolsPython() const { return Path("install\\tools\\python\\python.exe"); }
  std::string ToolsZig() const { return Path("install\\tools\\zig\\zig.exe"); }
  std::string PathPython() const { return Path("path\\python.exe"); }

  // A stand-in Python at `exe` whose version probe prints `answer` and exits with `code`.
  void PutPython(const std::string& exe, const std::string& answer, int code = 0) {
    ASSERT_TRUE(CopyProgram(Standin("standin_python"), exe));
    std::string steer = exe.substr(0, exe.find_last_of('\\')) + "\\python.steer";
    testsupport::WriteFile(steer, "version=" + answer + "\nprobe_exit=" + std::to_string(code) + "\n");
  }
  void PutZig(const std::string& exe) { ASSERT_TRUE(CopyProgram(Standin("standin_zig"), exe)); }

  ToolchainPaths Find() { return FindToolchainFrom(LauncherDir(), nullptr); }

  std::unique_ptr<ScopedEnv> path_, zig_, local_;
};

TEST_F(ToolchainTest, TheBundledPairIsUsedAsItIsWithoutAProbe) {
  // The probe would turn this Python down, so a kept Python proves none ran.
  PutPython(ToolsPython(), "py 3 10");
  PutZig(ToolsZig());
  PutPython(PathPython(), "py 3 13");
  ToolchainPaths found = Find();
  EXPECT_EQ(ToolsPython(), found.python);
  EXPECT_EQ(ToolsZig(), found.zig);
  EXPECT_TRUE(found.fromToolsFolder);
}

TEST_F(ToolchainTest, WithoutTheBundledPythonThePcsToolsAreADeveloperSetup) {
  PutZig(ToolsZig());
  PutPython(PathPython(), "py 3 12");
  ToolchainPaths found = Find();
  EXPECT_EQ(PathPython(), found.python);
  EXPECT_EQ(ToolsZig(), found.zig);
  EXPECT_FALSE(found.fromToolsFolder);
}

TEST_F(ToolchainTest, OnlyAPythonThatAnswers311OrNewerIsKept) {
  struct Case {
    const char* answer;
    int code;
    bool kept;
  } cases[] = {
      {"py 3 10", 0, false}, {"py 3 11", 0, true},   {"py 3 12", 0, true},
      {"py 4 0", 0, true},   {"py 2 7", 0, false},   {"Python was not found; run without arguments", 0, false},
      {"py 3 12", 1, false}, {"py three", 0, false},
  };
  for (const Case& c : cases) {
    PutPython(ToolsPython(), c.answer, c.code);  // the bundled one, probed since zig is missing
    EXPECT_EQ(c.kept ? ToolsPython() : "", Find().python) << c.answer << " exit " << c.code;
  }
  // Found on the PATH but not runnable.
  DeleteFileA(ToolsPython().c_str());
  testsupport::WriteFile(PathPython(), "not a program");
  EXPECT_EQ("", Find().python);
  DeleteFileA(PathPython().c_str());
  EXPECT_EQ("", Find().python);
}

TEST_F(ToolchainTest, ZigComesFromToolsThenZigVariableThenPathThenWinGet) {
  EXPECT_EQ("", Find().zig);
  testsupport::MakeFolders(Path("local\\Microsoft\\WinGet\\Packages"));
  EXPECT_EQ("(winget)", Find().zig);
  EXPECT_FALSE(IsZigPath(Find().zig));

  PutZig(Path("path\\zig.exe"));
  EXPECT_EQ(Path("path\\zig.exe"), Find().zig);
  {
    ScopedEnv empty("ZIG", "");  // names no program: as if unset
    EXPECT_EQ(Path("path\\zig.exe"), Find().zig);
  }
  {
    ScopedEnv zig("ZIG", "Q:\\nowhere\\zig.exe");  // taken as it is, unchecked
    EXPECT_EQ("Q:\\nowhere\\zig.exe", Find().zig);
    EXPECT_TRUE(IsZigPath(Find().zig));
    PutZig(ToolsZig());
    EXPECT_EQ(ToolsZig(), Find().zig);
  }
}

}  // namespace
